"""The generator and the uniform-integer rules, written afresh with Python integers, compared
with what the engine's C++ produces (through the random_dump program named on the command line).

Run by CTest: `random_reference.py <path to random_dump>`. Exits non-zero on the first mismatch.
"""

import subprocess
import sys

M32, M64, M128 = (1 << 32) - 1, (1 << 64) - 1, (1 << 128) - 1


def rotl(x, k):
    return ((x << k) | (x >> (64 - k))) & M64


class Xoshiro:
    def __init__(self, seed):
        words, x = [], seed
        for _ in range(8):
            x = (x * 6364136223846793005 + 11634580027462260723) & M64
            xorshifted = (((x >> 18) ^ x) >> 27) & M32
            rot = x >> 59
            words.append(((xorshifted >> rot) | (xorshifted << ((32 - rot) % 32))) & M32)
        data = b"".join(w.to_bytes(4, "little") for w in words)
        self.s = [int.from_bytes(data[i : i + 8], "little") for i in range(0, 32, 8)]
        if not any(data):
            state, self.s = 0, []
            for _ in range(4):
                state = (state + 0x9E3779B97F4A7C15) & M64
                z = state
                z = ((z ^ (z >> 30)) * 0xBF58476D1CE4E5B9) & M64
                z = ((z ^ (z >> 27)) * 0x94D049BB133111EB) & M64
                self.s.append(z ^ (z >> 31))

    def next(self):
        s = self.s
        result = (rotl((s[0] + s[3]) & M64, 23) + s[0]) & M64
        t = (s[1] << 17) & M64
        s[2] ^= s[0]
        s[3] ^= s[1]
        s[1] ^= s[2]
        s[0] ^= s[3]
        s[2] ^= t
        s[3] = rotl(s[3], 45)
        return result


def uniform(gen, r, bits):
    """Multiply and reject: accept v when the low half of v*r is at most the zone."""
    mask = (1 << bits) - 1
    zone = ((r << (bits - r.bit_length())) & mask) - 1
    while True:
        if bits == 32:
            v = gen.next() >> 32
        elif bits == 64:
            v = gen.next()
        else:
            low = gen.next()
            v = low | (gen.next() << 64)
        product = v * r
        if product & mask <= zone:
            return product >> bits


def expected(kind, seed, count, r):
    gen = Xoshiro(seed)
    if kind == "raw":
        values = [gen.next() for _ in range(count)]
    else:
        bits = {"u32": 32, "u64": 64, "u128": 128}[kind]
        values = [uniform(gen, r, bits) for _ in range(count)]
    # The engine ends each line with its generator's next raw output.
    return values + [gen.next()]


SEEDS = [0, 1, 0x5EEDCA11, 12345678901234567890, M64]
RANGES = {
    # The zone is range shifted up to the top bit, so 1 and other powers of two reject half the
    # candidates, and ranges just above a power of two about half as well: the number of outputs
    # consumed per value is exercised throughout.
    "u32": [1, 2, 3, 7, 13, 52, 100, (1 << 31) + 1, M32],
    "u64": [1, 2, 5, 1326, 200_000, (1 << 63) + 1, M64],
    "u128": [1, 6, 198, 2598960, (1 << 64) + 3, (1 << 127) + 1, M128],
}


def cases():
    for seed in SEEDS:
        yield ("raw", seed, 12, 0)
        for kind, ranges in RANGES.items():
            for r in ranges:
                yield (kind, seed, 8 if r > 1 else 40, r)


def main():
    all_cases = list(cases())
    request = "".join(f"{k} {s} {c} {r}\n" for k, s, c, r in all_cases)
    output = subprocess.run(
        [sys.argv[1]], input=request, capture_output=True, text=True, check=True
    )
    lines = output.stdout.splitlines()
    if len(lines) != len(all_cases):
        print(f"expected {len(all_cases)} lines, got {len(lines)}")
        return 1
    for case, line in zip(all_cases, lines):
        got = [int(word) for word in line.split()]
        want = expected(*case)
        if got != want:
            print(f"mismatch for {case}: engine {got} reference {want}")
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())

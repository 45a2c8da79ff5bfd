"""Seeds of the module's generators, as the kit hands them out.

A module call of `threads` pieces seeded t draws piece i from the generator seeded
`t * GOLDEN + i` (modulo 2**64). The kit seeds its calls so that consecutive calls take
consecutive generators: call k of a sequence seeded s takes `s * GOLDEN + k * threads + i`, and
call 0 is the plain call with seed s. No two calls of one sequence share a generator.
"""

from __future__ import annotations

GOLDEN = 0x9E3779B97F4A7C15
MASK64 = (1 << 64) - 1
GOLDEN_INVERSE = pow(GOLDEN, -1, 1 << 64)


def check_seed(seed: object) -> int:
    if isinstance(seed, bool) or not isinstance(seed, int) or not 0 <= seed <= MASK64:
        raise ValueError(f"a seed is a whole number from 0 to 2**64 - 1, not {seed!r}")
    return seed


def batch_seed(seed: int, index: int, threads: int) -> int:
    """The seed of call `index` of the sequence seeded `seed` over `threads` pieces each."""
    return (check_seed(seed) + index * threads * GOLDEN_INVERSE) & MASK64

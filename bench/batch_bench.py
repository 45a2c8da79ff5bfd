"""Sampled deals per second from Python, on one thread and on two: `chunk_from_text` with its
argument conversion, request building (with the sampler pilot), the batch and the result
dictionary, for a spot of named hands and a spot of ranges and wildcards in every game.

Run by hand after `pip install .`: `python bench/batch_bench.py [game]`. Each figure is the best
of three calls; bench/batch_bench.cpp times the batch runner alone.
"""

import sys
import time

import vantor

# (game, hands, board, samples)
SPOTS = [
    ("holdem", ["AhKh", "QsQd"], "", 4_000_000),
    ("holdem", ["QQ+,AKs", "**", "KdQd"], "", 2_000_000),
    ("short_deck", ["AhKh", "QsQd"], "", 2_000_000),
    ("short_deck", ["QQ+,AKs", "**", "KdQd"], "", 1_000_000),
    ("omaha", ["AsKsQhJh", "9c9d8c7d"], "", 1_000_000),
    ("omaha", ["AA**", "****", "KdQdJc9c"], "", 500_000),
    ("omaha_hi_lo", ["As2sKhQh", "9c9d8c7d"], "", 1_000_000),
    ("omaha_hi_lo", ["A2**", "****", "KdQdJc9c"], "", 500_000),
    ("omaha_five", ["AsKsQhJh2c", "9c9d8c7d3h"], "", 500_000),
    ("omaha_five", ["AA***", "*****", "KdQdJc9c2h"], "", 300_000),
    ("omaha_five_hi_lo", ["As2sKhQh3c", "9c9d8c7d4h"], "", 500_000),
    ("omaha_five_hi_lo", ["A2***", "*****", "KdQdJc9c5h"], "", 300_000),
    ("omaha_six", ["AsKsQhJh2c3c", "9c9d8c7d3h4h"], "", 300_000),
    ("omaha_six", ["AA****", "******", "KdQdJc9c2h3h"], "", 200_000),
    ("courchevel", ["AsKsQhJh2c", "9c9d8c7d3h"], "*", 500_000),
    ("courchevel", ["AA***", "*****", "KdQdJc9c2h"], "*", 300_000),
    ("courchevel_hi_lo", ["As2sKhQh3c", "9c9d8c7d4h"], "*", 500_000),
    ("courchevel_hi_lo", ["A2***", "*****", "KdQdJc9c5h"], "*", 300_000),
    ("stud", ["AsKsQh", "9c9d8c"], "", 2_000_000),
    ("stud", ["A**", "***", "KdQdJc"], "", 1_000_000),
    ("stud_hi_lo", ["As2s3h", "9c9d8c"], "", 2_000_000),
    ("stud_hi_lo", ["A**", "***", "KdQdJc"], "", 1_000_000),
    ("razz", ["As2s3h", "9c9d8c"], "", 2_000_000),
    ("razz", ["A**", "***", "KdQdJc"], "", 1_000_000),
    ("deuce_seven", ["7h5d4c3s", "8s6h4d"], "", 2_000_000),
    ("deuce_seven", ["7*", "**", "8s6h4d3c"], "", 1_000_000),
    ("five_card_draw", ["AsKsQh", "9c9d"], "", 2_000_000),
    ("five_card_draw", ["A*", "**", "KdQdJc"], "", 1_000_000),
    ("badugi", ["As2d3h", "4c5s"], "", 2_000_000),
    ("badugi", ["A*", "**", "KdQdJc"], "", 1_000_000),
    # Deals that carry weights: alternatives proposed unevenly (the rejection sampler with
    # weights), and seats crowding the same cards (the weighted sampler).
    ("omaha", ["A*K*, QQ**", "****", "hh**"], "2c", 300_000),
    ("stud_hi_lo", ["A2*", "***, KK*", "5**"], "", 300_000),
    ("stud", ["A*****"] * 4 + ["K*****"] * 4, "7d", 20_000),
]


def rate(game, hands, board, samples, threads):
    best = float("inf")
    for seed in range(3):
        start = time.perf_counter()
        result = vantor.chunk_from_text(
            game, hands, board, samples=samples, seed=seed, threads=threads
        )
        best = min(best, time.perf_counter() - start)
    return samples / best, result["weighted"]


def main():
    only = sys.argv[1] if len(sys.argv) > 1 else None
    for game, hands, board, samples in SPOTS:
        if only and game != only:
            continue
        one, weighted = rate(game, hands, board, samples, 1)
        two, _ = rate(game, hands, board, samples, 2)
        sampler = "weighted" if weighted else "rejection"
        print(
            f"{game:17} {' v '.join(hands):28} {sampler:9} {one / 1e6:7.2f} M/s  "
            f"{two / 1e6:7.2f} M/s on two  x{two / one:.2f}"
        )


if __name__ == "__main__":
    main()

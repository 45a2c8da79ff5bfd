"""Throughput of score_batch from Python: hands per second, conversion and result list included.

Run by hand after `pip install .`: `python bench/score_batch_bench.py`. Hands are random card
strings made before the clock starts; the figure is the best of several rounds.
"""

import random
import time

import vantor

DECK = [rank + suit for rank in "23456789TJQKA" for suit in "cdhs"]
BATCH = 1_000_000
ROUNDS = 5


def hands(size, seed):
    rng = random.Random(seed)
    return ["".join(rng.sample(DECK, size)) for _ in range(BATCH)]


def best_rate(kernel, batch):
    best = float("inf")
    for _ in range(ROUNDS):
        start = time.perf_counter()
        vantor.score_batch(kernel, batch)
        best = min(best, time.perf_counter() - start)
    return len(batch) / best


def main():
    cases = [
        ("high", 7),
        ("high", 5),
        ("short_deck", 7),
        ("low_a5", 7),
        ("deuce_seven", 5),
        ("omaha", 9),
        ("badugi", 4),
    ]
    for kernel, size in cases:
        rate = best_rate(kernel, hands(size, f"{kernel}{size}"))
        print(f"{kernel:12} {size} cards  {rate / 1e6:6.1f} M hands/s  {1e9 / rate:6.1f} ns/hand")


if __name__ == "__main__":
    main()

"""Asks outside, independent evaluators whether they agree with vantor.score_batch.

Two well-kept evaluators from PyPI serve as the outside opinion:

- phevaluator (PokerHandEvaluator's Python package, a C extension) numbers high hands exactly as
  `high` does, 1 to 7462 with 1 the best, so `high` and `omaha` are compared value for value:
  vantor's value must be phevaluator's minus one, hand by hand.
- pokerkit (a pure-Python poker library) ranks short-deck, ace-to-five, deuce-to-seven and badugi
  hands in its own numbering, so for those kernels the two must order every pair of hands the same
  way: hands sorted by vantor's value must come out sorted by pokerkit's strength too, with ties
  exactly where pokerkit sees ties. pokerkit is slow (tens of microseconds a hand), so these
  batches are smaller.

Install the optional dependencies with `pip install '.[validation]'`, then run
`python validation/cross_check.py` (about a minute with the defaults; `--help` lists the batch
sizes and the seed). It prints, per kernel and hand size, how many hands were compared and how
many disagreed, with the first disagreements in full; the exit status is 1 if any hand disagreed.
"""

import argparse
import itertools
import random
import sys
import time

import vantor

RANKS = "23456789TJQKA"
SUITS = "cdhs"
FULL_DECK = [rank + suit for rank in RANKS for suit in SUITS]
SHORT_DECK = [card for card in FULL_DECK if card[0] in "6789TJQKA"]
SHOWN = 5  # disagreements printed in full per check


def random_hands(rng, count, size, deck=FULL_DECK):
    return [rng.sample(deck, size) for _ in range(count)]


def report(name, hands, disagreements, seconds):
    status = "agree" if not disagreements else f"{len(disagreements)} DISAGREE"
    print(f"{name:34} {len(hands):>11,} hands  {status:>12}  ({seconds:.1f} s)")
    for line in disagreements[:SHOWN]:
        print("    " + line)
    return len(disagreements)


def exact_check(name, kernel, hands, outside):
    """vantor's value must be the outside value minus one, hand by hand."""
    start = time.perf_counter()
    ours = vantor.score_batch(kernel, ["".join(hand) for hand in hands])
    disagreements = []
    for hand, value in zip(hands, ours):
        theirs = outside(hand) - 1
        if theirs != value:
            disagreements.append(f"{''.join(hand)}: vantor {value}, outside {theirs}")
    return report(name, hands, disagreements, time.perf_counter() - start)


def order_check(name, kernel, hands, strength):
    """Sorted by vantor's value (lower is better), the outside strength keys (lower is better)
    must be sorted too, equal exactly where vantor's values are equal. Checking neighbours in
    that order is enough: agreement is transitive along the sorted list."""
    start = time.perf_counter()
    ours = vantor.score_batch(kernel, ["".join(hand) for hand in hands])
    theirs = [strength(hand) for hand in hands]
    order = sorted(range(len(hands)), key=lambda i: ours[i])
    disagreements = []
    for a, b in itertools.pairwise(order):
        same_ours, same_theirs = ours[a] == ours[b], theirs[a] == theirs[b]
        if same_ours != same_theirs or (not same_ours and theirs[a] > theirs[b]):
            disagreements.append(
                f"{''.join(hands[a])} (vantor {ours[a]}) vs {''.join(hands[b])} "
                f"(vantor {ours[b]}): the outside evaluator orders them differently"
            )
    return report(name, hands, disagreements, time.perf_counter() - start)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument(
        "--high",
        type=int,
        default=10_000_000,
        help="seven-card hands for `high` (default: %(default)s)",
    )
    parser.add_argument(
        "--omaha",
        type=int,
        default=1_000_000,
        help="4 + 5 card hands for `omaha` (default: %(default)s)",
    )
    parser.add_argument(
        "--slow", type=int, default=50_000, help="hands per pokerkit check (default: %(default)s)"
    )
    parser.add_argument("--seed", type=int, default=2026)
    args = parser.parse_args()

    try:
        from phevaluator import evaluate_cards, evaluate_omaha_cards
        from pokerkit import BadugiHand, RegularLowHand, ShortDeckHoldemHand, StandardLowHand
    except ImportError as missing:
        sys.exit(f"{missing}: install the outside evaluators with pip install '.[validation]'")

    rng = random.Random(args.seed)
    failures = 0
    print(f"vantor against phevaluator and pokerkit, seed {args.seed}")

    # phevaluator: value for value.
    for size, count in ((5, args.high // 10), (6, args.high // 10), (7, args.high)):
        failures += exact_check(
            f"high, {size} cards (phevaluator)",
            "high",
            random_hands(rng, count, size),
            lambda h: evaluate_cards(*h),
        )
    failures += exact_check(
        "omaha, 4 + 5 cards (phevaluator)",
        "omaha",
        random_hands(rng, args.omaha, 9),
        lambda h: evaluate_omaha_cards(*h[4:], *h[:4]),
    )

    # pokerkit: the same order. Its high hands count up, its low hands count down.
    def up(hand_type, **kwargs):
        return lambda h: -hand_type.from_game("".join(h), **kwargs).entry.index

    def down(hand_type):
        return lambda h: hand_type.from_game("".join(h)).entry.index

    assert ShortDeckHoldemHand("AhKhQhJhTh") > ShortDeckHoldemHand("AcAdAhAsKc")
    assert RegularLowHand("Ah2c3d4s5h") > RegularLowHand("6h2c3d4s5h")
    assert StandardLowHand("7h5c4d3s2h") > StandardLowHand("8h5c4d3s2h")
    assert BadugiHand("Ac2d3h4s") > BadugiHand("Kc2d3h4s")
    for size in (5, 6, 7):
        failures += order_check(
            f"short_deck, {size} cards (pokerkit)",
            "short_deck",
            random_hands(rng, args.slow, size, SHORT_DECK),
            up(ShortDeckHoldemHand),
        )
    for size in (5, 6, 7):
        failures += order_check(
            f"low_a5, {size} cards (pokerkit)",
            "low_a5",
            random_hands(rng, args.slow, size),
            down(RegularLowHand),
        )
    failures += order_check(
        "deuce_seven, 5 cards (pokerkit)",
        "deuce_seven",
        random_hands(rng, args.slow, 5),
        down(StandardLowHand),
    )
    failures += order_check(
        "badugi, 4 cards (pokerkit)", "badugi", random_hands(rng, args.slow, 4), down(BadugiHand)
    )

    print("no disagreements" if failures == 0 else f"{failures} disagreements in all")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

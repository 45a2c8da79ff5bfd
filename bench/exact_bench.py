"""Time per exact answer from Python: argument conversion, request building (with the sampler
pilot), the walk and the result dictionary, for representative spots of every game.

Run by hand after `pip install .`: `python bench/exact_bench.py`. Each figure is the best of
several calls; bench/exact_bench.cpp times the walk alone.
"""

import time

import vantor

# (game, hands, board, dead, what the spot is)
SPOTS = [
    ("holdem", ["AhKh", "QsQd"], "2c7dTsJh3s", "", "river, two named hands"),
    ("holdem", ["AhKh", "QsQd"], "", "", "preflop, two named hands"),
    ("holdem", ["AKs", "QQ"], "", "", "preflop, AKs v QQ"),
    ("holdem", ["AhKh", "QsQd", "7c7d"], "Ts9s2d", "", "flop, three named hands"),
    ("holdem", ["AhKh", "TT+,AKs"], "Ts9s2d", "", "flop, a range"),
    ("holdem", ["AhKh", "**"], "Ts9s2dJh", "", "turn, against any hand"),
    ("short_deck", ["AhKh", "QsQd"], "", "", "preflop, two named hands"),
    ("omaha", ["AhKhQsJd", "9c8c7d6d"], "Ts9s2d", "", "flop"),
    ("omaha", ["AhKhQsJd", "9c8c7d6d"], "", "", "preflop, four named cards each"),
    ("omaha_hi_lo", ["AhKh2s3d", "9c8c7d6d"], "Ts9s2d", "", "flop"),
    ("omaha_five", ["AhKhQsJd2c", "9c8c7d6d5h"], "Ts9s2d", "", "flop"),
    ("omaha_five_hi_lo", ["AhKh2s3dQc", "9c8c7d6d5h"], "Ts4s2d", "", "flop"),
    ("courchevel", ["AhKhQsJd2c", "9c8c7d6d5h"], "Ts", "", "one board card"),
    ("courchevel_hi_lo", ["AhKh2s3dQc", "9c8c7d6d5h"], "Ts", "", "one board card"),
    ("omaha_six", ["AhKhQsJd2c3c", "9c8c7d6d5h4h"], "Ts9s2d", "", "flop"),
    ("stud", ["AhKhQsJd2c", "9c8c7d6d5h"], "", "", "five cards each, two to come"),
    (
        "stud",
        [
            "AhAd2c3d4h5s",
            "KhKd2d3h4s5c",
            "QhQd2h3s4c5d",
            "JhJd2s3c4d5h",
            "ThTd6c7d8h9s",
            "9h9d6d7h8s9c",
            "8d8c6h7s6s7c",
            "AcKcQcJc**",
        ],
        "",
        "",
        "eight seats, board card to come",
    ),
    ("stud_hi_lo", ["Ah2h3s4d9c", "9d8c7d6d5h"], "", "", "five cards each, two to come"),
    ("razz", ["Ah2h3s4d9c", "Kc8c7d6d5h"], "", "", "five cards each, two to come"),
    ("deuce_seven", ["7h5d4c3s", "8c6d4h2s"], "", "", "four cards each, one to come"),
    ("five_card_draw", ["AhAdKcQs", "9c9dTh8s"], "", "", "four cards each, one to come"),
    ("badugi", ["Ah2d3c", "4h5d6c"], "", "", "three cards each, one to come"),
]


def best_time(call, rounds):
    best = float("inf")
    for _ in range(rounds):
        start = time.perf_counter()
        result = call()
        best = min(best, time.perf_counter() - start)
    return best, result


def main():
    print(f"{'game':<18} {'spot':<32} {'deals':>10} {'per call':>12} {'per deal':>10}")
    for game, hands, board, dead, what in SPOTS:
        call = lambda: vantor.exact_from_text(game, hands, board, dead)  # noqa: E731
        first, _ = best_time(call, 1)
        rounds = max(3, min(2000, int(0.5 / max(first, 1e-6))))
        seconds, result = best_time(call, rounds)
        deals = result["samples"] if result else 0
        per_call = f"{seconds * 1e6:.1f} us" if seconds < 1e-3 else f"{seconds * 1e3:.2f} ms"
        per_deal = f"{seconds * 1e9 / deals:.1f} ns" if deals else "declined"
        print(f"{game:<18} {what:<32} {deals:>10} {per_call:>12} {per_deal:>10}")


if __name__ == "__main__":
    main()

"""Writes tests/data/fixed_seed_results.json: what the equity functions answer, to the bit, for a
fixed set of calls on every game, so that a change meant to keep every answer can be checked
against the answers given before it (tests/test_fixed_seed.py replays the calls).

Run it only when the answers are meant to change, and say why in the commit:

    python scripts/fixed_seed_results.py

Each case is one call: the function's name, its positional and keyword arguments and what it
gave, either the result dictionary (None when the exact walk declines) or the error's type and
message. Python's json writes a float by its repr, which reads back as the same double.
"""

import json
import pathlib
import sys

import vantor

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "tests"))
from fixed_seed import RECORDED, answer  # the tests' own reading of a call

RANKS, SUITS = "23456789TJQKA", "cdhs"
SAMPLES = 3000
SEED = 20240611

# Per game: named hands, then ranges, wildcards or several alternatives. (hands, board, dead).
SPOTS = {
    "holdem": [
        (["AhKh", "QsQd"], "Jh 7c 2d", ""),
        (["JJ+, AKs", "AhQh, 9c9d", "**", "T*"], "Kd 7c", "2s"),
    ],
    "short_deck": [
        (["AhKh", "QsQd"], "Jh 7c 6d", ""),
        (["AK, QQ+", "J*", "T9s, 8h8d"], "", "6s"),
    ],
    "omaha": [
        (["AhKhQdJd", "TsTc9s8s", "2c3c4d5d"], "Jh 7c 2d", ""),
        (["A*K*, QQ**", "****", "hh**"], "2c", ""),
    ],
    "omaha_five": [
        (["AhKhQdJdTc", "9s9c8s7c2h"], "Jh 7d 2d", ""),
        (["AA***, KK***", "s****"], "", "2c 3c"),
    ],
    "omaha_six": [
        (["AhKhQdJdTc9c", "8s8c7s6c2h3h"], "Jh 7d 2d", ""),
        (["AK****", "******", "d*****"], "5c", ""),
    ],
    "omaha_hi_lo": [
        (["Ac2cKdKs", "3s4sQhQd"], "5h 6d 8c", ""),
        (["A2**, A3**", "****", "KK**"], "", "9c"),
    ],
    "omaha_five_hi_lo": [
        (["Ac2c3dKdKs", "Ad4d5sQhQc"], "6h 7c 8d", ""),
        (["A2***", "*****, 34***"], "Th", ""),
    ],
    "courchevel": [
        (["AhKhQdJdTc", "9s9c8s7c2h"], "Jh", ""),
        (["AA***, KK***", "*****"], "2d 7h", ""),
    ],
    "courchevel_hi_lo": [
        (["Ac2c3dKdKs", "Ad4d5sQhQs"], "6h 7c", ""),
        (["A2***", "*****", "c****"], "8h", ""),
    ],
    "stud": [
        (["Ah Ad Kc 7s 8d", "Qh Qs Jc Td 9c"], "", ""),
        (["A**", "K**, Q**", "ss*"], "", "2c"),
        (["A*****"] * 4 + ["K*****"] * 4, "7d", ""),  # eight seats share a board card
    ],
    "stud_hi_lo": [
        (["Ac 2d 3h 9s Kd", "Qc Qd Jh Js 4c"], "", ""),
        (["A2*", "***, KK*", "5**"], "", ""),
    ],
    "razz": [
        (["A 2 K 4h 9h", "3c 5c 6c Jc Qc"], "", ""),  # ranks alone are pinned
        (["A2*, 23*", "K**"], "", ""),
    ],
    "deuce_seven": [
        (["7c 5d 4h", "8c 6d 4c 3d"], "", ""),
        (["7*, 8*", "****", "2 3"], "", ""),
    ],
    "five_card_draw": [
        (["Ah Ad Kc", "Qh Qs Jc"], "", ""),
        (["AA, KK", "s s s", "*"], "", "2h"),
    ],
    "badugi": [
        (["Ac 2d 3h", "Kc Qd Jh", "4c 5d"], "", ""),
        (["A*, 2*", "c d h", "**"], "", ""),
    ],
}

# Crowded spots the pilot gives to the weighted sampler: seats wanting the same few live cards.
# (game, hands, board, live cards besides the board; every other card of the deck is dead).
CROWDED = [
    (
        "holdem",
        ["Q *", "s *", "s s", "* s"],
        "8c 5h Qs 7c 9h",
        "Ac 3s 4c Qh 6c 8s 9s 6s 2s 5d Th Ad 3h",
    ),
    (
        "short_deck",
        ["d d", "J d", "c c", "c d"],
        "9d 6c 6d Tc",
        "Ac Qd Jh 9c Jc Qc 7d Td Kc Js Ad 8c 6h Jd Qs Ts 9h",
    ),
    ("omaha", ["3 * h *", "h * h *"], "8h 5s 5h 3s 4s", "Tc 9c Jh 5d 6h Th Qc Kh 3c Jc 3h 7c 2c"),
    (
        "omaha_hi_lo",
        ["* s * 6", "s 3 * d"],
        "Kd 9s 5s 3d",
        "6s 6d Qs 4s 7s 8s 5d 3c 9c 5h 2h 9h Qc",
    ),
    (
        "omaha_five",
        ["s * s c c", "* Q s Q *"],
        "As 8d 7d 5c",
        "Ac 7s 4s Qc Kc 6s 2c Jc Qd 9s 8s 5s Qh Jh 2s Kd 9d 3d",
    ),
    (
        "omaha_five_hi_lo",
        ["h h s h *", "6 h 6 J *"],
        "6h Qh 4s 3h Jd",
        "2s 5s Ah 6c Js 9h 9s As 5h 7s Kh 6d Jh Th Ac 5c Kc Qc 7c 7d",
    ),
    (
        "courchevel",
        ["c c c 2 *", "* * 6 6 2"],
        "As Qs 7c 5c 3c",
        "9c 6d 2h 2c Jc 7s 4c 3s 6c 2d Ac Qc Ks 4s",
    ),
    (
        "courchevel_hi_lo",
        ["h 4 s * h", "4 s s h 5"],
        "2h 4s Ks Qc",
        "Js Jh 4h Qh 5h 2s 5s Ah 4c Qs 5c Ts 6h 9c 7d Tc",
    ),
    (
        "omaha_six",
        ["h h J h * 8", "* h h d h J"],
        "9s 5c 4d 3s Kd",
        "Js 5h Th 9h 8h 3h 8s 5d Td 7d 2d 9d Qd Jd Kh 7h 7c 3c 4c",
    ),
    (
        "stud",
        ["* d * c d c d", "c T d c * d *"],
        "",
        "Td Kd 5h Qc 4c Tc Ts Jd Ad 5d 6c 3d Jc 4s Jh Qh",
    ),
    (
        "stud_hi_lo",
        ["d d * s d s s", "d s J d s * d"],
        "",
        "Jd Qs 3s 8d Qd Js 9d 7d 2d Jh 7s Ad 5s 6h 7h",
    ),
    (
        "razz",
        ["h J h h * * J", "c K * c J h *"],
        "",
        "Kd Ac Kh 3c Js Jc Jh Tc 4h 9h Kc 6h Td 3s 4s 5d Qd 3d",
    ),
    ("deuce_seven", ["4 h * c h", "c * K 4 c"], "", "Ks 4h 4d Kd Th Kh 2c 8c 9c Tc 4c 7c 9h 7s"),
    ("five_card_draw", ["c * c 3 6", "c c s * c"], "", "Kc 7c 9s 3c Ks 6d 6c Jc Qs 5c 3s 5s As"),
    (
        "badugi",
        ["8 s c 8", "c 8 s 5", "s c c 5"],
        "",
        "8c 4c 3s 5d 3c 8d 6c Ts Kc 9c 8h Js 8s 5s 5c 7d Ad 9h Td",
    ),
    # Seven stud seats after four aces and three kings: weights that vary from deal to deal.
    ("stud", ["A******"] * 4 + ["K******"] * 3, "", None),
]

# Seats with several alternatives, (game, hands, board, dead, live): live, where given, lists the
# cards left besides the board, and every other card is dead. Where every alternative of a seat
# proposes its hands alike, the answers were recorded before rejection-sampled deals could carry
# weights and must not move; the others carry weights.
CROWD = "Ac Ad Ah As Kc Kd Kh Ks 8s 6s 4s"
ALTERNATIVES = [
    # Alike: wildcards twice, suits alone, ranks alone, named hands beside ranks alone.
    ("holdem", ["**, **", "AhKh"], "Qh Jh 2c", "", None),
    ("holdem", ["hh, ss", "QsQd"], "Qh Jh 2c", "", None),
    ("holdem", ["A K, Q J", "**"], "", "", None),
    ("omaha", ["AA**, KK**", "****"], "7c", "", None),
    ("stud", ["A**, K**", "QQ*"], "", "", None),
    ("five_card_draw", ["A*, K*", "**"], "", "", None),
    # Alike, on the weighted sampler: five seats after aces and kings.
    ("holdem", ["A *, K *"] * 5, "2c 7d 9h Ts Jc", "", CROWD),
    ("holdem", ["A A, K K"] + ["A *, K *"] * 4, "2c 7d 9h Ts Jc", "", CROWD),
    # Different numbers of hands: any ace or two kings, suits or a named hand, a board and dead
    # cards that change the counts, two such seats competing, and crowded seats.
    ("holdem", ["A*, KK", "QsQd"], "2c 7d 9h", "", None),
    ("holdem", ["hh, AsKs", "QsQd"], "2c 7d 9h", "", None),
    ("holdem", ["A*, KK", "QsQd"], "Ah Kd 7c", "Ac Kc", None),
    ("holdem", ["A*, KK", "K*, AA"], "2c 7d 9h", "", None),
    ("holdem", ["A *, K K", "A s, K *", "K *, A A", "* s"], "2c 7d 9h Ts Jc", "", CROWD),
]

# Spots the exact walk answers in a few milliseconds, per game beyond the crowded ones.
EXACT_SPOTS = {
    "holdem": [(["AhKh", "QsQd"], "Jh 7c 2d", ""), (["JJ+, AKs", "AhQh, 9c9d"], "Kd 7c 2d 3s", "")],
    "short_deck": [(["AhKh", "QsQd"], "Jh 7c 6d", ""), (["AK", "QQ+"], "Jh 7c 6d 9s", "")],
    "omaha": [
        (["AhKhQdJd", "TsTc9s8s", "2c3c4d5d"], "Jh 7c 2d", ""),
        (["A*K*", "QhQdJsJc"], "Jh 7c 2d 3s", "Ac Ad Kc Kd"),
    ],
    "omaha_five": [(["AhKhQdJdTc", "9s9c8s7c2h"], "Jh 7d 2d", "")],
    "omaha_six": [(["AhKhQdJdTc9c", "8s8c7s6c2h3h"], "Jh 7d 2d", "")],
    "omaha_hi_lo": [
        (["Ac2cKdKs", "3s4sQhQd"], "5h 6d 8c", ""),
        (["A2**", "3s4sQhQd, 3h4hQhQd"], "5h 6d 8c Kh", "Ac Ad 2c"),
    ],
    "omaha_five_hi_lo": [(["Ac2c3dKdKs", "Ad4d5sQhQc"], "6h 7c 8d", "")],
    "courchevel": [(["AhKhQdJdTc", "9s9c8s7c2h"], "Jh 6c 2d", "")],
    "courchevel_hi_lo": [(["Ac2c3dKdKs", "Ad4d5sQhQs"], "6h 7c 8s", "")],
    "stud": [
        (["Ah Ad Kc 7s 8d", "Qh Qs Jc Td 9c"], "", ""),
        (["Ah Ad Kc 7s 8d 2c", "Qh Qs Jc Td 9c 3c", "4c 4d 4h 5s 6s 9h"], "", ""),
        # Eight seats: six cards each and one shared board card.
        (
            [
                "2c2d2h2s3c3d",
                "3h3s4c4d4h4s",
                "5c5d5h5s6c6d",
                "6h6s7c7d7h7s",
                "8c8d8h8s9c9d",
                "9h9sTcTdThTs",
                "JcJdJhJsQcQd",
                "QhQsKcKd**",
            ],
            "",
            "",
        ),
    ],
    "stud_hi_lo": [(["Ac 2d 3h 9s Kd", "Qc Qd Jh Js 4c"], "", "")],
    "razz": [(["A 2 K 4h 9h", "3c 5c 6c Jc Qc"], "", "")],
    "deuce_seven": [(["7c 5d 4h", "8c 6d 4c 3d"], "", ""), (["7*, 8*", "2c 3d 4h 5s 6h"], "", "")],
    "five_card_draw": [(["Ah Ad Kc", "Qh Qs Jc"], "", "")],
    "badugi": [(["Ac 2d 3h", "Kc Qd Jh", "4c 5d"], "", ""), (["A*, 2*", "Kc Qd Jh"], "", "")],
}

# Refusals, whose messages must stay as they are.
ERRORS = [
    ("chunk_from_text", ["holdem", ["AhKh", "AhQd"]], {"samples": 10}),
    ("chunk_from_text", ["stud", ["AhKh2c"] * 9], {"samples": 10}),
    ("exact_from_text", ["courchevel", ["AhKhQdJdTc", "9s9c8s7c2h"]], {}),
    ("exact_from_text", ["razz", ["A23", "K2"]], {}),
    ("chunk_from_text", ["short_deck", ["AhKh", "QsQd"], "", "2c"], {"samples": 10}),
    ("exact", ["badugi", [[[1, 2, 4, 8]], [[1, 16, 32, 64]]], [], 0], {}),
]


def names(deck):
    return [RANKS[i // 4] + SUITS[i % 4] for i in range(52) if deck >> i & 1]


def dead_besides(game, board, live):
    if live is None:
        return ""
    deck = next(entry["deck"] for entry in vantor.variants() if entry["key"] == game)
    kept = set(board.split()) | set(live.split())
    return " ".join(name for name in names(deck) if name not in kept)


def masks_of(game, hands, board, dead):
    """The mask form of a text spot, with a bit above card 51 added to show it is ignored."""
    slots = next(entry["hole_cards"] for entry in vantor.variants() if entry["key"] == game)
    if game in ("stud", "stud_hi_lo", "razz") and len(hands) >= 8:
        slots -= 1
    seats = [vantor.parse_hand_field(hand, slots, True) for hand in hands]
    board_masks = [1 << vantor.card_index(card) for card in board.split()]
    seats[0][0][0] |= 1 << 60
    return [game, seats, board_masks, vantor.parse_dead_cards(dead)]


def cases():
    out = []

    def add(case_id, function, args, kwargs):
        out.append({"id": case_id, "function": function, "args": args, "kwargs": kwargs})

    for game, spots in SPOTS.items():
        for index, (hands, board, dead) in enumerate(spots):
            for threads in (1, 2):
                add(
                    f"chunk_from_text-{game}-{index}-t{threads}",
                    "chunk_from_text",
                    [game, hands, board, dead],
                    {"samples": SAMPLES, "seed": SEED + index, "threads": threads},
                )
    for index, (game, hands, board, live) in enumerate(CROWDED):
        dead = dead_besides(game, board, live)
        for threads in (1, 2):
            add(
                f"chunk_from_text-crowded-{game}-{index}-t{threads}",
                "chunk_from_text",
                [game, hands, board, dead],
                {"samples": SAMPLES, "seed": SEED, "threads": threads},
            )
        if live is not None:
            add(
                f"exact_from_text-crowded-{game}-{index}",
                "exact_from_text",
                [game, hands, board, dead],
                {},
            )
    for index, (game, hands, board, dead, live) in enumerate(ALTERNATIVES):
        if live is not None:
            dead = dead_besides(game, board, live)
        for threads in (1, 2):
            add(
                f"chunk_from_text-alternatives-{game}-{index}-t{threads}",
                "chunk_from_text",
                [game, hands, board, dead],
                {"samples": SAMPLES, "seed": SEED, "threads": threads},
            )
    for game, spots in EXACT_SPOTS.items():
        for index, (hands, board, dead) in enumerate(spots):
            add(
                f"exact_from_text-{game}-{index}", "exact_from_text", [game, hands, board, dead], {}
            )
    for game in ("holdem", "omaha_hi_lo", "stud", "razz", "badugi"):
        hands, board, dead = SPOTS[game][-1]
        args = masks_of(game, hands, board, dead)
        add(f"chunk-{game}", "chunk", args, {"samples": SAMPLES, "seed": 5, "threads": 2})
    for game in ("holdem", "razz", "deuce_seven"):
        hands, board, dead = EXACT_SPOTS[game][0]
        add(f"exact-{game}", "exact", masks_of(game, hands, board, dead), {})
    for index, (function, args, kwargs) in enumerate(ERRORS):
        add(f"error-{function}-{index}", function, args, kwargs)
    return out


def main():
    recorded = []
    for case in cases():
        recorded.append({**case, "result": answer(case)})
    RECORDED.parent.mkdir(exist_ok=True)
    RECORDED.write_text(json.dumps({"cases": recorded}, indent=1) + "\n")
    print(f"wrote {len(recorded)} cases to {RECORDED}")


if __name__ == "__main__":
    main()

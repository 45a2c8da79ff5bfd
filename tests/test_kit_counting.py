"""Deals counted without dealing them, against the walk's count of the deals it walks, and against
closed forms past the walk's limit."""

import math

import pytest

import vantor
from vantorkit.catalogue import games
from vantorkit.counting import deal_count


def count(game_key, hands, board="", dead=""):
    game = games()[game_key]
    slots = game.slots(len(hands))
    full = vantor.full_deck()
    seats = [
        [tuple(alt) + (full,) * (slots - len(alt))
         for alt in vantor.parse_hand_field(hand, slots, game.facts.short_fields)]
        for hand in hands
    ]  # fmt: skip
    written = vantor.parse_hand_field(board, 5, True)[0] if board.strip() else []
    board_slots = tuple(written) + (full,) * (game.board_size(len(hands)) - len(written))
    return deal_count(game.deck & ~vantor.parse_dead_cards(dead), seats, board_slots)


WALKED = [
    ("holdem", ["AhKh", "QsQd"], "", ""),
    ("holdem", ["AhKh", "QQ+, AKs"], "Kd 7c 2s", ""),
    ("holdem", ["A*", "K*"], "Kd7c2s", ""),
    ("holdem", ["A A", "h h"], "Kd7c2sQh", ""),
    ("holdem", ["Ah *, Ah Ks", "QsQd", "c *"], "Kh 9c 7d 4s", "2c"),
    ("holdem", ["AhKh", "**"], "Qh Jh *", ""),
    ("short_deck", ["AhKh", "9 9"], "", ""),
    ("omaha", ["AhKhQhJh", "****"], "2c3c4d5d", ""),
    ("omaha_hi_lo", ["A*2*", "KhKd9s8s"], "2c3c4d5d9h", ""),
    ("courchevel", ["AhKhQcJc9s", "AA***"], "Ks 7d 6c", ""),
    ("stud", ["AhKh9c7c*", "QsQd8d2c5h"], "", "3c"),
    # Eight seats: six cards each and one dealt face up for all, 46 named and 6 left.
    (
        "stud",
        [" ".join(vantor.card_name(c) for c in range(6 * s, 6 * s + 6)) for s in range(7)]
        + ["* * Qh Qs Kc Kd"],
        "",
        "",
    ),
    ("badugi", ["7c5d3h2s", "9c8d*"], "", ""),
    ("five_card_draw", ["A A Qh Jh", "K K 9s 8s"], "", "2c3c4c5c6c7c8c9c2d3d4d5d6d7d8d"),
    ("deuce_seven", ["7c5d4h3s", "9c8d6h4c2s"], "", "Kd"),
]


@pytest.mark.parametrize("spot", WALKED, ids=[spot[0] for spot in WALKED])
def test_the_count_is_the_walks(spot):
    walked = vantor.exact_from_text(*spot)
    assert count(*spot) == walked["samples"]


def test_razz_ranks_are_counted_as_dealt():
    # The walk pins a rank-only card where every seat has one alternative; with the first seat
    # written twice nothing is pinned and every deal is walked twice. By hand: 41 live cards;
    # the first seat an ace and one more card, 4 * 40 ways less the 6 pairs of aces counted
    # twice; the second seat one of the 39 left.
    hands = ["A 2d 3h 4s 5c 6c", "KcQdJhTs9c8c"]
    twice = vantor.exact_from_text("razz", [f"{hands[0]}, {hands[0]}", hands[1]])
    assert count("razz", hands) == twice["samples"] // 2 == (4 * 40 - 6) * 39


@pytest.mark.parametrize(
    "game, hands, deals",
    [
        ("holdem", ["**", "**"], math.comb(52, 2) * math.comb(50, 2) * math.comb(48, 5)),
        ("holdem", ["AhKh", "**", "**"], math.comb(50, 2) * math.comb(48, 2) * math.comb(46, 5)),
        ("holdem", ["AA", "KK"], 6 * 6 * math.comb(48, 5)),
        # An ace and any other of the 50 cards left: 4 * 49 pairs, those of two aces once.
        ("holdem", ["A*", "QsQd"], (4 * 49 - 6) * math.comb(48, 5)),
        ("omaha", ["****", "****"], math.comb(52, 4) * math.comb(48, 4) * math.comb(44, 5)),
        ("stud", ["***", "***"], math.comb(52, 7) * math.comb(45, 7)),
    ],
)
def test_past_the_walks_limit_the_count_is_the_combinatorics(game, hands, deals):
    assert count(game, hands) == deals

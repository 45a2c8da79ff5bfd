"""Checks of the brute-force reference itself, against counts and spots worked out by hand.

The exact walk is judged against tests/brute_force.py, so the reference must earn that trust on
its own: category counts from combinatorics, orderings every player knows, and small deals
whose answers are derived in the comments below.
"""

import math
from collections import Counter
from fractions import Fraction
from itertools import combinations_with_replacement

import pytest

import brute_force as bf

RANKS = "23456789TJQKA"
SUITS = "cdhs"


def card(name):
    return RANKS.index(name[0]) * 4 + SUITS.index(name[1])


def hand(text):
    return [card(text[i : i + 2]) for i in range(0, len(text), 2)]


def category_counts(five, ranks):
    """Counts of five-card hands per category over a deck of the given ranks, four suits each.

    Hands are grouped by their multiset of ranks: a multiset with a repeated rank can never be a
    flush and has prod C(4, count) suit choices; five different ranks have 4 flush and 1020
    other suit choices. One concrete hand of each kind is ranked and stands for its group."""
    counts = Counter()
    keys = set()
    for multiset in combinations_with_replacement(ranks, 5):
        per_rank = Counter(multiset)
        if max(per_rank.values()) > 4:
            continue
        if len(per_rank) == 5:
            flush = [r * 4 for r in multiset]
            other = [r * 4 + (1 if i == 0 else 0) for i, r in enumerate(multiset)]
            for cards, ways in ((flush, 4), (other, 1020)):
                key = five(cards)
                counts[key[0]] += ways
                keys.add(key)
        else:
            cards = [r * 4 + i for r, c in per_rank.items() for i in range(c)]
            key = five(cards)
            counts[key[0]] += math.prod(math.comb(4, c) for c in per_rank.values())
            keys.add(key)
    return counts, keys


class TestHighRanking:
    def test_category_counts_of_the_full_deck(self):
        counts, keys = category_counts(bf.high5, range(13))
        # The textbook counts of the 2,598,960 five-card hands.
        assert [counts[c] for c in range(9)] == [
            1302540,
            1098240,
            123552,
            54912,
            10200,
            5108,
            3744,
            624,
            40,
        ]
        assert len(keys) == 7462  # distinct hand values

    def test_category_counts_of_the_short_deck(self):
        counts, keys = category_counts(bf.short_deck5, range(4, 13))
        # Worked out for nine ranks (6..A): six straights (A-high down to 9-high, and A-9-8-7-6)
        # in four suits give 24 straight flushes; quads 9 * 32 = 288; full houses
        # 9 * 4 * 8 * 6 = 1728; flushes 4 * C(9,5) - 24 = 480; straights 6 * 4^5 - 24 = 6120;
        # trips 9 * 4 * C(8,2) * 16 = 16128; two pair C(9,2) * 36 * 7 * 4 = 36288; one pair
        # 9 * 6 * C(8,3) * 64 = 193536; no pair (126 - 6) * 1020 = 122400; total C(36,5).
        # Categories are in short-deck order, worst first: the flush sits above the full house.
        assert [counts[c] for c in range(9)] == [
            122400,
            193536,
            36288,
            16128,
            6120,
            1728,
            480,
            288,
            24,
        ]
        assert sum(counts.values()) == math.comb(36, 5)

    @pytest.mark.parametrize(
        "better, worse",
        [
            ("AhKhQhJhTh", "KhQhJhTh9h"),
            ("5h4h3h2hAh", "AcAdAhAsKc"),  # the steel wheel is still a straight flush
            ("2c2d2h2s3c", "AhAdAcKsKd"),
            ("AhAdAcKsKd", "AhQhJh9h7h"),
            ("6c5d4h3s2c", "5c4d3h2sAs"),  # the wheel is the lowest straight
            ("5c4d3h2sAs", "AcAdAhKsQd"),
            ("AsAdKcKd2h", "AsAdQcQdKh"),
            ("KcKdAhQs9h", "KhKsAdQd8c"),
        ],
    )
    def test_orderings(self, better, worse):
        assert bf.high5(hand(better)) > bf.high5(hand(worse))

    def test_suits_alone_never_separate_hands(self):
        assert bf.high5(hand("AhKd9c7s2h")) == bf.high5(hand("AsKc9d7h2d"))

    def test_best_of_seven(self):
        # Pair of queens with A-K-9 kickers: the two and seven play no part.
        assert bf.best_high(hand("AhKhQsQd2c7d9s")) == bf.high5(hand("AhKhQsQd9s"))


class TestShortDeckRanking:
    def test_flush_beats_full_house(self):
        assert bf.short_deck5(hand("AhQh9h8h6h")) > bf.short_deck5(hand("AcAdAhKsKd"))

    def test_ace_plays_below_the_six(self):
        assert bf.short_deck5(hand("Ac9d8h7s6c")) == bf.short_deck5(hand("9c8d7h6s5c"))
        assert bf.short_deck5(hand("Ac9d8h7s6c")) > bf.short_deck5(hand("AcAdAhKsQd"))

    def test_no_wheel(self):
        assert bf.short_deck5(hand("Ac5d4h3s2c"))[0] == 0  # a plain ace-high hand


class TestLowRankings:
    def test_ace_to_five_classes(self):
        counts, keys = category_counts(bf.low_a5_5, range(13))
        # Suits never matter, so every multiset of five ranks (at most four alike) is its own
        # class: C(17, 5) - 13 = 6175.
        assert len(keys) == 6175
        qualifying = {key for key in keys if bf.qualifies_eight(key)}
        assert len(qualifying) == math.comb(8, 5)  # five different ranks from A..8

    @pytest.mark.parametrize(
        "better, worse",
        [
            ("5h4h3h2hAh", "6c4d3h2sAs"),  # the flush and straight are ignored
            ("6c4d3h2sAs", "6c5d4h3s2c"),
            ("8c7d6h5s4c", "9c4d3h2sAs"),
            ("KcQdJhTs9c", "AcAd2h3s4c"),  # any pair is worse than no pair
            ("AcAd2h3s4c", "2c2d3h4s5c"),  # aces are the lowest pair
            ("2c2d3h4s5c", "AcAd2h2s3c"),
        ],
    )
    def test_ace_to_five_orderings(self, better, worse):
        assert bf.low_a5_5(hand(better)) < bf.low_a5_5(hand(worse))

    def test_eight_or_better(self):
        assert bf.qualifies_eight(bf.low_a5_5(hand("8c7d6h5s4c")))
        assert not bf.qualifies_eight(bf.low_a5_5(hand("9c4d3h2sAs")))
        assert not bf.qualifies_eight(bf.low_a5_5(hand("AcAd2h3s4c")))
        # Seven cards A-2-3-4-5-7-8 make the wheel.
        assert bf.best_low_a5(hand("Ac2d3h4s5c7d8h")) == bf.low_a5_5(hand("Ac2d3h4s5c"))

    @pytest.mark.parametrize(
        "better, worse",
        [
            ("7c5d4h3s2c", "7c6d4h3s2c"),
            ("7c6d4h3s2c", "8c5d4h3s2c"),
            ("KcQdJh9s8c", "Ac5d4h3s2c"),  # A-5-4-3-2 is ace high, not a straight
            ("AcKdQhJs9c", "2c2d3h4s5c"),
            ("AcAdKhKsQc", "6c5d4h3s2c"),  # any straight loses to two pair
            ("AcKdQhJsTc", "7h5h4h3h2h"),  # a flush loses to any straight
        ],
    )
    def test_deuce_seven_orderings(self, better, worse):
        assert bf.deuce_seven5(hand(better)) < bf.deuce_seven5(hand(worse))

    def test_deuce_seven_classes(self):
        counts, keys = category_counts(bf.deuce_seven5, range(13))
        assert len(keys) == 7462


class TestBadugi:
    @pytest.mark.parametrize(
        "better, worse",
        [
            ("Ac2d3h4s", "Ac2d3h5s"),
            ("KsQhJdTc", "Ac2d3h3s"),  # four cards beat any three
            ("Ac2d4h4s", "Ac3d4h4s"),
            ("2c3c4c5c", "3c3d3h3s"),  # one card each: the deuce beats the three
        ],
    )
    def test_orderings(self, better, worse):
        assert bf.badugi(hand(better)) < bf.badugi(hand(worse))

    def test_best_subset(self):
        assert bf.badugi(hand("AcAd2c3h")) == bf.badugi(hand("Ad2c3h"))
        assert bf.badugi(hand("Kc2c3c4c")) == bf.badugi(hand("2c"))


class TestOmaha:
    def test_one_heart_makes_no_flush(self):
        board = hand("2h5h9hJhKc")
        assert bf.omaha_high(hand("AhAcQdQs"), board)[0] == bf.PAIR  # aces, not a flush
        assert bf.omaha_high(hand("AhTh3c4d"), board)[0] == bf.FLUSH

    def test_board_quads_do_not_play(self):
        # Four kings on the board: the hand uses only three of them, with two hole cards.
        assert bf.omaha_high(hand("2c3d4h6s"), hand("KcKdKhKs7c"))[0] == bf.TRIPS


def shares(game, holes, board):
    got = bf.pot_shares(bf.GAMES[game], [hand(h) for h in holes], hand(board))
    return [list(map(Fraction, got[0])), list(map(Fraction, got[1]))]


class TestPotShares:
    def test_board_plays(self):
        assert shares("holdem", ["2c3d", "4h5h"], "AsKsQsJsTs") == [[0.5, 0.5], [0, 0]]

    def test_three_way_tie(self):
        third = Fraction(1, 3)
        assert shares("holdem", ["2c3d", "4h5c", "6h7c"], "AsKsQsJsTs")[0] == [third] * 3

    def test_short_deck_flush_over_full_house(self):
        # Seat 0 holds the ace-high heart flush, seat 1 nines full of kings.
        board = "KhQh9h9c6s"
        assert shares("short_deck", ["Ah7h", "9dKs"], board)[0] == [1, 0]
        assert shares("holdem", ["Ah7h", "9dKs"], board)[0] == [0, 1]

    def test_omaha_hi_lo_scoop(self):
        # A-2 plus 3-4-5 is both the wheel (the best low) and a five-high straight, which beats
        # the trip kings of seat 1: one seat takes the whole pot, half of it with the low.
        assert shares("omaha_hi_lo", ["Ac2c9d9s", "KdKsJdJs"], "3h4d5sKhQc") == [[1, 0], [0.5, 0]]

    def test_omaha_hi_lo_quartered(self):
        # Seats 0 and 1 both make A-2-3-4-8 low; seat 2 has trip kings for high and a worse
        # 8-7-6-4-3 low.
        got = shares("omaha_hi_lo", ["Ac2cQsJs", "Ad2dTs9s", "Kd7c7d6c"], "3h4d8sKhKc")
        assert got == [[0.25, 0.25, 0.5], [0.25, 0.25, 0]]

    def test_no_qualifying_low(self):
        # Seat 0's best low is 9-4-3-2-A, which does not qualify, and seat 1 has none either:
        # queens and jacks beat the kings for the whole pot.
        assert shares("stud_hi_lo", ["Ac2d3h4s9cKdKh", "QcQdJhJsTc9h8h"], "") == [[0, 1], [0, 0]]

    def test_stud_low_and_high_from_different_fives(self):
        # Seat 0: A-2-3-4-7 low from one five of its seven, three sevens from another, which
        # beat queens and jacks for high.
        got = shares("stud_hi_lo", ["Ac2d3h4s7c7d7h", "QcQdJhJsKc9h2h"], "")
        assert got == [[1, 0], [0.5, 0]]

    def test_razz_pair_loses_to_any_unpaired_hand(self):
        assert shares("razz", ["AcAd2c2d3c3dKs", "KcQdJhTs9c8d7h"], "")[0] == [0, 1]

    def test_badugi_four_cards_beat_three(self):
        assert shares("badugi", ["KcQdJhTs", "Ac2c3d4h"], "")[0] == [1, 0]


def mask(*names):
    return bf.mask_of(card(n) for n in names)


ANY_ACE = 0xF << (4 * 12)
HEARTS = sum(1 << (4 * r + 2) for r in range(13))


class TestCardSets:
    @pytest.mark.parametrize(
        "slots, expected",
        [
            ([ANY_ACE, bf.FULL_DECK], math.comb(52, 2) - math.comb(48, 2)),  # at least one ace
            ([ANY_ACE, ANY_ACE], 6),
            ([HEARTS], 13),
            # two hearts and a black or diamond ace, or A♥ in the ace slot with two other hearts
            ([HEARTS, HEARTS, ANY_ACE], math.comb(13, 2) * 3 + math.comb(12, 2)),
            ([mask("Ah"), mask("Ah")], 0),
            ([mask("Ah"), ANY_ACE], 3),
            ([bf.FULL_DECK] * 3, math.comb(52, 3)),
        ],
    )
    def test_counts(self, slots, expected):
        assert len(bf.card_sets(slots, bf.FULL_DECK)) == expected
        assert bf.count_card_sets(slots, bf.FULL_DECK) == expected
        assert len(set(bf.card_sets(slots, bf.FULL_DECK))) == expected

    def test_dead_cards_are_never_dealt(self):
        live = bf.FULL_DECK & ~mask("Ac", "Ad")
        assert sorted(map(sorted, bf.card_sets([ANY_ACE, ANY_ACE], live))) == [
            sorted([card("Ah"), card("As")])
        ]


def spot(game, seats, board="", dead=""):
    seats = [[[1 << c for c in hand(alt)] for alt in seat] for seat in seats]
    dead_mask = bf.mask_of(hand(dead))
    return bf.exact(game, seats, [1 << c for c in hand(board)], dead_mask)


class TestSpots:
    def test_turn_by_hand(self):
        # A♥A♦ against the set of kings on K♠7♥2♣3♦: only the two other aces win for the
        # aces (no straight or flush can come), so 2 of the 44 rivers.
        result = spot("holdem", [["AhAd"], ["KcKd"]], "Ks7h2c3d")
        assert result["samples"] == 44
        assert result["players"][0]["equity"] == pytest.approx(2 / 44, rel=1e-12)
        assert result["players"][1]["win"] == pytest.approx(42 / 44, rel=1e-12)
        assert result["players"][0]["tie"] == 0

    def test_river_board_plays(self):
        result = spot("holdem", [["2c3d"], ["4h5h"]], "AsKsQsJsTs")
        assert result["samples"] == 1
        assert result["tie_count"] == [1.0, 1.0] and result["high_tie_count"] == [1.0, 1.0]
        assert result["win_count"] == [0.0, 0.0]
        assert [p["equity"] for p in result["players"]] == [0.5, 0.5]

    def test_shared_card_set_counts_twice(self):
        once = spot("holdem", [["AhKh"], ["QsQd"]], "Jh7c2d5s")
        twice = spot("holdem", [["AhKh", "AhKh"], ["QsQd"]], "Jh7c2d5s")
        assert twice["samples"] == 2 * once["samples"]
        assert twice["share_sum"] == pytest.approx([2 * s for s in once["share_sum"]])
        assert twice["players"] == pytest.approx(once["players"])

    def test_stud_hi_lo_split_tally(self):
        # Seat 0 wins the low half alone, seat 1 the high half alone: both tie for the pot, one
        # wins high outright, the other low.
        result = spot("stud_hi_lo", [["Ac2d3h4s7c9d9h"], ["KcKdKhJsTcQhQd"]])
        assert result["tie_count"] == [1.0, 1.0]
        assert result["low_win_count"] == [1.0, 0.0] and result["high_win_count"] == [0.0, 1.0]
        assert result["high_tie_count"] == [0.0, 0.0] and result["low_tie_count"] == [0.0, 0.0]

    def test_declines(self):
        wild = [[[bf.FULL_DECK] * 2]]
        assert bf.exact("holdem", wild * 3, [], 0) is None  # 1326^3 hands
        assert bf.exact("holdem", wild + [[[mask("As"), mask("Ks")]]], [], 0) is None
        assert bf.deal_count(
            bf.GAMES["holdem"], wild + [[[mask("As"), mask("Ks")]]], [], 0
        ) == math.comb(50, 2) * math.comb(48, 5)
        nothing = [[[mask("Ah"), mask("Ah")], [mask("Kh"), mask("Kh")]]]
        assert bf.exact("holdem", nothing + [[[mask("Qs"), mask("Qd")]]], [], 0) is None

    def test_razz_rank_pinned(self):
        # Seat 0 shows "any seven" while seat 1 holds 7c: the seven is pinned to 7d, so each
        # seat's deals are those of named cards only.
        sevens = 0xF << (4 * 5)
        seats = [
            [[sevens] + [1 << c for c in hand("Ac2c3c4c5c6c")]],
            [[1 << c for c in hand("7c8c9cTcJcQcKc")]],
        ]
        seats_pinned, _, _ = bf.complete_request(bf.GAMES["razz"], seats, [], 0)
        assert seats_pinned[0][0][0] == mask("7d")
        assert bf.exact("razz", seats, [], 0)["samples"] == 1

"""The exact walk, `exact` and `exact_from_text`, against the brute-force reference.

Every spot is small enough for the plain-Python reference in tests/brute_force.py to list all
its deals, and every field of the result is compared, not only the equities. Spots are data:
a seat is a list of alternatives, an alternative a space-separated list of slots, each slot a
card ("Ah"), a rank ("A": any ace), a suit ("h": any heart) or "*" (any card).
"""

import math
from dataclasses import dataclass, field

import pytest

import brute_force as bf
import vantor

RANKS = "23456789TJQKA"
SUITS = "cdhs"
ANY_CARD = (1 << 52) - 1


def slot(token):
    if token == "*":
        return ANY_CARD
    if len(token) == 2:
        return 1 << (RANKS.index(token[0]) * 4 + SUITS.index(token[1]))
    if token in RANKS:
        return 0xF << (4 * RANKS.index(token))
    if token in SUITS:
        return sum(1 << (4 * r + SUITS.index(token)) for r in range(13))
    raise AssertionError(f"not a slot: {token}")


def masks(text):
    return [slot(token) for token in text.split()]


@dataclass
class Spot:
    id: str
    game: str
    seats: list
    board: str = ""
    dead: str = ""

    def hands(self):
        return [[masks(alt) for alt in seat] for seat in self.seats]

    def board_masks(self):
        return masks(self.board)

    def dead_mask(self):
        return bf.mask_of(m.bit_length() - 1 for m in masks(self.dead))

    def args(self):
        return self.game, self.hands(), self.board_masks(), self.dead_mask()


EIGHT_STUD_SEATS = [
    ["2c 2d 2h 3c 3d 3h"],
    ["4c 4d 4h 5c 5d 5h"],
    ["6c 6d 6h 7c 7d 7h"],
    ["8c 8d 8h 9c 9d 9h"],
    ["Tc Td Th Jc Jd Jh"],
    ["Qc Qd Qh Kc Kd Kh"],
    ["Ac Ad Ah 2s 3s 4s"],
    ["5s 6s 7s Ts Js *"],
]


def suited(high, low):
    return [f"{high}{s} {low}{s}" for s in SUITS]


def pairs(ranks):
    return [f"{r}{a} {r}{b}" for r in ranks for i, a in enumerate(SUITS) for b in SUITS[i + 1 :]]


def every_card_of(ranks):
    return " ".join(r + s for r in ranks for s in SUITS)


SPOTS = [
    # Hold'em
    Spot("holdem-flop", "holdem", [["Ah Kh"], ["Qs Qd"]], "Jh 7c 2d"),
    Spot("holdem-turn-three-seats", "holdem", [["Ah Kh"], ["Qs Qd"], ["9c 9d"]], "Jh 7c 2d 5s"),
    Spot("holdem-river-board-plays", "holdem", [["2c 3d"], ["4h 5h"]], "As Ks Qs Js Ts"),
    Spot("holdem-ranks", "holdem", [["A K"], ["Qs Qd"]], "Jh 7c 2d 5s"),
    Spot("holdem-suits", "holdem", [["h h"], ["Qs Qd"]], "Jh 7c 2d 5s 3c"),
    Spot("holdem-rank-and-wildcard", "holdem", [["A *"], ["Ks Kd"]], "Jh 7c 2d 5s 3c"),
    Spot("holdem-wildcards", "holdem", [["Ah Kh"], ["* *"]], "Qh Jh 2c 7d 9s"),
    Spot("holdem-alternatives", "holdem", [["Ah Kh", "As Ks"], ["Qs Qd", "Jc Jd"]], "Th 7c 2d 5s"),
    Spot("holdem-shared-card-set", "holdem", [["Ah Kh", "A Kh"], ["Qs Qd"]], "Jh 7c 2d 5s"),
    Spot("holdem-dead", "holdem", [["Ah Kh"], ["Qs Qd"]], "Jh 7c 2d", "Qc Kc As 5h"),
    Spot("holdem-four-seats", "holdem", [["Ah Kh"], ["Qs Qd"], ["Jc Tc"], ["9s 9h"]], "8c 7d 2h"),
    # Walked by classes of alike deals (suits renamed, boards by ranks, flush boards apart).
    Spot("holdem-suited-against-pair-flop", "holdem", [suited("A", "K"), pairs("Q")], "2c 7d 9h"),
    Spot(
        "holdem-preflop-small-deck", "holdem", [["Ah Kh"], ["Qs Qd"]], dead=every_card_of("2345678")
    ),
    Spot("holdem-flush-draws-flop", "holdem", [["Ah Kh"], ["Qh Jh"], ["9s 8s"]], "2h 7h Ts"),
    # Short deck: a 36-card deck, so "*" and ranks only reach sixes and up.
    Spot(
        "short-deck-suited-against-pair-flop",
        "short_deck",
        [suited("A", "K"), pairs("Q")],
        "6c 7d 9h",
    ),
    Spot("short-deck-flop", "short_deck", [["Ah Kh"], ["Qs Qd"]], "Jh 7c 6d"),
    Spot("short-deck-flush-over-boat", "short_deck", [["Ah 7h"], ["9d Ks"]], "Kh Qh 9h 9c 6s"),
    Spot("short-deck-wildcards-dead", "short_deck", [["Ah Kh"], ["* *"]], "Qh Jh 6c 7d 8s", "Tc"),
    Spot("short-deck-rank-suit", "short_deck", [["A s"], ["K K"]], "Qh Jh 6c 7d 8s"),
    # Omaha family
    Spot("omaha-turn", "omaha", [["Ah Kh Qd Jd"], ["Ts Tc 9s 8c"]], "Jh 7c 2d 5s"),
    Spot(
        "omaha-alternatives-wildcard",
        "omaha",
        [["Ah Kh Qd Jd", "As Ks Qc Jc"], ["Ts Tc 9h *"]],
        "Jh 7c 2d 5s",
    ),
    Spot("omaha-ranks-suits", "omaha", [["A A h Qs"], ["7s 7d 9s 8s"]], "Jh 7c 2d 5s 3c"),
    Spot(
        "omaha-hi-lo-low-possible", "omaha_hi_lo", [["Ac 2c Kd Ks"], ["3s 4s Qh Qd"]], "5h 6d 8c Jh"
    ),
    Spot("omaha-hi-lo-flop", "omaha_hi_lo", [["Ac 2c Kd Ks"], ["3s 4s Qh Qd"]], "5h 6d Jh"),
    Spot("omaha-hi-lo-no-low", "omaha_hi_lo", [["Kd Kc 9h 2c"], ["As Ks 3d 4d"]], "Kh Qs Jd Tc"),
    # Seat 0 holds a single low card: with four low cards on board it still has no low.
    Spot(
        "omaha-hi-lo-one-low-hole-card",
        "omaha_hi_lo",
        [["Ac Kd Ks Qh"], ["6c 7d Qs Jh"]],
        "2c 3d 4h 5s",
    ),
    Spot(
        "omaha-hi-lo-three-seats",
        "omaha_hi_lo",
        [["Ac 2c 3d Kd"], ["Ad 2d 7s 8s"], ["Kh Ks Qh *"]],
        "4h 5s 6c Js 9d",
    ),
    Spot("omaha-five-turn", "omaha_five", [["Ah Kh Qd Jd Tc"], ["9s 9c 8s 7c 2h"]], "Jh 7d 2d 5s"),
    Spot(
        "omaha-five-dead",
        "omaha_five",
        [["Ah Kh Qd Jd Tc"], ["9s 9c 8s 7c *"]],
        "Jh 7d 2d 5s 4c",
        "3c 3d",
    ),
    Spot(
        "omaha-five-hi-lo",
        "omaha_five_hi_lo",
        [["Ac 2c 3d Kd Ks"], ["Ad 4d 5s Qh Qs"]],
        "6h 7c 8d Js",
    ),
    Spot("courchevel-turn", "courchevel", [["Ah Kh Qd Jd Tc"], ["9s 9c 8s 7c 2h"]], "Jh 7d 2d 5s"),
    Spot(
        "courchevel-hi-lo",
        "courchevel_hi_lo",
        [["Ac 2c 3d Kd Ks"], ["Ad 4d 5s Qh Qs"]],
        "6h 7c 8d Js",
    ),
    Spot(
        "courchevel-hi-lo-no-low",
        "courchevel_hi_lo",
        [["Ac 2c 3d Kd Ks"], ["Ad 4d 5s Qh Jc"]],
        "Th 9c Td Js",
    ),
    Spot("omaha-flush-draws-flop", "omaha", [["Ah Kh Qd Jd"], ["9h 8h 7c 6c"]], "Th 2h 3c"),
    Spot(
        "omaha-hi-lo-flop-two-open",
        "omaha_hi_lo",
        [["Ac 2c 3d 4d"], ["Ah 2h 5s 6s"]],
        "7h 8s 3c",
        every_card_of("9TJQK"),
    ),
    Spot(
        "courchevel-one-card-small-deck",
        "courchevel",
        [["Ah Kh Qd Jd Tc"], ["9s 9c 8s 7c 2h"]],
        "Jh",
        every_card_of("3456"),
    ),
    Spot(
        "omaha-six-turn", "omaha_six", [["Ah Kh Qd Jd Tc 9c"], ["8s 8c 7s 6c 2h 3h"]], "Jh 7d 2d 5s"
    ),
    # Stud, razz: no board up to seven seats; eight seats get six cards and share one. Every
    # seat shows the same number of cards; fewer than the game deals are completed with "*".
    Spot("stud-wildcards", "stud", [["Ah Ad Kc 7s 8d 2c *"], ["Qh Qs Jc Td 9c 3h *"]]),
    Spot("stud-short-hands", "stud", [["Ah Kc 7s 8d 2c 3d"], ["Qh Qs Jc Td 9c 4h"]]),
    Spot(
        "stud-three-seats-dead",
        "stud",
        [["Ah Ad Kc 7s 8d 2c 2h"], ["Qh Qs Jc Td 9c 3h 4h"], ["5c 5d 6h 6s Ks Kh *"]],
        dead="As Ac 9d",
    ),
    Spot("stud-eight-seats", "stud", EIGHT_STUD_SEATS),
    Spot("stud-eight-seats-board-given", "stud", EIGHT_STUD_SEATS, "9s"),
    Spot("stud-hi-lo-wildcards", "stud_hi_lo", [["Ac 2d 3h 9s Kd Kh"], ["Qc Qd Jh Js 4c 5d"]]),
    Spot(
        "stud-hi-lo-no-low",
        "stud_hi_lo",
        [["Ac 9d Th Js Kd Kh *"], ["Qc Qd Jh 9s Tc 8d *"]],
        dead="2c 2d 3c 3d 4c 4d 5c 5d 6c 6d 7c 7d",
    ),
    Spot("stud-hi-lo-eight-seats", "stud_hi_lo", EIGHT_STUD_SEATS),
    Spot("stud-two-free-suits", "stud", [["Ah As Kh Ks 2h 3s"], ["Qh Qs Jh Js 4h 5s"]]),
    Spot("razz-ranks-against-two-suits", "razz", [["A A 2 2 3 3 4"], ["Kc Kd Qc Qd Jc Jd Tc"]]),
    Spot("razz-ranks-pinned", "razz", [["A 2 K 4h 9h Th"], ["3c 5c 6c Jc Qc 8d"]]),
    Spot(
        "razz-alternatives",
        "razz",
        [["A 2 K 4h 9h Th 5c", "Ac 2c 3c Kh Qh Th 5d"], ["3d 4s 6c Jc Qc 9d 7h"]],
    ),
    Spot("razz-shared-rank", "razz", [["7 Ac 2c Kc Qc Jc"], ["7c 8d 9d 3d Jd Qd"]]),
    # Draw games: no board; short hands are completed with wildcards.
    Spot("deuce-seven-wildcard", "deuce_seven", [["7c 5d 4h 3s *"], ["8c 6d 4c 3d 2h"]]),
    # A-5-4-3-2 is ace high here, which beats the pair of deuces; as a straight it would lose.
    Spot("deuce-seven-wheel", "deuce_seven", [["Ah 5d 4c 3s *"], ["2c 2d 7h 8s 9c"]]),
    Spot(
        "deuce-seven-three-seats-short",
        "deuce_seven",
        [["7c 5d 4h"], ["8c 6d 4c 3d 2h"], ["9c 9d Kh Ks 2c"]],
    ),
    Spot("five-card-draw-short", "five_card_draw", [["Ah Ad Kc"], ["Qh Qs Jc Jd 2h"]]),
    Spot(
        "five-card-draw-alternatives-dead",
        "five_card_draw",
        [["Ah Ad Kc Ks *", "7h 8h 9h Th *"], ["Qh Qs Jc Jd 2h"], ["3c 3d 3h 4c 4d"]],
        dead="Ac Kh",
    ),
    Spot("badugi-short", "badugi", [["Ac 2d 3h"], ["Kc Qd Jh Ts"]]),
    Spot("badugi-suits", "badugi", [["Ac 2d h s"], ["Kc Qd Jh Ts"]]),
    Spot(
        "badugi-four-seats-dead",
        "badugi",
        [["Ac 2d 3h"], ["Kc Qd Jh Ts"], ["4c 4d 5h *"], ["6s 7c 8d 9h"]],
        dead="As Ad",
    ),
]
GAMES = sorted({spot.game for spot in SPOTS})


def test_every_game_has_spots():
    assert sorted(entry["key"] for entry in vantor.variants()) == GAMES


def assert_same_result(got, want):
    """Every key, in order, every value compared: counts exactly, floats to 1e-9 relative."""
    close = dict(rel=1e-9, abs=1e-12)
    assert list(got) == list(want)
    for key, expected in want.items():
        value = got[key]
        if key == "weighted":
            assert type(value) is bool
            if expected is not None:
                assert value is expected, key
        elif key == "players":
            assert len(value) == len(expected)
            for seat, (seat_got, seat_want) in enumerate(zip(value, expected)):
                assert list(seat_got) == list(seat_want)
                assert all(type(v) is float for v in seat_got.values())
                assert seat_got == pytest.approx(seat_want, **close), f"seat {seat}"
        elif isinstance(expected, int):  # bool included: the types must match exactly
            assert type(value) is type(expected) and value == expected, key
        elif isinstance(expected, list):
            assert len(value) == len(expected) and all(type(v) is float for v in value), key
            assert value == pytest.approx(expected, **close), key
        else:
            assert type(value) is float and value == pytest.approx(expected, **close), key


@pytest.mark.parametrize("spot", SPOTS, ids=lambda spot: spot.id)
def test_exact_matches_brute_force(spot):
    want = bf.exact(*spot.args())
    assert want is not None
    assert_same_result(vantor.exact(*spot.args()), want)


@pytest.mark.parametrize("spot", SPOTS, ids=lambda spot: spot.id)
def test_exact_result_is_marked_exact(spot):
    result = vantor.exact(*spot.args())
    assert result["exact"] is True
    assert result["attempts"] == 0 and result["acceptance"] == 1.0
    assert result["weight_sum"] == result["effective_samples"] == result["samples"]
    assert result["weight_square_sum"] == result["samples"]
    assert [seat["std_error"] for seat in result["players"]] == [0.0] * len(spot.seats)
    assert sum(result["share_sum"]) == pytest.approx(result["samples"], rel=1e-12)


@pytest.mark.parametrize(
    "game, seat, other, board",
    [
        ("holdem", "Ah Kh", "Qs Qd", "Jh 7c 2d 5s"),
        ("omaha_hi_lo", "Ac 2c Kd Ks", "3s 4s Qh Qd", "5h 6d 8c Jh"),
        ("badugi", "Ac 2d 3h *", "Kc Qd Jh Ts", ""),
    ],
)
def test_alternative_listed_twice_counts_twice(game, seat, other, board):
    once = vantor.exact(game, [[masks(seat)], [masks(other)]], masks(board), 0)
    twice = vantor.exact(game, [[masks(seat), masks(seat)], [masks(other)]], masks(board), 0)
    assert twice["samples"] == 2 * once["samples"] > 0
    for key in bf.SUM_NAMES:
        assert twice[key] == pytest.approx([2 * v for v in once[key]], rel=1e-12), key
    assert twice["players"] == pytest.approx(once["players"], rel=1e-12)


# Games dealt with a board, each with a river spot of named cards: exactly one deal.
RIVER_SPOTS = [
    Spot("holdem-river", "holdem", [["Ah Kh"], ["Qs Qd"]], "Jh 7c 2d 5s Qh"),
    Spot("short-deck-river", "short_deck", [["Ah 9d"], ["Qs Qd"]], "Jh 7c 6d 8s Kh"),
    Spot("omaha-river", "omaha", [["Ah Kh Qd Jd"], ["Ts Tc 9s 8c"]], "Jh 7c 2d 5s 6c"),
    Spot("omaha-hi-lo-river", "omaha_hi_lo", [["Ac 2c Kd Ks"], ["3s 4s Qh Qd"]], "5h 6d 8c Jh Kc"),
    Spot(
        "omaha-five-river", "omaha_five", [["Ah Kh Qd Jd Tc"], ["9s 9c 8s 7c 2h"]], "Jh 7d 2d 5s 9d"
    ),
    Spot(
        "omaha-five-hi-lo-river",
        "omaha_five_hi_lo",
        [["Ac 2c 3d Kd Ks"], ["Ad 4d 5s Qh Qs"]],
        "6h 7c 8d Js 2s",
    ),
    Spot(
        "courchevel-river", "courchevel", [["Ah Kh Qd Jd Tc"], ["9s 9c 8s 7c 2h"]], "Jh 7d 2d 5s 9d"
    ),
    Spot(
        "courchevel-hi-lo-river",
        "courchevel_hi_lo",
        [["Ac 2c 3d Kd Ks"], ["Ad 4d 5s Qh Qs"]],
        "6h 7c 8d Js 2s",
    ),
    Spot(
        "omaha-six-river",
        "omaha_six",
        [["Ah Kh Qd Jd Tc 9c"], ["8s 8c 7s 6c 2h 3h"]],
        "Jh 7d 2d 5s 8d",
    ),
]


@pytest.mark.parametrize("spot", RIVER_SPOTS, ids=lambda spot: spot.id)
def test_river_spot_is_one_deal(spot):
    result = vantor.exact(*spot.args())
    assert result["samples"] == 1 and result["exact"] is True
    assert [seat["std_error"] for seat in result["players"]] == [0.0, 0.0]
    assert_same_result(result, bf.exact(*spot.args()))


def test_published_preflop_matchup():
    # A♥K♥ against Q♠Q♦ before the flop: every five-card board of the 48 unseen cards.
    # Equity tables list A-K suited against queens sharing no suit with it at 46.21% for the
    # suited hand (the pokerstrategy.com forum thread "Math - AK or AKs vs AA or QQ",
    # threadid=188543, gives it as 46% vs QQ with no shared suits).
    result = vantor.exact("holdem", [[masks("Ah Kh")], [masks("Qs Qd")]], [], 0)
    assert result["samples"] == math.comb(48, 5) == 1_712_304
    ace_king, queens = result["players"]
    assert 0.46205 <= ace_king["equity"] < 0.46215
    assert ace_king["equity"] + queens["equity"] == pytest.approx(1.0, rel=1e-12)
    # Heads-up without a low, each board is a win for one seat or a tie for both.
    assert ace_king["tie"] == queens["tie"] > 0
    assert ace_king["win"] + queens["win"] + ace_king["tie"] == pytest.approx(1.0, rel=1e-12)
    assert ace_king["equity"] == pytest.approx(ace_king["win"] + ace_king["tie"] / 2, rel=1e-12)


DECLINES = [
    # Three seats of two unseen cards: 1326^3 hands before a board is even dealt.
    Spot("holdem-three-wildcard-seats", "holdem", [["* *"]] * 3),
    Spot("draw-two-wildcard-seats", "five_card_draw", [["* * * * *"]] * 2),
    # 1326 hands times one is far below the limit, but each of the 1225 hands that fit
    # beside A♠K♠ has C(48, 5) boards: the walk runs out of its budget.
    Spot("holdem-boards-past-limit", "holdem", [["* *"], ["As Ks"]]),
]


@pytest.mark.parametrize("spot", DECLINES, ids=lambda spot: spot.id)
def test_declines(spot):
    assert bf.exact(*spot.args()) is None
    assert vantor.exact(*spot.args()) is None


def test_boards_past_limit_declines_on_deals_not_hands():
    spot = DECLINES[2]
    game, hands, board, dead = spot.args()
    hands_product = math.prod(bf.count_card_sets(seat[0], bf.FULL_DECK) for seat in hands)
    assert hands_product == 1326 <= bf.DEAL_LIMIT
    assert bf.deal_count(bf.GAMES[game], hands, board, dead) > bf.DEAL_LIMIT


def test_text_decline():
    assert vantor.exact_from_text("holdem", ["**", "**", "**"]) is None


@dataclass
class TextSpot:
    """A text-form question and the same question written out as masks by hand."""

    id: str
    texts: list
    board: str
    dead: str
    masks: Spot = field(repr=False)


TEXT_SPOTS = [
    TextSpot(
        "ranges",
        ["TT+", "AKs"],
        "Kd7c2d5s",
        "",
        Spot("", "holdem", [pairs("TJQKA"), suited("A", "K")], "Kd 7c 2d 5s"),
    ),
    TextSpot(
        "alternatives-and-wildcards",
        ["AhKh, QsQd", "* *"],
        "Jh 7c 2d 5s 3c",
        "",
        Spot("", "holdem", [["Ah Kh", "Qs Qd"], ["* *"]], "Jh 7c 2d 5s 3c"),
    ),
    TextSpot(
        "short-deck-classes",
        ["AKs", "QQ, JJ"],
        "Th 9c 6d 7s 8s",
        "",
        Spot("", "short_deck", [suited("A", "K"), pairs("QJ")], "Th 9c 6d 7s 8s"),
    ),
    TextSpot(
        "omaha-wildcards",
        ["AhKh**", "QsQdJcTc"],
        "9h8c2d5s3c",
        "",
        Spot("", "omaha", [["Ah Kh * *"], ["Qs Qd Jc Tc"]], "9h 8c 2d 5s 3c"),
    ),
    TextSpot(
        "omaha-hi-lo-suits",
        ["Ac2c h s", "3s4sQhQd"],
        "5h 6d Jh 8c Kc",
        "",
        Spot("", "omaha_hi_lo", [["Ac 2c h s"], ["3s 4s Qh Qd"]], "5h 6d Jh 8c Kc"),
    ),
    TextSpot(
        "stud-short",
        ["AhKc 7s8d2c3d", "QhQsJcTd9c4h"],
        "",
        "",
        Spot("", "stud", [["Ah Kc 7s 8d 2c 3d"], ["Qh Qs Jc Td 9c 4h"]]),
    ),
    TextSpot(
        "razz-ranks",
        ["A 2 K 4h9hTh", "3c5c6cJcQc9d"],
        "",
        "",
        Spot("", "razz", [["A 2 K 4h 9h Th"], ["3c 5c 6c Jc Qc 9d"]]),
    ),
    TextSpot(
        "badugi-dead",
        ["Ac2d3h", "KcQdJhTs"],
        "",
        "4s",
        Spot("", "badugi", [["Ac 2d 3h"], ["Kc Qd Jh Ts"]], dead="4s"),
    ),
    TextSpot(
        "deuce-seven-dead",
        ["7c5d4h3s", "8c 6d 4c 3d 2h"],
        "",
        "2c 2d",
        Spot("", "deuce_seven", [["7c 5d 4h 3s"], ["8c 6d 4c 3d 2h"]], dead="2c 2d"),
    ),
]


@pytest.mark.parametrize("spot", TEXT_SPOTS, ids=lambda spot: spot.id)
def test_exact_from_text_matches_brute_force(spot):
    got = vantor.exact_from_text(spot.masks.game, spot.texts, spot.board, spot.dead)
    assert_same_result(got, bf.exact(*spot.masks.args()))

"""Sampled estimates against the exact walk, on spots of every game and with both samplers, and
the reported standard error against the spread of estimates over many seeds.

The exact walk counts every deal a request allows once: an alternative weighs in proportion to
the hands it allows. Both samplers propose each of a seat's alternatives equally often, so where
the alternatives allow different numbers of hands (or the rejection sampler proposes their hands
with different chances) their deals carry the weights that make up for it. The spots with
alternatives of different sizes below are ones where the estimates and the walk disagreed before
those weights; each must now agree within its reported standard error.

Where a spot lists `live` cards, every other card of the deck not on the board is dead: crowding
the seats onto a few cards is what makes independent draws collide, and the sampler pilot then
picks the weighted sampler. Those spots came from a search for requests the pilot gives to the
weighted sampler and whose weights vary; the test checks both, so the spots keep exercising that
sampler if the pilot changes (cpp_tests/sampler/alternative_weights_test.cpp checks the pilot's
choice where the alternatives differ, since the result's `weighted` then holds either way).
"""

import math
import statistics
from dataclasses import dataclass

import pytest

import vantor

RANKS, SUITS = "23456789TJQKA", "cdhs"
DECKS = {entry["key"]: entry["deck"] for entry in vantor.variants()}
SAMPLES = 500_000
# Each comparison has a chance of about 7e-6 to fall outside 4.5 standard errors by luck; some 370
# of them can (the others compare figures every deal agrees on), so with normal errors a change
# of the random streams would raise a false alarm about once in four hundred.
Z = 4.5
RATES = ("win", "tie", "scoop", "high_win", "high_tie", "low_win", "low_tie")


@dataclass
class Spot:
    id: str
    game: str
    hands: list
    board: str = ""
    live: str = None  # the cards left besides the board; None: nothing is dead
    weighted: bool = False  # the pilot picks the weighted sampler
    uneven: bool = False  # some seat's alternatives allow different numbers of hands
    dead_cards: str = ""  # dead cards, where `live` is not given

    def carries_weights(self):
        return self.weighted or self.uneven

    def dead(self):
        if self.live is None:
            return self.dead_cards
        kept = set(self.board.split()) | set(self.live.split())
        deck = DECKS[self.game]
        names = (RANKS[i // 4] + SUITS[i % 4] for i in range(52) if deck >> i & 1)
        return " ".join(name for name in names if name not in kept)

    def args(self):
        return self.game, self.hands, self.board, self.dead()


REJECTION_SPOTS = [
    Spot("holdem-ranges", "holdem", ["JJ+, AKs", "AhQh, 9c9d"], "Kd 7c 2d"),
    # Four seats after two, sometimes the same, aces and kings: most draws collide.
    Spot(
        "holdem-aces-and-kings-crowded",
        "holdem",
        ["A *", "A s", "K *", "K s"],
        "2c 7d 9h Ts Jc",
        "Ac Ad Ah As Kc Kd Kh Ks 8s 6s 4s",
    ),
    Spot("short-deck-ranks", "short_deck", ["A K", "Qs Qd"], "Jh 7c 6d"),
    Spot("omaha", "omaha", ["Ah Kh Qd Jd", "Ts Tc 9s *"], "Jh 7c 2d"),
    Spot("omaha-hi-lo", "omaha_hi_lo", ["Ac 2c Kd Ks", "3s 4s Qh *"], "5h 6d 8c"),
    Spot("omaha-five", "omaha_five", ["Ah Kh Qd Jd Tc", "9s 9c 8s 7c *"], "Jh 7d 2d"),
    Spot("omaha-five-hi-lo", "omaha_five_hi_lo", ["Ac 2c 3d Kd Ks", "Ad 4d 5s Qh *"], "6h 7c 8d"),
    Spot("courchevel", "courchevel", ["Ah Kh Qd Jd Tc", "9s 9c 8s 7c 2h"], "Jh"),
    Spot("courchevel-hi-lo", "courchevel_hi_lo", ["Ac 2c 3d Kd Ks", "Ad 4d 5s Qh Qs"], "6h 7c"),
    Spot("omaha-six", "omaha_six", ["Ah Kh Qd Jd Tc 9c", "8s 8c 7s 6c 2h *"], "Jh 7d 2d"),
    Spot("stud", "stud", ["Ah Ad Kc 7s 8d", "Qh Qs Jc Td 9c"]),
    Spot("stud-hi-lo", "stud_hi_lo", ["Ac 2d 3h 9s Kd", "Qc Qd Jh Js 4c"]),
    Spot("razz-ranks", "razz", ["A 2 K 4h 9h", "3c 5c 6c Jc Qc"]),
    Spot("deuce-seven", "deuce_seven", ["7c 5d 4h", "8c 6d 4c 3d"]),
    Spot("five-card-draw", "five_card_draw", ["Ah Ad Kc", "Qh Qs Jc"]),
    Spot("badugi-three-seats", "badugi", ["Ac 2d 3h", "Kc Qd Jh", "4c 5d"]),
]

WEIGHTED_SPOTS = [
    Spot(
        "holdem",
        "holdem",
        ["Q *", "s *", "s s", "* s"],
        "8c 5h Qs 7c 9h",
        "Ac 3s 4c Qh 6c 8s 9s 6s 2s 5d Th Ad 3h",
    ),
    Spot(
        "short-deck",
        "short_deck",
        ["d d", "J d", "c c", "c d"],
        "9d 6c 6d Tc",
        "Ac Qd Jh 9c Jc Qc 7d Td Kc Js Ad 8c 6h Jd Qs Ts 9h",
    ),
    Spot(
        "omaha",
        "omaha",
        ["3 * h *", "h * h *"],
        "8h 5s 5h 3s 4s",
        "Tc 9c Jh 5d 6h Th Qc Kh 3c Jc 3h 7c 2c",
    ),
    Spot(
        "omaha-hi-lo",
        "omaha_hi_lo",
        ["* s * 6", "s 3 * d"],
        "Kd 9s 5s 3d",
        "6s 6d Qs 4s 7s 8s 5d 3c 9c 5h 2h 9h Qc",
    ),
    Spot(
        "omaha-five",
        "omaha_five",
        ["s * s c c", "* Q s Q *"],
        "As 8d 7d 5c",
        "Ac 7s 4s Qc Kc 6s 2c Jc Qd 9s 8s 5s Qh Jh 2s Kd 9d 3d",
    ),
    Spot(
        "omaha-five-hi-lo",
        "omaha_five_hi_lo",
        ["h h s h *", "6 h 6 J *"],
        "6h Qh 4s 3h Jd",
        "2s 5s Ah 6c Js 9h 9s As 5h 7s Kh 6d Jh Th Ac 5c Kc Qc 7c 7d",
    ),
    Spot(
        "courchevel",
        "courchevel",
        ["c c c 2 *", "* * 6 6 2"],
        "As Qs 7c 5c 3c",
        "9c 6d 2h 2c Jc 7s 4c 3s 6c 2d Ac Qc Ks 4s",
    ),
    Spot(
        "courchevel-hi-lo",
        "courchevel_hi_lo",
        ["h 4 s * h", "4 s s h 5"],
        "2h 4s Ks Qc",
        "Js Jh 4h Qh 5h 2s 5s Ah 4c Qs 5c Ts 6h 9c 7d Tc",
    ),
    Spot(
        "omaha-six",
        "omaha_six",
        ["h h J h * 8", "* h h d h J"],
        "9s 5c 4d 3s Kd",
        "Js 5h Th 9h 8h 3h 8s 5d Td 7d 2d 9d Qd Jd Kh 7h 7c 3c 4c",
    ),
    Spot(
        "stud",
        "stud",
        ["* d * c d c d", "c T d c * d *"],
        "",
        "Td Kd 5h Qc 4c Tc Ts Jd Ad 5d 6c 3d Jc 4s Jh Qh",
    ),
    Spot(
        "stud-hi-lo",
        "stud_hi_lo",
        ["d d * s d s s", "d s J d s * d"],
        "",
        "Jd Qs 3s 8d Qd Js 9d 7d 2d Jh 7s Ad 5s 6h 7h",
    ),
    Spot(
        "razz",
        "razz",
        ["h J h h * * J", "c K * c J h *"],
        "",
        "Kd Ac Kh 3c Js Jc Jh Tc 4h 9h Kc 6h Td 3s 4s 5d Qd 3d",
    ),
    Spot(
        "deuce-seven",
        "deuce_seven",
        ["4 h * c h", "c * K 4 c"],
        "",
        "Ks 4h 4d Kd Th Kh 2c 8c 9c Tc 4c 7c 9h 7s",
    ),
    Spot(
        "five-card-draw",
        "five_card_draw",
        ["c * c 3 6", "c c s * c"],
        "",
        "Kc 7c 9s 3c Ks 6d 6c Jc Qs 5c 3s 5s As",
    ),
    Spot(
        "badugi",
        "badugi",
        ["8 s c 8", "c 8 s 5", "s c c 5"],
        "",
        "8c 4c 3s 5d 3c 8d 6c Ts Kc 9c 8h Js 8s 5s 5c 7d Ad 9h Td",
    ),
]
for spot in WEIGHTED_SPOTS:
    spot.weighted = True

CROWD = "Ac Ad Ah As Kc Kd Kh Ks 8s 6s 4s"
# Seats whose alternatives allow different numbers of hands.
UNEVEN_SPOTS = [
    # Any ace with any card, or one of the six pairs of kings (seven alternatives).
    Spot("holdem-any-ace-or-kings", "holdem", ["A*, KK", "QsQd"], "2c 7d 9h"),
    Spot("holdem-any-ace-or-named-kings", "holdem", ["A*, KhKd", "QsQd"], "2c 7d 9h"),
    # Suits alone (78 hands) against one named hand.
    Spot("holdem-hearts-or-named", "holdem", ["hh, AsKs", "QsQd"], "2c 7d 9h"),
    # The board and the dead cards leave two aces for "A*" and one pair of kings.
    Spot(
        "holdem-board-and-dead-change-counts",
        "holdem",
        ["A*, KK", "QsQd"],
        "Ah Kd 7c",
        dead_cards="Ac Kc",
    ),
    # Two seats with alternatives of different sizes, each wanting the other's cards.
    Spot("holdem-two-seats-compete", "holdem", ["A*, KK", "K*, AA"], "2c 7d 9h"),
    Spot(
        "holdem-crowded-seats-compete",
        "holdem",
        ["A *, Kh Kd", "A *", "K *", "K *"],
        "2c 7d 9h Ts Jc",
        CROWD,
    ),
    # One named hand or any four cards.
    Spot("omaha-named-or-four-wildcards", "omaha", ["AhKhQdJd, ****", "TsTc9s8s"], "2c 7d 9h 3s"),
    # Ranks alone against named cards, each with one card still to come.
    Spot("stud-ranks-or-named", "stud", ["Ah Ad Kc 7s 8d 2h, Q Q J T 9 3h", "2c 3c 4c 5d 6d 7h"]),
]
UNEVEN_WEIGHTED_SPOTS = [
    Spot(
        "holdem-crowded",
        "holdem",
        ["A *, K K", "A s, K *", "K *, A A", "* s"],
        "2c 7d 9h Ts Jc",
        CROWD,
    ),
    Spot(
        "omaha-crowded",
        "omaha",
        ["3 * h *, Th Jh 9c *", "h * h *"],
        "8h 5s 5h 3s 4s",
        "Tc 9c Jh 5d 6h Th Qc Kh 3c Jc 3h 7c 2c",
    ),
    Spot(
        "stud-crowded",
        "stud",
        ["* d * c d c d, Td Kd * * * * *", "c T d c * d *"],
        "",
        "Td Kd 5h Qc 4c Tc Ts Jd Ad 5d 6c 3d Jc 4s Jh Qh",
    ),
]
for spot in UNEVEN_SPOTS + UNEVEN_WEIGHTED_SPOTS:
    spot.uneven = True
for spot in UNEVEN_WEIGHTED_SPOTS:
    spot.weighted = True
SPOTS = REJECTION_SPOTS + WEIGHTED_SPOTS + UNEVEN_SPOTS + UNEVEN_WEIGHTED_SPOTS


@pytest.mark.parametrize("weighted", [False, True], ids=["rejection", "weighted"])
def test_every_game_on_each_sampler(weighted):
    games = {spot.game for spot in SPOTS if spot.weighted is weighted and not spot.uneven}
    assert games == set(DECKS)


def spot_id(spot):
    return f"{'weighted' if spot.weighted else 'rejection'}-{'uneven-' * spot.uneven}{spot.id}"


def assert_within(got, want, standard_error, what):
    # A standard error of zero means every deal gave the same value: the estimate must be it.
    assert abs(got - want) <= Z * standard_error + 1e-12, (what, got, want, standard_error)


@pytest.mark.parametrize("spot", SPOTS, ids=spot_id)
def test_estimate_agrees_with_exact(spot):
    want = vantor.exact_from_text(*spot.args())
    got = vantor.chunk_from_text(*spot.args(), samples=SAMPLES, seed=2024, threads=3)
    assert want is not None and want["exact"] is True
    assert got["samples"] == SAMPLES and got["exact"] is False
    # Both report whether the request's deals carry weights.
    assert got["weighted"] is want["weighted"] is spot.carries_weights()
    assert got["effective_samples"] == got["weight_sum"] ** 2 / got["weight_square_sum"]
    n = got["effective_samples"]
    if spot.carries_weights():
        # Weights that vary (n < samples) test that each deal is weighted by its own chance.
        assert n < 0.95 * SAMPLES
    else:
        assert n == SAMPLES == got["weight_sum"]
    for seat, (mine, exact) in enumerate(zip(got["players"], want["players"])):
        assert_within(mine["equity"], exact["equity"], mine["std_error"], (seat, "equity"))
        if not spot.carries_weights():
            # Shares lie in [0, 1], so their spread about their mean d is at most d(1 - d)
            # (Bhatia-Davis). A right error stays below that bound; one inflated past it would
            # let any estimate through the check above.
            d = mine["equity"]
            assert mine["std_error"] <= math.sqrt(d * (1 - d) / SAMPLES) * (1 + 1e-9) + 1e-15
        # Rates are weighted means of 0/1 outcomes: binomial errors, over the effective sample
        # count for weighted deals (Kish's approximation). Low shares lie in [0, 1/2], so their
        # variance is at most q(1/2 - q).
        for figure in RATES:
            p = exact[figure]
            assert_within(mine[figure], p, math.sqrt(p * (1 - p) / n), (seat, figure))
        q = exact["low_equity"]
        assert_within(
            mine["low_equity"], q, math.sqrt(max(q * (0.5 - q), 0.0) / n), (seat, "low_equity")
        )


# The spread test. With K independent estimates whose errors are normal with standard deviation
# s, (K - 1) * sd^2 / s^2 follows a chi-square law with K - 1 degrees of freedom, so sd / s lies
# in [sqrt(q_lo / (K - 1)), sqrt(q_hi / (K - 1))] but for a chance of 2e-5, q_lo and q_hi being
# its 1e-5 and 1 - 1e-5 quantiles. For K = 400 those are 289.8 and 531.1 (chi-square tables),
# giving [0.852, 1.154]. The reported error, averaged over the K batches, stands in for s: its
# own noise (about 1 / sqrt(2n) of itself per batch) is far inside that band, and batches of a
# few thousand deals make the errors normal enough. A standard error off by a factor of 1.2 either
# way falls outside.
SEEDS = 400
SPREAD_SAMPLES = 2000
SPREAD_BAND = (0.852, 1.154)
SPREAD_SPOTS = [REJECTION_SPOTS[1], WEIGHTED_SPOTS[-1], UNEVEN_SPOTS[0], UNEVEN_WEIGHTED_SPOTS[0]]


@pytest.mark.parametrize("spot", SPREAD_SPOTS, ids=spot_id)
def test_standard_error_matches_the_spread_over_seeds(spot):
    runs = [
        vantor.chunk_from_text(*spot.args(), samples=SPREAD_SAMPLES, seed=seed, threads=2)
        for seed in range(SEEDS)
    ]
    assert all(run["weighted"] is spot.carries_weights() for run in runs)
    for seat in range(len(spot.hands)):
        equities = [run["players"][seat]["equity"] for run in runs]
        reported = statistics.fmean(run["players"][seat]["std_error"] for run in runs)
        assert reported > 0
        ratio = statistics.stdev(equities) / reported
        assert SPREAD_BAND[0] <= ratio <= SPREAD_BAND[1], (seat, ratio)


# Seven stud slots over eighteen low cards (2c to 6d), each card accepted by its own scattered set
# of slots: more patterns than a shape may hold, so the seat is drawn by rejection, its cards from
# the pool of cards some slot accepts. The other seat, six named cards and one slot, is drawn
# first. When that slot can take a pool card or another card, the pool differs from deal to deal,
# and with it the chance of each of the first seat's hands: its deals must carry weights (the
# estimate was 57 standard errors off before they did). When the slot always takes a pool card,
# or never does, the pool always holds as many cards and every deal weighs 1.
LOW_CARDS = 18
OUTSIDE = "7s 8s 9s Ts Js Qs As 7c 8c Ac"


def scattered_slots():
    slots = [0] * 7
    for card in range(LOW_CARDS):
        signature = (card * 37 + 11) % 127 + 1
        for slot in range(7):
            if signature >> slot & 1:
                slots[slot] |= 1 << card
    return slots


@pytest.mark.parametrize(
    "last_slot, weighs",
    [
        ("half the pool or outside", True),
        ("outside the pool", False),
        ("inside the pool", False),
    ],
)
def test_seat_drawn_by_rejection_against_exact(last_slot, weighs):
    outside = sum(1 << vantor.card_index(name) for name in OUTSIDE.split())
    every_other_low_card = sum(1 << card for card in range(0, LOW_CARDS, 2))
    slot = {
        "half the pool or outside": every_other_low_card | outside,
        "outside the pool": outside,
        "inside the pool": (1 << LOW_CARDS) - 1,
    }[last_slot]
    named = [1 << vantor.card_index(name) for name in ["Kh", "Ks", "Kd", "8d", "Qh", "7d"]]
    hands = [[scattered_slots()], [named + [slot]]]
    live = (1 << LOW_CARDS) - 1 | sum(named) | outside
    dead = vantor.full_deck() & ~live
    want = vantor.exact("stud", hands, [], dead)
    got = vantor.chunk("stud", hands, [], dead, SAMPLES, seed=2024, threads=3)
    assert got["weighted"] is want["weighted"] is weighs
    assert (got["effective_samples"] < SAMPLES) is weighs
    for seat, (mine, exact) in enumerate(zip(got["players"], want["players"])):
        assert 0.2 < exact["equity"] < 0.8  # not settled by the named cards alone
        assert_within(mine["equity"], exact["equity"], mine["std_error"], (seat, "equity"))

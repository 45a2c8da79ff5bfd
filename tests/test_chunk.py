"""Sampled batches, `chunk` and `chunk_from_text`: how a batch is cut into seeded pieces and merged,
what it repeats, its edge cases, the two samplers' bookkeeping and the attempt limit.

A batch of `samples` over `threads` is cut into min(max(samples, 1), max(threads, 1)) pieces; piece
i gets q + 1 samples when i < r (q, r = divmod(samples, pieces)), else q, and a generator seeded
with seed * MULTIPLIER + i (mod 2**64). A batch of one piece therefore seeds its generator with
seed * MULTIPLIER, and since the multiplier is odd it has an inverse mod 2**64: any piece of any
batch can be run on its own as a one-piece batch. Merging those runs by hand is an independent
account of what the batch must return.
"""

import itertools
import json
import math
import os
import re
import subprocess
import sys

import pytest

import brute_force as bf
import vantor

MULTIPLIER = 0x9E3779B97F4A7C15
INVERSE = pow(MULTIPLIER, -1, 1 << 64)
RANKS, SUITS = "23456789TJQKA", "cdhs"
ANY = (1 << 52) - 1

# Four seats each holding an ace: independent draws often hand two seats the same ace, so the
# rejection sampler throws most deals away.
REJECTING = ("holdem", ["A*"] * 4, "", "")
# Seven stud seats, four wanting an ace and three a king: the weighted sampler, whose deals carry
# weights that differ from deal to deal.
WEIGHTED = ("stud", ["A******"] * 4 + ["K******"] * 3, "", "")
# Any ace with any card, or one of the six pairs of kings: the rejection sampler proposes the
# seven alternatives alike, so its deals carry weights, a few distinct ones.
UNEVEN = ("holdem", ["A*, KK", "QsQd", "**"], "", "")
SPOTS = {"rejecting": REJECTING, "weighted": WEIGHTED, "uneven": UNEVEN}
FIGURES = (
    "equity",
    "win",
    "tie",
    "low_equity",
    "scoop",
    "high_win",
    "high_tie",
    "low_win",
    "low_tie",
)


def batch(spot, samples, seed, threads):
    game, hands, board, dead = spot
    return vantor.chunk_from_text(
        game, hands, board, dead, samples=samples, seed=seed, threads=threads
    )


def lone_piece_seed(seed, piece):
    """The seed of a one-piece batch that draws exactly what piece `piece` of a batch seeded `seed`
    draws."""
    return (seed * MULTIPLIER + piece) % (1 << 64) * INVERSE % (1 << 64)


def merged(parts):
    """What a batch made of these parts must hold, from the definitions of its figures: counters
    and sums add up, every rate is a sum over the weight sum, and the standard error is
    sqrt(sum w^2 (s - d)^2) / sum w, expanded over the running sums."""
    total = {key: sum(part[key] for part in parts) for key in ("samples", "attempts")}
    for key in ("weight_sum", "weight_square_sum"):
        total[key] = math.fsum(part[key] for part in parts)
    for name in bf.SUM_NAMES:
        total[name] = [math.fsum(column) for column in zip(*(part[name] for part in parts))]
    n, b, b2 = total["samples"], total["weight_sum"], total["weight_square_sum"]
    total["acceptance"] = n / total["attempts"] if total["attempts"] else 1.0
    total["effective_samples"] = b * b / b2 if b2 > 0 else 0.0
    columns = {
        "equity": "share_sum",
        "win": "win_count",
        "tie": "tie_count",
        "low_equity": "low_share_sum",
        "scoop": "scoop_count",
        "high_win": "high_win_count",
        "high_tie": "high_tie_count",
        "low_win": "low_win_count",
        "low_tie": "low_tie_count",
    }
    players = []
    for seat in range(len(total["share_sum"])):
        figures = {figure: total[column][seat] / b for figure, column in columns.items()}
        d = figures["equity"]
        spread = (
            d * d * b2
            + total["share_square_sum"][seat]
            - 2 * d * total["square_weight_share_sum"][seat]
        )
        figures["std_error"] = math.sqrt(max(spread, 0.0)) / b if n >= 2 else 0.0
        players.append(figures)
    total["players"] = players
    return total


def assert_made_of(got, parts):
    """`got` is the batch whose pieces ran on their own as `parts`."""
    want = merged(parts)
    close = dict(rel=1e-12, abs=1e-12)
    assert got["samples"] == want["samples"] and got["attempts"] == want["attempts"]
    assert got["weighted"] is parts[0]["weighted"] and got["exact"] is False
    for key in ("weight_sum", "weight_square_sum", "acceptance", "effective_samples"):
        assert got[key] == pytest.approx(want[key], **close), key
    for name in bf.SUM_NAMES:
        assert got[name] == pytest.approx(want[name], **close), name
    for seat, (seat_got, seat_want) in enumerate(zip(got["players"], want["players"])):
        assert list(seat_got) == list(FIGURES) + ["std_error"]
        # The standard error subtracts nearly equal sums; the error of that expansion is
        # relative to the sums, not to the result.
        assert seat_got["std_error"] == pytest.approx(seat_want["std_error"], rel=1e-9, abs=1e-12)
        for figure in FIGURES:
            assert seat_got[figure] == pytest.approx(seat_want[figure], **close), (seat, figure)


class TestSplitting:
    @pytest.mark.parametrize("spot", SPOTS.values(), ids=SPOTS.keys())
    @pytest.mark.parametrize("seed", [0, 41, (1 << 64) - 1])
    @pytest.mark.parametrize(
        "samples, threads, targets",
        [
            (3, 8, [1, 1, 1]),  # fewer samples than threads: one sample a piece
            (10, 4, [3, 3, 2, 2]),  # the first samples % pieces pieces take one more
            (1001, 3, [334, 334, 333]),
            (6, 6, [1] * 6),
            (400, 1, [400]),
        ],
    )
    def test_batch_is_its_pieces_merged_in_order(self, spot, seed, samples, threads, targets):
        parts = [
            batch(spot, target, lone_piece_seed(seed, piece), 1)
            for piece, target in enumerate(targets)
        ]
        assert [part["samples"] for part in parts] == targets
        assert_made_of(batch(spot, samples, seed, threads), parts)

    def test_many_one_sample_pieces(self):
        # More threads than the pool has workers: 300 pieces queue up and still merge in order.
        parts = [batch(REJECTING, 1, lone_piece_seed(9, piece), 1) for piece in range(300)]
        assert_made_of(batch(REJECTING, 300, 9, 300), parts)

    @pytest.mark.parametrize("spot", SPOTS.values(), ids=SPOTS.keys())
    def test_more_threads_than_samples_change_nothing(self, spot):
        # Past `samples` threads there are no more pieces to cut.
        assert batch(spot, 5, 3, 5) == batch(spot, 5, 3, 6) == batch(spot, 5, 3, 64)

    def test_a_different_piece_count_draws_different_deals(self):
        # The weights are continuous, so equal weight sums would mean equal deals.
        results = [batch(WEIGHTED, 600, 17, threads) for threads in (1, 2, 3, 4)]
        assert all(result["samples"] == 600 for result in results)
        assert len({result["weight_sum"] for result in results}) == 4
        assert len({tuple(result["share_sum"]) for result in results}) == 4

    def test_a_different_seed_draws_different_deals(self):
        sums = {batch(WEIGHTED, 600, seed, 2)["weight_sum"] for seed in range(4)}
        assert len(sums) == 4


class TestRepeats:
    @pytest.mark.parametrize("spot", SPOTS.values(), ids=SPOTS.keys())
    @pytest.mark.parametrize("threads", [1, 3])
    def test_same_call_same_dictionary(self, spot, threads):
        first = batch(spot, 2000, 123, threads)
        assert all(batch(spot, 2000, 123, threads) == first for _ in range(3))

    @pytest.mark.parametrize("spot", SPOTS.values(), ids=SPOTS.keys())
    def test_same_dictionary_in_another_process(self, spot):
        # JSON writes floats in their shortest round-trip form, so equal text means equal bits.
        game, hands, board, dead = spot
        code = (
            "import json, sys, vantor\n"
            "game, hands, board, dead = json.loads(sys.argv[1])\n"
            "print(vantor.__file__)\n"
            "print(json.dumps(vantor.chunk_from_text(game, hands, board, dead, samples=3000,"
            " seed=99, threads=3)))\n"
        )
        run = subprocess.run(
            [sys.executable, "-c", code, json.dumps(spot)],
            capture_output=True,
            text=True,
            check=True,
        )
        module, result = run.stdout.splitlines()
        assert module == vantor.__file__
        assert result == json.dumps(batch(spot, 3000, 99, 3))

    def test_default_thread_count(self):
        count = vantor.default_thread_count()
        logical = os.cpu_count()
        assert type(count) is int
        assert count == (min(logical, 4) if logical else 1)

    @pytest.mark.parametrize("spot", SPOTS.values(), ids=SPOTS.keys())
    def test_no_threads_means_the_default(self, spot):
        assert batch(spot, 1500, 8, 0) == batch(spot, 1500, 8, vantor.default_thread_count())


class TestEdges:
    @pytest.mark.parametrize(
        "spot, weighted", [(REJECTING, False), (WEIGHTED, True), (UNEVEN, True)], ids=SPOTS.keys()
    )
    @pytest.mark.parametrize("threads", [0, 1, 4])
    def test_no_samples(self, spot, weighted, threads):
        result = batch(spot, 0, 5, threads)
        seats = len(spot[1])
        assert (result["samples"], result["attempts"], result["exact"]) == (0, 0, False)
        assert result["acceptance"] == 1.0 and result["effective_samples"] == 0.0
        # Whether the request's deals carry weights is reported although nothing was drawn.
        assert result["weighted"] is weighted
        assert result["weight_sum"] == result["weight_square_sum"] == 0.0
        for name in bf.SUM_NAMES:
            assert result[name] == [0.0] * seats, name
        assert result["players"] == [dict.fromkeys(FIGURES + ("std_error",), 0.0)] * seats

    @pytest.mark.parametrize("spot", SPOTS.values(), ids=SPOTS.keys())
    def test_one_sample_has_no_standard_error(self, spot):
        result = batch(spot, 1, 2, 1)
        assert result["samples"] == 1 and result["attempts"] >= 1
        assert [seat["std_error"] for seat in result["players"]] == [0.0] * len(spot[1])
        # One deal: its shares add up to the whole pot.
        assert sum(seat["equity"] for seat in result["players"]) == pytest.approx(1.0, rel=1e-12)


class TestSamplers:
    def test_rejection_sampler_bookkeeping(self):
        result = batch(REJECTING, 5000, 1, 2)
        assert result["weighted"] is False
        assert result["samples"] == 5000 < result["attempts"]
        assert result["acceptance"] == 5000 / result["attempts"]
        # Every accepted deal weighs 1.
        assert result["weight_sum"] == result["weight_square_sum"] == 5000.0
        assert result["effective_samples"] == 5000.0

    def test_weighted_sampler_bookkeeping(self):
        result = batch(WEIGHTED, 5000, 1, 2)
        assert result["weighted"] is True
        assert result["acceptance"] == 5000 / result["attempts"]
        b, b2 = result["weight_sum"], result["weight_square_sum"]
        assert result["effective_samples"] == pytest.approx(b * b / b2, rel=1e-12)
        # Weights that vary make the effective sample count smaller than the sample count
        # (Cauchy-Schwarz: (sum w)^2 <= n sum w^2, with equality only for equal weights).
        assert result["effective_samples"] < 0.99 * 5000

    def test_rejection_sampler_with_weights_bookkeeping(self):
        result = batch(UNEVEN, 5000, 1, 2)
        assert result["weighted"] is True
        assert result["samples"] == 5000 < result["attempts"]
        assert result["acceptance"] == 5000 / result["attempts"]
        b, b2 = result["weight_sum"], result["weight_square_sum"]
        assert result["effective_samples"] == pytest.approx(b * b / b2, rel=1e-12)
        assert result["effective_samples"] < 0.5 * 5000
        # The exact walk of the same request reports the same: its deals are what the batch
        # estimates, although each of them weighs 1.
        spot = ("holdem", UNEVEN[1], "2c 7d 9h Ts", "")
        assert vantor.exact_from_text(*spot)["weighted"] is batch(spot, 10, 1, 1)["weighted"]

    @pytest.mark.parametrize(
        "seats, dead",
        [
            ([["AcAd", "AcAh", "AcAs", "AdAh", "AdAs", "AhAs"]] * 2, ""),
            (
                [
                    [
                        a + b
                        for a, b in itertools.combinations(
                            ["Ac", "Ad", "Ah", "As", "Kc", "Kd", "Kh", "Ks"], 2
                        )
                    ]
                ]
                * 3,
                "Kd",
            ),
        ],
        ids=["two-seats-of-aces", "three-seats-of-aces-and-kings"],
    )
    def test_acceptance_is_the_chance_that_named_hands_fit(self, seats, dead):
        # With named hands only, the rejection sampler picks each seat's alternative uniformly and
        # keeps the deal exactly when the picks share no card and avoid the dead cards; the
        # board, all unseen, always fits. That chance is counted here over every pick.
        dead_cards = set(dead.split())

        def fits(picks):
            cards = [hand[i : i + 2] for hand in picks for i in (0, 2)]
            return len(set(cards)) == len(cards) and not dead_cards.intersection(cards)

        fitting = sum(1 for picks in itertools.product(*seats) if fits(picks))
        p = fitting / math.prod(len(seat) for seat in seats)
        samples = 20000
        result = vantor.chunk_from_text(
            "holdem",
            [", ".join(seat) for seat in seats],
            "",
            dead,
            samples=samples,
            seed=4,
            threads=2,
        )
        assert result["weighted"] is False
        # samples / attempts with attempts negative-binomial: standard error p sqrt((1 - p) / n).
        assert abs(result["acceptance"] - p) <= 4.5 * p * math.sqrt((1 - p) / samples)


# Six seats each holding two of the twelve aces, kings and queens: a deal exists (each seat a
# pair), but a seat's 66 hands picked independently fit together with chance
# (12! / 2**6) / 66**6, about 1 in 11,000; the weighted sampler picks hands the same way and
# fares no better, so the request is sampled by rejection and gives up.
CROWDED = ("holdem", ["QQ+, AK, AQ, KQ"] * 6, "", "")
GAVE_UP = (
    "gave up after {draws} draws, of which only {used} could be used. The request is "
    "satisfiable -- that was settled before any card was dealt -- but the seats want the "
    "same cards too often for sampling to keep up, so this is a limit of the engine rather "
    "than of the question. Naming more of the cards is what loosens it"
)


def give_up_pattern(draws):
    head, tail = GAVE_UP.split("{used}")
    return re.escape(head.format(draws=draws)) + r"(\d+)" + re.escape(tail)


class TestGivingUp:
    def test_the_request_is_accepted_and_sampled_by_rejection(self):
        # Without a satisfying deal the builder would refuse it before any sampling.
        assert batch(CROWDED, 0, 0, 1)["weighted"] is False

    @pytest.mark.parametrize(
        "samples, threads, draws",
        [
            (5, 1, 10_001),  # the floor: 10,000 attempts a piece
            (10, 1, 10_001),
            (12, 1, 12_001),  # 1,000 attempts per sample above the floor
            (30, 3, 10_001),  # the limit is the piece's, of 10 samples
            (40, 2, 20_001),
        ],
    )
    def test_message(self, samples, threads, draws):
        with pytest.raises(ValueError) as raised:
            batch(CROWDED, samples, 6, threads)
        used = re.fullmatch(give_up_pattern(draws), str(raised.value))
        assert used is not None, str(raised.value)
        assert int(used.group(1)) < samples // threads

    def test_used_deals_are_the_ones_the_piece_drew(self):
        # Batches of up to ten samples share the 10,000-attempt limit and, with one piece, the
        # generator stream: the deals a failing batch had used are exactly the ones a batch asking
        # for that many finds within the limit, and one more is again too many.
        for seed in range(40):
            try:
                batch(CROWDED, 5, seed, 1)
            except ValueError as gave_up:
                message = str(gave_up)
                used = int(re.fullmatch(give_up_pattern(10_001), message).group(1))
                if used:
                    break
        else:
            pytest.fail("no seed in 40 found a usable deal")
        assert batch(CROWDED, used, seed, 1)["attempts"] <= 10_000
        with pytest.raises(ValueError) as raised:
            batch(CROWDED, used + 1, seed, 1)
        assert str(raised.value) == message


# Fourteen seats that each hold one pair of cards, written in both orders, and two seats that
# cannot be dealt together: one holds 2c3c or 4c5c, the other 2c4c or 3c5c. Every choice of the
# two collides, yet the slot-by-slot check passes (it may give the first seat 2c and 5c), so the
# search for a deal must branch, and it branches on the fourteen seats first: 2^14 choices that all
# fail at the last two seats, which runs it out of its budget. The request is let through
# undecided, and the sampler, finding nothing, must not claim that a deal exists.
FREE_CARDS = [c for c in (r + s for r in RANKS for s in SUITS) if c not in ("2c", "3c", "4c", "5c")]
UNDECIDED_HANDS = [f"{a}{b}, {b}{a}" for a, b in zip(FREE_CARDS[0:28:2], FREE_CARDS[1:28:2])] + [
    "2c3c, 4c5c",
    "2c4c, 3c5c",
]
UNDECIDED_GAVE_UP = (
    "gave up after 10001 draws, of which only 0 could be used. Whether any deal "
    "satisfies the request was not settled before the cards were dealt (the "
    "search for one ran out of its budget), so either none does or the seats "
    "want the same cards too often for sampling to keep up. Naming more of the "
    "cards is what loosens it"
)


class TestGivingUpUndecided:
    def test_no_deal_exists(self):
        # Independently of the engine: no choice of the last two seats is disjoint, and the
        # exact walk finds no deal either.
        pairs = [
            [set(map(card, (hand[:2], hand[2:]))) for hand in field.split(", ")]
            for field in UNDECIDED_HANDS[-2:]
        ]
        assert not any(a.isdisjoint(b) for a, b in itertools.product(*pairs))
        assert vantor.exact_from_text("holdem", UNDECIDED_HANDS)["samples"] == 0

    def test_text_form(self):
        with pytest.raises(ValueError) as raised:
            vantor.chunk_from_text("holdem", UNDECIDED_HANDS, samples=5, threads=1)
        assert str(raised.value) == UNDECIDED_GAVE_UP

    def test_mask_form(self):
        hands = [
            [[card(hand[:2]), card(hand[2:])] for hand in field.split(", ")]
            for field in UNDECIDED_HANDS
        ]
        with pytest.raises(ValueError) as raised:
            vantor.chunk("holdem", hands, [], 0, 5, 0, 2)
        assert str(raised.value) == UNDECIDED_GAVE_UP

    def test_a_settled_request_keeps_its_wording(self):
        with pytest.raises(ValueError) as raised:
            batch(CROWDED, 5, 0, 1)
        assert re.fullmatch(give_up_pattern(10_001), str(raised.value))


def card(name):
    return 1 << (RANKS.index(name[0]) * 4 + SUITS.index(name[1]))


def rank(letter):
    return 0xF << (4 * RANKS.index(letter))


def suit(letter):
    return sum(1 << (4 * r + SUITS.index(letter)) for r in range(13))


# The same spot written in text and, by hand, as masks: (id, text form, mask form).
BOTH_FORMS = [
    (
        "ranges-on-a-flop",
        ("holdem", ["QQ+, AKs", "Jc Tc"], "Kd 7c 2d", "As"),
        (
            "holdem",
            [
                [
                    [card(r + a), card(r + b)]
                    for r in "QKA"
                    for a, b in itertools.combinations(SUITS, 2)
                ]
                + [[card("A" + s), card("K" + s)] for s in SUITS],
                [[card("Jc"), card("Tc")]],
            ],
            [card("Kd"), card("7c"), card("2d")],
            card("As"),
        ),
    ),
    (
        "stud-aces-and-kings",
        WEIGHTED,
        ("stud", [[[rank("A")] + [ANY] * 6]] * 4 + [[[rank("K")] + [ANY] * 6]] * 3, [], 0),
    ),
    (
        "omaha-hi-lo-suits-and-dead",
        ("omaha_hi_lo", ["Ac 2c h s", "3 4 * *", "KhKs**"], "5h 6d Jh", "7c 8c"),
        (
            "omaha_hi_lo",
            [
                [[card("Ac"), card("2c"), suit("h"), suit("s")]],
                [[rank("3"), rank("4"), ANY, ANY]],
                [[card("Kh"), card("Ks"), ANY, ANY]],
            ],
            [card("5h"), card("6d"), card("Jh")],
            card("7c") | card("8c"),
        ),
    ),
    (
        "badugi-short-hands",
        ("badugi", ["A 2 3", "K*", "c d h s"], "", ""),
        (
            "badugi",
            [
                [[rank("A"), rank("2"), rank("3"), ANY]],
                [[rank("K"), ANY, ANY, ANY]],
                [[suit("c"), suit("d"), suit("h"), suit("s")]],
            ],
            [],
            0,
        ),
    ),
]


@pytest.mark.parametrize(
    "text, masks", [case[1:] for case in BOTH_FORMS], ids=[case[0] for case in BOTH_FORMS]
)
@pytest.mark.parametrize("threads", [1, 3])
def test_text_and_mask_forms_agree(text, masks, threads):
    from_text = batch(text, 2500, 31, threads)
    from_masks = vantor.chunk(*masks, 2500, 31, threads)
    assert from_masks == from_text
    assert from_text["samples"] == 2500

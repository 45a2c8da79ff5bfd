"""vantorkit.merge against the module's own merging and against one batch of the combined size."""

import math

import pytest

import vantor
import vantorkit
from vantorkit import Spot

GOLDEN = 0x9E3779B97F4A7C15
INVERSE = pow(GOLDEN, -1, 1 << 64)
SPOTS = [
    ("omaha_hi_lo", ["Ac 3d Jh Jc", "Kc Kd 9s 8h"], "Ks Qd 7c", ""),
    ("holdem", ["AhKh", "QQ+, AKs", "**"], "", "2c"),
    ("stud", ["A******"] * 4 + ["K******"] * 3, "", ""),  # the weighted sampler
    ("razz", ["A23", "K45", "**7"], "", ""),
]


def pieces(spot, samples, seed, threads):
    """The pieces of a `threads`-thread batch as one-thread batches: piece i draws its share from
    the generator seeded seed * GOLDEN + i, which a one-thread batch seeded seed + i / GOLDEN
    uses (modulo 2**64)."""
    share, rest = divmod(samples, threads)
    return [
        vantor.chunk_from_text(
            *spot, samples=share + (i < rest), seed=(seed + i * INVERSE) % (1 << 64), threads=1
        )
        for i in range(threads)
    ]


@pytest.mark.parametrize("spot", SPOTS, ids=[spot[0] for spot in SPOTS])
@pytest.mark.parametrize("threads", [2, 3, 4])
def test_a_batch_is_its_pieces_merged_to_the_bit(spot, threads):
    whole = vantor.chunk_from_text(*spot, samples=30_001, seed=12345, threads=threads)
    assert vantorkit.merge(pieces(spot, 30_001, 12345, threads)) == whole


@pytest.mark.parametrize("spot", SPOTS, ids=[spot[0] for spot in SPOTS])
def test_merged_batches_estimate_like_one_batch_of_their_size(spot):
    parts = [vantor.chunk_from_text(*spot, samples=10_000, seed=s, threads=1) for s in range(1, 5)]
    merged = vantorkit.merge(parts)
    one = vantor.chunk_from_text(*spot, samples=40_000, seed=99, threads=1)
    assert merged["samples"] == one["samples"] == 40_000
    assert merged["attempts"] == sum(part["attempts"] for part in parts)
    for a, b in zip(merged["players"], one["players"]):
        # Independent estimates of one equity: within 4.5 of their joint standard errors, and
        # each error that of 40,000 deals (within 10%: an error estimate's own spread).
        assert abs(a["equity"] - b["equity"]) <= 4.5 * math.hypot(a["std_error"], b["std_error"])
        assert a["std_error"] == pytest.approx(b["std_error"], rel=0.1)
    assert merged["effective_samples"] == pytest.approx(one["effective_samples"], rel=0.05)


def test_merged_figures_match_the_exact_answer():
    spot = SPOTS[0]
    exact = vantor.exact_from_text(*spot)
    parts = [vantor.chunk_from_text(*spot, samples=20_000, seed=s, threads=1) for s in (1, 2, 3)]
    merged = vantorkit.merge(parts)
    for sampled, walked in zip(merged["players"], exact["players"]):
        assert abs(sampled["equity"] - walked["equity"]) <= 4.5 * sampled["std_error"]
        for key in ("win", "tie", "low_equity", "high_win", "low_win"):
            assert sampled[key] == pytest.approx(walked[key], abs=0.02)


def test_one_part_is_copied_not_shared():
    result = vantor.chunk_from_text("holdem", ["AhKh", "QsQd"], samples=1000, seed=1)
    merged = vantorkit.merge([result])
    assert merged == result
    merged["share_sum"][0] = -1.0
    merged["players"][0]["equity"] = -1.0
    assert result["share_sum"][0] >= 0 and result["players"][0]["equity"] >= 0


def test_exactness_follows_the_parts_with_samples():
    exact = vantor.exact_from_text("holdem", ["AhKh", "QsQd"], "Qh Jh 2c")
    empty = vantor.chunk_from_text("holdem", ["AhKh", "QsQd"], "Qh Jh 2c", samples=0)
    sampled = vantor.chunk_from_text("holdem", ["AhKh", "QsQd"], "Qh Jh 2c", samples=100, seed=1)
    assert vantorkit.merge([exact, empty]) == exact
    assert vantorkit.merge([empty, exact]) == exact
    mixed = vantorkit.merge([exact, sampled])
    assert not mixed["exact"] and mixed["samples"] == 1090
    assert all(seat["std_error"] > 0 for seat in mixed["players"])


class TestRefusals:
    def test_nothing(self):
        with pytest.raises(ValueError, match="nothing to merge"):
            vantorkit.merge([])

    def test_different_seat_counts(self):
        two = vantor.chunk_from_text("holdem", ["AhKh", "QsQd"], samples=10, seed=1)
        three = vantor.chunk_from_text("holdem", ["AhKh", "QsQd", "**"], samples=10, seed=1)
        with pytest.raises(ValueError, match="parts 0 and 1 answer different requests: 2 and 3"):
            vantorkit.merge([two, three])

    def test_different_samplers(self):
        weighted = vantor.chunk_from_text(*SPOTS[2], samples=10, seed=1)
        plain = vantor.chunk_from_text("stud", ["*******"] * 7, samples=10, seed=1)
        assert weighted["weighted"] and not plain["weighted"]
        with pytest.raises(ValueError, match="sampled with weights and the other without"):
            vantorkit.merge([weighted, plain])

    def test_the_same_result_twice(self):
        result = vantor.chunk_from_text("holdem", ["AhKh", "QsQd"], samples=10, seed=1)
        with pytest.raises(ValueError, match="parts 0 and 2 are the same result"):
            vantorkit.merge([result, vantorkit.merge([result]), result])

    def test_not_a_result(self):
        result = vantor.chunk_from_text("holdem", ["AhKh", "QsQd"], samples=10, seed=1)
        del result["low_tie_count"]
        with pytest.raises(ValueError, match="part 0 is not a result: it lacks low_tie_count"):
            vantorkit.merge([result])
        result = vantor.chunk_from_text("holdem", ["AhKh", "QsQd"], samples=10, seed=1)
        result["win_count"].append(0.0)
        with pytest.raises(ValueError, match="per-seat lists differ in length"):
            vantorkit.merge([result])


class TestBatchRecords:
    spot = Spot("holdem", ["AhKh", "QsQd"], "Qh Jh 2c")

    def test_batches_of_one_question_merge_whatever_its_spelling(self):
        respelt = Spot("holdem", ["kh ah", "Qd Qs"], "2c Qh  Jh")
        parts = [vantorkit.batch(self.spot, 500, 1), vantorkit.batch(respelt, 500, 2, threads=2)]
        merged = vantorkit.merge(parts)
        assert merged == vantorkit.merge([part.result for part in parts])
        assert merged["samples"] == 1000

    def test_alternatives_count_as_a_multiset(self):
        ranged = Spot("holdem", ["AhKh", "QQ, KK"])
        assert ranged.same_question(Spot("holdem", ["AhKh", "KK,QQ"]))
        assert not ranged.same_question(Spot("holdem", ["AhKh", "QQ, KK, KK"]))
        assert Spot("stud", ["A", "K**"]).same_question(Spot("stud", ["A******", "K******"]))

    @pytest.mark.parametrize(
        "other",
        [
            Spot("holdem", ["AhKh", "QsQd"], "Qh Jh 3c"),
            Spot("holdem", ["AhKh", "QsQc"], "Qh Jh 2c"),
            Spot("holdem", ["AhKh", "QsQd"], "Qh Jh 2c", "3d"),
            Spot("short_deck", ["AhKh", "QsQd"], "Qh Jh 9c"),
        ],
    )
    def test_batches_of_different_spots_are_refused(self, other):
        with pytest.raises(ValueError, match="parts 0 and 1 answer different requests"):
            vantorkit.merge([vantorkit.batch(self.spot, 100, 1), vantorkit.batch(other, 100, 2)])

    def test_a_seed_used_twice_is_refused(self):
        first = vantorkit.batch(self.spot, 100, 7)
        with pytest.raises(ValueError, match="parts 0 and 1 were drawn from the same generator"):
            vantorkit.merge([first, vantorkit.batch(self.spot, 300, 7)])

    def test_overlapping_pieces_are_refused(self):
        # Piece 1 of a two-thread batch seeded 7 draws from the generator of a one-thread batch
        # seeded 7 + 1 / GOLDEN: the same deals.
        two = vantorkit.batch(self.spot, 200, 7, threads=2)
        one = vantorkit.batch(self.spot, 100, (7 + INVERSE) % (1 << 64))
        assert one.result == pieces(("holdem", ["AhKh", "QsQd"], "Qh Jh 2c", ""), 200, 7, 2)[1]
        with pytest.raises(ValueError, match="parts 0 and 1 were drawn from the same generator"):
            vantorkit.merge([one, two])

    def test_a_batch_of_fewer_samples_than_threads_has_fewer_pieces(self):
        small = vantorkit.batch(self.spot, 1, 7, threads=4)
        assert len(small.generator_seeds) == 1
        neighbour = vantorkit.batch(self.spot, 10, (7 + INVERSE) % (1 << 64))
        assert vantorkit.merge([small, neighbour])["samples"] == 11

    def test_sequences_of_batches_never_share_a_generator(self):
        for threads in (1, 3):
            batches = vantorkit.batches(self.spot, 1000, 5, seed=2**64 - 1, threads=threads)
            assert [b.result["samples"] for b in batches] == [200] * 5
            seeds = [seed for b in batches for seed in b.generator_seeds]
            assert len(set(seeds)) == len(seeds) == 5 * threads
            assert vantorkit.merge(batches)["samples"] == 1000
        first = vantorkit.batches(self.spot, 1000, 5, seed=11, threads=2)[0]
        assert first.result == vantor.chunk_from_text(
            "holdem", ["AhKh", "QsQd"], "Qh Jh 2c", "", 200, 11, 2
        )

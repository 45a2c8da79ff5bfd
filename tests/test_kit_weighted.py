"""Weighted ranges: exact answers against a brute-force weighted enumeration, sampled answers
against the exact ones, and the results merging like any other."""

import math
import statistics

import pytest

import vantor
import vantorkit
from vantorkit.figures import SUMS
from weighted_enumeration import enumerate_weighted, weighted_text

# (game, seats as (piece, weight) lists, board, dead): small enough to list every deal here.
LISTED = [
    ("holdem", [[("AA", 0.5), ("KK", 1), ("AKs", 0.25)], [("QQ", 0.75), ("JJ", 1), ("AhQh", 1)]],
     "Qd 7c 2s 3h 9d", ""),
    ("holdem", [[("AK", 0.3), ("99", 0.6)], [("QQ+", 1), ("JTs", 0.5)]], "Kh 9c 4d 2s", ""),
    ("holdem", [[("AhKh", 1)], [("QQ", 0.5), ("AsKs", 0.5), ("As Ks", 0.25)], [("JcTc", 0.8)]],
     "Qh Jh 2c 3d", ""),
    ("short_deck", [[(("A9s-A7s", "A7s, A8s, A9s"), 0.4), ("TT", 1)], [("KK", 0.7), ("QJo", 0.2)]],
     "Kh 8c 6d 7s 9h", ""),
    ("omaha_hi_lo", [[("Ac3dJhJc", 0.5), ("Ac2dKhKd", 1)], [("KcKs9s8h", 1), ("QsQd5c4c", 0.25)]],
     "Th 7c 6h 2s", ""),
    ("stud_hi_lo", [[("AhKh2c3d4s5c", 0.5), ("AhKh2c3d4s6c", 1)],
                    [("QsQd9c8c7h6h", 1), ("JsJd9d8d7d6d", 0.2)]], "", ""),
    ("razz", [[("A 2d 3h 4s 5c 6c", 0.5), ("7 2d 3h 4s 5c 6c", 1)], [("KcQdJhTs9c8c", 1)]], "",
     ""),
    ("deuce_seven", [[("7c5d4h3s", 0.5), ("8c6d4h3s", 1)], [("9c8d6h4c2s", 1),
                                                            ("Tc8s6s4d2d", 0.3)]], "", "Kd"),
]  # fmt: skip
IDS = [spot[0] for spot in LISTED]


def kit_spot(game, seats, board, dead):
    return game, [weighted_text(seat) for seat in seats], board, dead


@pytest.mark.parametrize("spot", LISTED, ids=IDS)
def test_exact_weighted_answers_are_the_weighted_enumeration(spot):
    expected = enumerate_weighted(*spot)
    result = vantorkit.equity(*kit_spot(*spot), exact="always")
    raw = result.raw
    assert result.method == "exact" and raw["exact"]
    assert raw["samples"] == expected["samples"] == result.deals
    for key in ("weight_sum", "weight_square_sum"):
        assert raw[key] == pytest.approx(expected[key], rel=1e-12)
    for name in SUMS:
        assert raw[name] == pytest.approx(expected[name], rel=1e-12, abs=1e-9), name
    for seat, shares in zip(result.seats, expected["share_sum"]):
        assert seat.equity == pytest.approx(shares / expected["weight_sum"], rel=1e-12)
        assert seat.std_error == 0.0


@pytest.mark.parametrize("spot", LISTED, ids=IDS)
def test_sampled_weighted_answers_are_within_their_errors(spot):
    game, hands, board, dead = kit_spot(*spot)
    exact = vantorkit.equity(game, hands, board, dead, exact="always")
    sampled = vantorkit.equity(game, hands, board, dead, exact="never", precision=0.004, seed=7,
                               threads=2)  # fmt: skip
    assert sampled.method == "sampled" and sampled.error <= 0.004
    for estimate, walked in zip(sampled.seats, exact.seats):
        assert abs(estimate.equity - walked.equity) <= 4.5 * estimate.std_error
    assert vantorkit.merge(sampled.batches) == sampled.raw


def test_the_standard_error_is_honest_over_many_batches():
    # Forty independent batches of one weighted spot with several classes per seat: their
    # standardized errors have mean near 0 (no bias) and spread at most about 1 (the reported
    # error is not too small). A wrong class share would show as a bias of many errors.
    game, hands, board, dead = kit_spot(*LISTED[1])
    exact = vantorkit.equity(game, hands, board, dead, exact="always").seats[0].equity
    spot = vantorkit.Spot(game, hands, board, dead)
    scores = []
    for seed in range(40):
        seat = vantorkit.batch(spot, 2_000, seed * 1_000, threads=1).result["players"][0]
        scores.append((seat["equity"] - exact) / seat["std_error"])
    assert abs(statistics.fmean(scores)) <= 4.5 / math.sqrt(len(scores))
    assert 0.5 <= math.sqrt(statistics.fmean([z * z for z in scores])) <= 1.3


class TestMeaning:
    def test_every_weight_1_is_the_modules_answer(self):
        spot = ("holdem", ["QQ+:1, AKs:100%", "JJ, AQ"], "Kd 7c 2s")
        walked = vantor.exact_from_text("holdem", ["QQ+, AKs", "JJ, AQ"], "Kd 7c 2s")
        result = vantorkit.equity(*spot, exact="always")
        assert result.raw["samples"] == walked["samples"]
        for seat, expected in zip(result.seats, walked["players"]):
            assert seat.equity == pytest.approx(expected["equity"], rel=1e-12)

    def test_one_weight_for_every_piece_changes_no_figure(self):
        plain = vantorkit.equity("holdem", ["QQ+, AKs", "JJ, AQ"], "Kd 7c 2s", exact="always")
        halved = vantorkit.equity("holdem", ["QQ+:0.5, AKs:0.5", "JJ, AQ"], "Kd 7c 2s",
                                  exact="always")  # fmt: skip
        assert halved.raw["weight_sum"] == plain.raw["weight_sum"] / 2
        for seat, expected in zip(halved.seats, plain.seats):
            assert seat.equity == pytest.approx(expected.equity, rel=1e-12)

    def test_the_weights_of_a_hand_written_twice_add_up(self):
        twice = vantorkit.equity("holdem", ["AA:0.5, AsAh:0.5, KK", "QQ"], exact="always")
        once = vantorkit.equity("holdem", ["AcAd:0.5, AcAh:0.5, AcAs:0.5, AdAh:0.5, AdAs:0.5,"
                                           " AsAh, KK", "QQ"], exact="always")  # fmt: skip
        assert twice.raw["weight_sum"] == pytest.approx(once.raw["weight_sum"], rel=1e-12)
        assert twice.seats[0].equity == pytest.approx(once.seats[0].equity, rel=1e-12)


class TestMerging:
    def test_exact_weighted_results_merge_to_themselves(self):
        result = vantorkit.equity(*kit_spot(*LISTED[0]), exact="always")
        assert vantorkit.merge([result.raw]) == result.raw

    def test_sampled_weighted_batches_merge_and_keep_their_seeds_apart(self):
        spot = vantorkit.Spot(*kit_spot(*LISTED[1]))
        first, second = vantorkit.batches(spot, 20_000, 2, seed=3, threads=2)
        assert first.width == second.width == 4  # two classes a seat
        assert not set(first.generator_seeds) & set(second.generator_seeds)
        merged = vantorkit.merge([first, second])
        assert merged["samples"] == 20_000
        with pytest.raises(ValueError, match="drawn from the same generator"):
            vantorkit.merge([first, vantorkit.batch(spot, 1_000, first.seed, threads=2)])

    def test_a_seed_repeats_a_weighted_batch(self):
        spot = vantorkit.Spot(*kit_spot(*LISTED[4]))
        runs = [vantorkit.batch(spot, 5_000, 11, threads=2).result for _ in range(2)]
        assert runs[0] == runs[1]

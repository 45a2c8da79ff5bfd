"""vantorkit.equity: sampled to a precision against the exact walk, its choice of method, its
seeds, progress reports and interruption."""

import dataclasses
import os
import signal
import threading

import pytest

import vantor
import vantorkit
from vantorkit import Interrupted, Spot
from vantorkit.batches import GOLDEN, MASK64

# Spots the walk answers, one or more per game family. Every alternative of a seat allows the
# same number of hands, where the walk and the sampler weigh alternatives alike.
WALKABLE = [
    ("holdem", ["AhKh", "QsQd"], "", ""),
    ("holdem", ["AhKh", "QQ+, AKs", "JcTc"], "Kd 7c 2s", ""),
    ("short_deck", ["AhKh", "9s9d"], "", ""),
    ("omaha_hi_lo", ["Ac 3d Jh Jc", "Kc Kd 9s 8h"], "Ks Qd 7c", ""),
    ("courchevel_hi_lo", ["Ac2c3d4dKh", "KsKdQhJhTc"], "5h", "9h"),
    ("stud_hi_lo", ["AhKh2c3d4s", "QsQd9c8c7h"], "", ""),
    ("razz", ["Ac2d3h4s5c", "KcQdJhTs9c"], "", ""),
    ("deuce_seven", ["7c5d4h", "9c8d6h"], "", ""),
    ("badugi", ["7c5d3h", "9c8d"], "", ""),
]
NAMED = ("holdem", ["AhKh", "QsQd"])


@pytest.mark.parametrize("spot", WALKABLE, ids=[spot[0] for spot in WALKABLE])
def test_sampled_to_a_precision_lands_near_the_exact_answer(spot):
    walked = vantor.exact_from_text(*spot)
    assert walked is not None
    result = vantorkit.equity(*spot, precision=0.004, exact="never", seed=5, threads=2)
    assert result.method == "sampled" and result.reason == "precision"
    assert result.precision == 0.004 and result.deals >= 5 / 0.004
    for seat, exact in zip(result.seats, walked["players"]):
        assert seat.std_error <= 0.004
        assert abs(seat.equity - exact["equity"]) <= 4.5 * seat.std_error
    assert result.error == max(seat.std_error for seat in result.seats)
    # The figures are those of the batches behind them, merged.
    assert vantorkit.merge(result.batches) == result.raw
    assert [seat.equity for seat in result.seats] == [p["equity"] for p in result.raw["players"]]


@pytest.mark.slow
def test_a_fine_precision_is_reached_in_few_calls():
    result = vantorkit.equity(*NAMED, precision=0.0003, exact="never", seed=2, threads=2)
    exact = vantor.exact_from_text(*NAMED)
    assert result.error <= 0.0003
    for seat, walked in zip(result.seats, exact["players"]):
        assert abs(seat.equity - walked["equity"]) <= 4.5 * seat.std_error
    # Sized from the errors so far: not many more deals than the target needs (the standard
    # error of a share near one half is about 0.5 / sqrt(deals)).
    assert result.deals <= 2 * (0.5 / 0.0003) ** 2
    assert len(result.batches) <= 15


def test_cheap_spots_are_walked():
    spot = ("omaha_hi_lo", ["Ac 3d Jh Jc", "Kc Kd 9s 8h"], "Ks Qd 7c")
    result = vantorkit.equity(*spot)
    assert (result.method, result.reason, result.batches, result.seed) == (
        "exact",
        "exact",
        (),
        None,
    )
    assert result.raw == vantor.exact_from_text(*spot)
    assert result.deals == result.raw["samples"] and result.error == 0.0
    assert [seat.hand for seat in result.seats] == spot[1]


def test_large_spots_are_sampled_unless_asked_to_walk():
    spot = ("holdem", ["AhKh", "**"])
    assert vantorkit.equity(*spot, precision=0.01, seed=1).method == "sampled"
    # Three unseen hands: cut by two seats' hands, each part still has 1,128 hands times
    # 1,712,304 boards.
    with pytest.raises(ValueError, match="a part of it still has more than 50,000,000 deals"):
        vantorkit.equity("holdem", ["**", "**", "**"], exact="always")
    # A fine enough target makes a walk of ten million deals the cheaper way.
    ranged = ("holdem", ["AhKh", "QQ"])
    assert vantorkit.equity(*ranged, precision=0.01, seed=1).method == "sampled"
    assert vantorkit.equity(*ranged, precision=0.0002).method == "exact"
    assert vantorkit.equity(*ranged, exact="always").raw == vantor.exact_from_text(*ranged)


@pytest.mark.parametrize(
    "spot",
    WALKABLE
    + [("holdem", ["A*", "K*"], "Kd7c2s", ""), ("holdem", ["A A", "h h"], "Kd7c2sQh", ""),
       ("stud", ["AhKh9c7c*", "QsQd8d2c5h"], "", "3c"), ("badugi", ["7c5d3h2s", "9c8d*"], "", ""),
       ("omaha", ["AhKhQhJh", "****"], "2c3c4d5d", "")],
    ids=lambda spot: spot[0],
)  # fmt: skip
def test_the_deal_bound_is_never_below_the_walk(spot):
    walked = vantor.exact_from_text(*spot)
    bound = vantorkit.deal_bound(Spot(*spot))
    assert walked is not None and bound is not None
    assert walked["samples"] <= bound <= 3 * walked["samples"]


def test_the_deal_bound_is_exact_for_named_hands():
    spot = ("holdem", ["AhKh", "QsQd", "JcTc"], "", "2d")
    assert vantorkit.deal_bound(Spot(*spot)) == vantor.exact_from_text(*spot)["samples"]
    assert vantorkit.deal_bound(Spot("holdem", ["AhKx", "QsQd"])) is None


class TestSeeds:
    def test_a_seed_repeats_the_whole_sequence(self):
        runs = [vantorkit.equity(*NAMED, precision=0.003, exact="never", seed=9, threads=2)
                for _ in range(2)]  # fmt: skip
        assert runs[0].raw == runs[1].raw
        assert [b.result for b in runs[0].batches] == [b.result for b in runs[1].batches]
        other = vantorkit.equity(*NAMED, precision=0.003, exact="never", seed=10, threads=2)
        assert other.raw != runs[0].raw

    def test_batch_seeds_follow_from_the_seed(self):
        result = vantorkit.equity(*NAMED, precision=0.002, exact="never", seed=9, threads=3)
        assert len(result.batches) >= 3
        first = result.batches[0]
        assert first.seed == 9
        assert first.result == vantor.chunk_from_text(*NAMED, samples=4096, seed=9, threads=3)
        # Consecutive generators: batch k's pieces draw from 9 * GOLDEN + 3k + i.
        seeds = [seed for b in result.batches for seed in b.generator_seeds]
        assert seeds == [(9 * GOLDEN + i) & MASK64 for i in range(len(seeds))]

    def test_no_seed_draws_a_fresh_one(self):
        runs = [vantorkit.equity(*NAMED, precision=0.01, exact="never") for _ in range(2)]
        assert runs[0].seed != runs[1].seed
        again = vantorkit.equity(*NAMED, precision=0.01, exact="never", seed=runs[0].seed)
        assert again.raw == runs[0].raw

    def test_threads_zero_is_recorded_as_the_default(self):
        result = vantorkit.equity(*NAMED, precision=0.01, exact="never", seed=1)
        assert result.threads == vantor.default_thread_count()
        assert all(b.threads == result.threads for b in result.batches)


def test_progress_sees_every_batch():
    seen = []
    result = vantorkit.equity(
        *NAMED, precision=0.001, exact="never", seed=3, threads=2, progress=seen.append
    )
    assert [estimate.reason for estimate in seen] == ["running"] * len(result.batches)
    assert [estimate.deals for estimate in seen] == sorted({e.deals for e in seen})
    assert dataclasses.replace(seen[-1], reason="precision", seconds=result.seconds) == result
    assert all(e.error > 0.001 for e in seen[:-1]) and seen[-1].error <= 0.001


def test_seconds_alone_sample_until_they_run_out():
    result = vantorkit.equity(*NAMED, seconds=0.05, exact="never", seed=1)
    assert (result.reason, result.precision) == ("seconds", None)
    assert result.deals > 0 and len(result.batches) >= 1


class TestInterrupts:
    def test_an_interrupt_carries_the_estimate_so_far(self):
        calls = []

        def impatient(estimate):
            calls.append(estimate)
            if len(calls) == 3:
                raise KeyboardInterrupt

        with pytest.raises(Interrupted) as caught:
            vantorkit.equity(*NAMED, precision=1e-5, exact="never", seed=1, progress=impatient)
        estimate = caught.value.result
        assert isinstance(caught.value, KeyboardInterrupt)
        assert estimate.reason == "interrupted" and len(estimate.batches) == 3
        assert estimate.raw == calls[-1].raw == vantorkit.merge(estimate.batches)
        assert str(caught.value) == f"interrupted after {estimate.deals:,} deals"

    def test_an_interrupt_before_any_batch_carries_nothing(self, monkeypatch):
        def interrupted(*args):
            raise KeyboardInterrupt

        monkeypatch.setattr(vantor, "chunk_from_text", interrupted)
        with pytest.raises(Interrupted) as caught:
            vantorkit.equity(*NAMED, exact="never")
        assert caught.value.result is None
        monkeypatch.setattr(vantor, "exact_from_text", interrupted)
        with pytest.raises(Interrupted):
            vantorkit.equity(*NAMED)

    def test_a_real_ctrl_c_stops_sampling(self):
        # SIGINT as a terminal sends it, while the engine runs: it lands between two calls (or
        # inside one, where the module can be interrupted), and the estimate so far comes back.
        seen = threading.Event()
        timer = threading.Timer(0.3, os.kill, (os.getpid(), signal.SIGINT))

        def started(estimate):
            if not seen.is_set():
                seen.set()
                timer.start()

        try:
            with pytest.raises(Interrupted) as caught:
                vantorkit.equity(
                    *NAMED, precision=1e-6, seconds=60, exact="never", progress=started
                )
        finally:
            timer.cancel()
        assert caught.value.result is not None and caught.value.result.deals > 0


class TestArguments:
    @pytest.mark.parametrize(
        "keywords, message",
        [({"precision": 0}, "precision must be a positive number"),
         ({"precision": float("nan")}, "precision must be a positive number"),
         ({"seconds": -1}, "seconds must be a positive number"),
         ({"precision": True}, "precision must be a positive number"),
         ({"exact": "yes"}, "exact must be 'auto', 'always' or 'never'"),
         ({"threads": -1}, "threads must be a whole number"),
         ({"seed": 2**64}, "a seed is a whole number from 0 to 2\\*\\*64 - 1"),
         ({"seed": -1}, "a seed is a whole number")],
    )  # fmt: skip
    def test_bad_arguments(self, keywords, message):
        with pytest.raises(ValueError, match=message):
            vantorkit.equity(*NAMED, **keywords)

    def test_one_string_of_hands_is_refused(self):
        with pytest.raises(TypeError, match="not one str"):
            vantorkit.equity("holdem", "AhKh")

    @pytest.mark.parametrize("exact", ["auto", "never", "always"])
    def test_the_modules_refusals_come_through(self, exact):
        with pytest.raises(ValueError, match=r"'x' is not a rank, a suit, or '\*' \(at byte 3\)"):
            vantorkit.equity("holdem", ["AhKh", "QsQx"], exact=exact)
        with pytest.raises(ValueError, match='no game called "holdm"'):
            vantorkit.equity("holdm", ["AhKh", "QsQd"], exact=exact)

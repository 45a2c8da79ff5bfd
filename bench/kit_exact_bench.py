"""Times vantorkit's exact answers past the module's walk limit, run by hand.

    PYTHONPATH=python python bench/kit_exact_bench.py [--rounds 7]

- A hand against a random hand before the flop (AhKh v **, 2,097,572,400 deals), walked in parts
  on one thread, as `/work/shared/peers/compare --only exact_random` times it beside OMPEval's
  enumeration of the same spot (run that with the same PYTHONPATH, so that it takes this kit).
- A breakdown of a range of about a hundred hands against any hand on a flop, walked, on one
  thread and on the default count.

Each figure is the median of the rounds (the machine may be busy with other work, so the median
rather than the best); every answer is checked before it is timed.
"""

import argparse
import functools
import statistics
import time

import vantor
import vantorkit

# Ten or eleven hands a class, 105 hands on the 9-7-2 rainbow flop.
RANGE = "TT+, AJs+, KQs, AJo+, KQo, QJs, JTs, T9s"
FLOPS = ["9s 7h 2c", "Ks 7h 2c", "Qh Th 4h"]


def median_seconds(call, rounds):
    times = []
    for _ in range(rounds):
        start = time.perf_counter()
        call()
        times.append(time.perf_counter() - start)
    return statistics.median(times)


def exact_random(rounds):
    result = vantorkit.equity("holdem", ["AhKh", "**"], exact="always", threads=1)
    assert result.deals == 2_097_572_400, result.deals
    seconds = median_seconds(
        lambda: vantorkit.equity("holdem", ["AhKh", "**"], exact="always", threads=1), rounds
    )
    equity = result.seats[0].equity
    print(f"AhKh v ** preflop, exact, 1 thread: {result.deals:,} deals, equity {equity:.5f},"
          f" {1000 * seconds:.0f} ms")  # fmt: skip


def range_breakdown(rounds):
    for flop in FLOPS:
        whole = vantorkit.equity("holdem", [RANGE, "**"], flop, exact="always")
        for threads in (1, vantor.default_thread_count()):
            run = functools.partial(
                vantorkit.breakdown, "holdem", [RANGE, "**"], flop, exact="always", threads=threads
            )
            result = run()
            assert abs(result.overall.equity - whole.seats[0].equity) < 1e-12
            seconds = median_seconds(run, rounds)
            print(f"breakdown of {len(result.hands)} hands v ** on {flop}, exact,"
                  f" {threads} thread(s): {1000 * seconds:.0f} ms")  # fmt: skip


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rounds", type=int, default=7)
    rounds = parser.parse_args().rounds
    vantor.exact_from_text("holdem", ["AhKh", "QsQd"], "2c 3d 4h")  # the tables, before timing
    print(f"vantorkit from {vantorkit.__file__}")
    exact_random(rounds)
    range_breakdown(rounds)


if __name__ == "__main__":
    main()

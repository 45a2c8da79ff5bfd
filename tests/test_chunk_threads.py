"""Sampled batches run with the interpreter lock released: other Python threads keep running, and
batches asked for from several threads at once come out as they do one after another."""

import os
import subprocess
import sys
import threading
import time

import pytest

import vantor
from lock_release import run_while_another_thread_ticks

GAVE_UP_HEAD = "gave up after 10001 draws, of which only "


def test_another_thread_runs_while_a_long_batch_works():
    # A million Omaha deals: long enough that a held lock would starve the other thread.
    result = run_while_another_thread_ticks(
        lambda: vantor.chunk_from_text(
            "omaha", ["AhKhQdJd", "****"], samples=1_000_000, seed=1, threads=2
        )
    )
    assert result["samples"] == 1_000_000


# Requests of different games, samplers, piece counts and outcomes, one of which gives up.
REQUESTS = [
    ("holdem", ["AhKh", "QsQd"], "", "", 40_000, 1, 1),
    ("holdem", ["A*"] * 4, "", "", 20_000, 2, 3),
    ("stud", ["A******"] * 4 + ["K******"] * 3, "", "", 3_000, 3, 2),
    ("omaha_hi_lo", ["Ac2cKdKs", "3s4sQh*"], "5h6d8c", "", 30_000, 4, 4),
    ("badugi", ["hhhh, dddd, cccc, ssss"] * 12, "", "", 2_000, 5, 8),
    ("razz", ["A 2 K 4h 9h", "3c 5c 6c Jc Qc"], "", "", 25_000, 6, 1),
    # Six seats wanting twelve cards between them: a single piece that runs out of attempts.
    ("holdem", ["QQ+, AK, AQ, KQ"] * 6, "", "", 5, 7, 1),
    ("courchevel", ["*****"] * 3, "Ah", "", 10_000, 8, 0),
]
GIVES_UP = 6


def answer(request):
    """The result of one request, or the text of the error it raised."""
    game, hands, board, dead, samples, seed, threads = request
    try:
        return vantor.chunk_from_text(game, hands, board, dead, samples, seed, threads)
    except ValueError as error:
        return str(error)


def test_concurrent_batches_equal_sequential_ones():
    sequential = [answer(request) for request in REQUESTS]
    gave_up = [isinstance(result, str) for result in sequential]
    assert gave_up == [i == GIVES_UP for i in range(len(REQUESTS))]
    assert sequential[GIVES_UP].startswith(GAVE_UP_HEAD)
    # Every request twice, all started together so their pieces share the worker pool.
    jobs = REQUESTS * 2
    answers = [None] * len(jobs)
    start = threading.Barrier(len(jobs))

    def run(index):
        start.wait()
        answers[index] = answer(jobs[index])

    threads = [threading.Thread(target=run, args=(i,)) for i in range(len(jobs))]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    assert answers == sequential * 2


FORK_SCRIPT = """
import os, sys, warnings
warnings.simplefilter("ignore")  # forking a process that runs threads warns on newer Pythons
import pytest

import vantor
ask = lambda: vantor.chunk_from_text("holdem", ["AhKh", "QsQd"], samples=20000, seed=3, threads=2)
before = ask()  # starts the worker pool in the parent
pid = os.fork()
if pid == 0:
    os._exit(0 if ask() == before else 1)
_, status = os.waitpid(pid, 0)
sys.exit(os.waitstatus_to_exitcode(status))
"""


def test_a_forked_child_can_still_sample():
    # The parent's worker threads do not exist in a forked child; a batch there must not wait
    # for them forever (multiprocessing forks by default on Linux before 3.14).
    if not hasattr(os, "fork"):
        pytest.skip("no fork on this platform")
    done = subprocess.run([sys.executable, "-c", FORK_SCRIPT], timeout=120)
    assert done.returncode == 0


def test_a_short_batch_does_not_wait_behind_long_ones():
    # Two other threads run long batches cut into twice as many pieces as the pool has workers,
    # so every worker is busy and their pieces queue. A short batch started meanwhile runs its
    # own pieces on its own thread rather than waiting for a worker: it takes a small fraction of
    # a long batch's time, as it does alone.
    pieces = 2 * (os.cpu_count() or 1)
    long_times = []
    started = threading.Barrier(3)

    def long_batch():
        started.wait()
        start = time.perf_counter()
        vantor.chunk_from_text(
            "omaha", ["AhKhQdJd", "****"], samples=3_000_000, seed=1, threads=pieces
        )
        long_times.append(time.perf_counter() - start)

    threads = [threading.Thread(target=long_batch) for _ in range(2)]
    for thread in threads:
        thread.start()
    started.wait()
    time.sleep(0.1)
    start = time.perf_counter()
    short = vantor.chunk_from_text("holdem", ["AhKh", "QsQd"], samples=1000, seed=5, threads=2)
    short_time = time.perf_counter() - start
    for thread in threads:
        thread.join()
    # The same pieces as alone, so the same answer.
    assert short == vantor.chunk_from_text(
        "holdem", ["AhKh", "QsQd"], samples=1000, seed=5, threads=2
    )
    assert short_time < min(long_times) / 10

"""vantorkit.distributed on three executors (a Dask LocalCluster of two worker processes, a pool
of two processes and one of two threads): the same results as the same batches run here, to the
bit."""

import logging
import multiprocessing
from concurrent.futures import ProcessPoolExecutor, ThreadPoolExecutor

import pytest

import vantor
import vantorkit
from optional import optional
from vantorkit import Spot
from vantorkit.distributed import run

SPOTS = [
    Spot("holdem", ["AKs", "**"]),
    Spot("omaha_hi_lo", ["Ac 3d Jh Jc", "Kc Kd 9s 8h"], "Ks Qd 7c"),
    Spot("stud", ["A******"] * 4 + ["K******"] * 3),
]
REFUSED = Spot("holdem", ["AA", "AA", "AA"])
# Weighted fields: each batch is one call a weight class, and the batches' seeds step over them.
WEIGHTED = Spot("holdem", ["QQ+:0.5, AKs, A5s-A2s:25%", "**"], "Kd 7c 2s")


@pytest.fixture(
    scope="module", params=[pytest.param("dask", marks=pytest.mark.slow), "processes", "threads"]
)
def executor(request):
    if request.param == "dask":
        distributed = optional("distributed")
        with (
            distributed.LocalCluster(
                n_workers=2,
                threads_per_worker=1,
                processes=True,
                dashboard_address=None,
                silence_logs=logging.ERROR,
            ) as cluster,
            distributed.Client(cluster) as client,
        ):
            yield client.get_executor()
    elif request.param == "processes":
        # Spawned, not forked: this process runs the module's worker threads.
        with ProcessPoolExecutor(2, mp_context=multiprocessing.get_context("spawn")) as pool:
            yield pool
    else:
        with ThreadPoolExecutor(2) as pool:
            yield pool


@pytest.mark.parametrize("batches, threads", [(1, 1), (3, 1), (4, 2)])
def test_the_executor_computes_what_this_machine_does(executor, batches, threads):
    spots = [*SPOTS, WEIGHTED]
    remote = run(executor, spots, samples=10_001, batches=batches, seed=42, threads=threads)
    local = [
        vantorkit.merge(vantorkit.batches(spot, 10_001, batches, 42, threads)) for spot in spots
    ]
    assert remote == local
    assert all(result["samples"] == 10_001 for result in remote)


def test_one_spot_split_estimates_its_equity(executor):
    spot = SPOTS[1]
    (result,) = run(executor, [spot], samples=40_000, batches=8, seed=3)
    exact = vantor.exact_from_text(spot.game, spot.hands, spot.board)
    for sampled, walked in zip(result["players"], exact["players"]):
        assert abs(sampled["equity"] - walked["equity"]) <= 4.5 * sampled["std_error"]


def test_a_refused_spot_raises_here(executor):
    with pytest.raises(ValueError, match="No deal can satisfy"):
        run(executor, [REFUSED], samples=10, seed=1)


def test_a_failure_cancels_the_tasks_not_yet_started():
    submitted = []

    class Recording(ThreadPoolExecutor):
        def submit(self, *args, **kwargs):
            submitted.append(super().submit(*args, **kwargs))
            return submitted[-1]

    # One worker: the refused spot fails at once, the next task then runs for a good while, and
    # the last two wait behind it.
    with Recording(1) as pool, pytest.raises(ValueError, match="No deal can satisfy"):
        run(pool, [REFUSED, *SPOTS], samples=4_000_000, seed=1)
    assert len(submitted) == 4
    assert not submitted[0].cancelled() and submitted[0].exception() is not None
    assert submitted[2].cancelled() and submitted[3].cancelled()

"""vantorkit.distributed on a LocalCluster of two worker processes: the same results as the same
batches run here, to the bit."""

import logging

import pytest

import vantor
import vantorkit
from optional import optional
from vantorkit import Spot
from vantorkit.distributed import run

pytestmark = pytest.mark.slow

SPOTS = [
    Spot("holdem", ["AKs", "**"]),
    Spot("omaha_hi_lo", ["Ac 3d Jh Jc", "Kc Kd 9s 8h"], "Ks Qd 7c"),
    Spot("stud", ["A******"] * 4 + ["K******"] * 3),
]


@pytest.fixture(scope="module")
def client():
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
        yield client


@pytest.mark.parametrize("batches, threads", [(1, 1), (3, 1), (4, 2)])
def test_the_cluster_computes_what_this_machine_does(client, batches, threads):
    remote = run(client, SPOTS, samples=10_001, batches=batches, seed=42, threads=threads)
    local = [
        vantorkit.merge(vantorkit.batches(spot, 10_001, batches, 42, threads)) for spot in SPOTS
    ]
    assert remote == local
    assert all(result["samples"] == 10_001 for result in remote)


def test_one_spot_split_estimates_its_equity(client):
    spot = SPOTS[1]
    (result,) = run(client, [spot], samples=40_000, batches=8, seed=3)
    exact = vantor.exact_from_text(spot.game, spot.hands, spot.board)
    for sampled, walked in zip(result["players"], exact["players"]):
        assert abs(sampled["equity"] - walked["equity"]) <= 4.5 * sampled["std_error"]


def test_a_refused_spot_raises_here(client):
    with pytest.raises(ValueError, match="No deal can satisfy"):
        run(client, [Spot("holdem", ["AA", "AA", "AA"])], samples=10, seed=1)

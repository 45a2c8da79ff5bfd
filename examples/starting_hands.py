"""The equity of every hold'em starting hand against a random hand, on a Dask cluster.

The 169 classes (13 pairs, 78 suited and 78 offsuit hands) are 169 spots, each sampled as one
task on the cluster's workers, and printed as the usual 13 x 13 grid: pairs on the diagonal,
suited hands above it, offsuit below. Needs `pip install '.[distributed]'`.

    python examples/starting_hands.py                      # a LocalCluster of two processes
    python examples/starting_hands.py --samples 1000000    # finer: about 0.05% per class
    python examples/starting_hands.py --scheduler tcp://10.0.0.5:8786   # an existing cluster
"""

from __future__ import annotations

import argparse
import logging
from typing import TYPE_CHECKING

from dask.distributed import Client, LocalCluster

from vantorkit import Spot
from vantorkit.distributed import run

if TYPE_CHECKING:
    from vantor import Result

RANKS = "AKQJT98765432"


def starting_hand(row: int, column: int) -> str:
    """The class in a cell of the grid: a pair, suited above the diagonal, offsuit below."""
    high, low = RANKS[min(row, column)], RANKS[max(row, column)]
    if row == column:
        return high + low
    return high + low + ("s" if row < column else "o")


def sampled(client: Client, spots: list[Spot], samples: int, seed: int) -> list[Result]:
    """Every spot sampled on the cluster, one task each, through the cluster's executor."""
    executor = client.get_executor()  # pyright: ignore[reportUnknownMemberType]  (untyped **kwargs)
    return run(executor, spots, samples=samples, seed=seed)


def main() -> None:
    parser = argparse.ArgumentParser(description="Every starting hand against a random hand.")
    parser.add_argument("--samples", type=int, default=20_000, help="deals per class")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--workers", type=int, default=2, help="processes of the LocalCluster")
    parser.add_argument("--scheduler", help="address of a running scheduler to use instead")
    options = parser.parse_args()

    classes = [starting_hand(row, column) for row in range(13) for column in range(13)]
    spots = [Spot("holdem", [hand, "**"]) for hand in classes]
    if options.scheduler:
        with Client(options.scheduler) as client:
            results = sampled(client, spots, options.samples, options.seed)
    else:
        # One thread per worker process, and one piece per task: the processes are the
        # parallelism, so nothing competes for the same core.
        cluster = LocalCluster(
            n_workers=options.workers,
            threads_per_worker=1,
            processes=True,
            dashboard_address=None,  # pyright: ignore[reportArgumentType]  (None: no dashboard)
            silence_logs=logging.ERROR,
        )
        with cluster, Client(cluster) as client:
            results = sampled(client, spots, options.samples, options.seed)

    equity = {hand: result["players"][0]["equity"] for hand, result in zip(classes, results)}
    error = max(result["players"][0]["std_error"] for result in results)
    print(f"Equity against a random hand, {options.samples:,} deals per class"
          f" (standard error at most {100 * error:.2f}%)")  # fmt: skip
    print("     " + "".join(f"{rank:>6}" for rank in RANKS))
    for row in range(13):
        cells = "".join(f"{100 * equity[starting_hand(row, column)]:6.1f}" for column in range(13))
        print(f"{RANKS[row]:>5}{cells}")
    ranked = sorted(equity, key=equity.__getitem__, reverse=True)
    print("best:", ", ".join(f"{hand} {100 * equity[hand]:.1f}%" for hand in ranked[:3]))
    print("worst:", ", ".join(f"{hand} {100 * equity[hand]:.1f}%" for hand in ranked[-3:]))


if __name__ == "__main__":
    main()

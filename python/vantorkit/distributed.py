"""Large jobs on a Dask cluster: many spots, or one spot split into seeded batches.

Every batch is one task: `vantorkit.batch` with its share of the samples and the seed `plan`
gives it, submitted to the `dask.distributed.Client` you pass. The batches come back as records
and are merged per spot with `merge`, in batch order, so the result is the one `batches` and
`merge` compute on one machine for the same arguments, to the bit.

Needs dask's distributed scheduler (`pip install 'vantor[distributed]'`) and vantor installed on
the workers. Each task runs the module with `threads` pieces (default 1): on a cluster the
workers are the parallelism, and more pieces per task would only compete for the same cores.
"""

from __future__ import annotations

from collections.abc import Callable, Sequence
from typing import TYPE_CHECKING, Protocol, cast

from .batches import Batch, batch, plan, resolve_threads
from .merging import merge
from .spots import Spot

if TYPE_CHECKING:
    from vantor import Result


class Client(Protocol):
    """What is used of a `dask.distributed.Client`: `submit` and `gather`."""

    def submit(self, func: Callable[..., Batch], /, *args: object, pure: bool = ...) -> object: ...

    def gather(self, futures: list[object], /) -> object: ...


def run(
    client: Client,
    spots: Sequence[Spot],
    *,
    samples: int,
    batches: int = 1,
    seed: int,
    threads: int = 1,
) -> list[Result]:
    """Each spot sampled with `samples` deals cut into `batches` batches, all batches of all spots
    run as tasks on `client`'s cluster, and each spot's batches merged: one result dictionary per
    spot, in order. Batch k of every spot has the seed `batch_seed(seed, k, threads)`, so
    `[merge(vantorkit.batches(spot, samples, batches, seed, threads)) for spot in spots]` is the
    same list, computed here. A task's failure (a spot the module refuses) is raised here."""
    threads = resolve_threads(threads)
    cuts = plan(samples, batches, seed, threads)
    futures = [
        [
            client.submit(batch, spot, size, each_seed, threads, pure=False)
            for size, each_seed in cuts
        ]
        for spot in spots
    ]
    done = cast("list[Batch]", client.gather([f for spot_futures in futures for f in spot_futures]))
    return [merge(done[i : i + len(cuts)]) for i in range(0, len(done), len(cuts))]

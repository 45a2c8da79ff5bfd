"""Large jobs on an executor: many spots, or one spot split into seeded batches.

Every batch is one task: `vantorkit.batch` with its share of the samples and the seed `plan`
gives it, submitted to the `concurrent.futures.Executor` you pass: a Dask cluster's
(`Client.get_executor()`), or a pool of threads or processes here. The batches come back as
records and are merged per spot with `merge`, in batch order, so the result is the one `batches`
and `merge` compute here for the same arguments, to the bit, whichever executor ran them.

A Dask cluster needs dask's distributed scheduler (`pip install 'vantor[distributed]'`) and vantor
installed on its workers. Each task runs the module with `threads` pieces (default 1): the
executor's workers are the parallelism, and more pieces per task would only compete for the same
cores.
"""

from __future__ import annotations

from collections.abc import Sequence
from concurrent.futures import Executor
from typing import TYPE_CHECKING

from .batches import batch, plan, resolve_threads, width
from .merging import merge
from .spots import Spot

if TYPE_CHECKING:
    from vantor import Result


def run(
    executor: Executor,
    spots: Sequence[Spot],
    *,
    samples: int,
    batches: int = 1,
    seed: int,
    threads: int = 1,
) -> list[Result]:
    """Each spot sampled with `samples` deals cut into `batches` batches, all batches of all spots
    submitted as tasks to `executor`, and each spot's batches merged: one result dictionary per
    spot, in order. Batch k of every spot has the seed `batch_seed(seed, k * width, threads)`
    (`width` is 1 but for weighted fields, see `batches`), so
    `[merge(vantorkit.batches(spot, samples, batches, seed, threads)) for spot in spots]` is the
    same list, computed here. A task's failure (a spot the module refuses) is raised here, and the
    tasks not yet started are cancelled, as they are on Ctrl-C."""
    threads = resolve_threads(threads)
    futures = [
        executor.submit(batch, spot, size, each_seed, threads)
        for spot in spots
        for size, each_seed in plan(samples, batches, seed, threads, width(spot))
    ]
    try:
        done = [future.result() for future in futures]
    except BaseException:
        for future in futures:
            future.cancel()
        raise
    return [merge(done[i : i + batches]) for i in range(0, len(done), batches)]

"""Sampled batches that remember what they answer and which generators drew them.

A batch of `threads` pieces seeded t draws piece i from the generator seeded
`t * GOLDEN + i` (modulo 2**64). Batch k of a sequence seeded s is seeded so that its pieces take
the generator seeds `s * GOLDEN + k * threads + i`: consecutive numbers, so no two batches of one
sequence ever share a generator, and batch 0 is the plain `chunk` call with seed s.

A spot with weighted fields is sampled one weight class at a time (see `stratified`): its batch
is `width` calls of the module, one per class, taking `width * threads` consecutive generators,
and the batches of a sequence step by as many.
"""

from __future__ import annotations

from dataclasses import dataclass
from typing import TYPE_CHECKING

import vantor

from .requests import kit_request
from .seeds import GOLDEN, MASK64, batch_seed, check_seed
from .spots import Spot
from .stratified import strata, stratified_batch

if TYPE_CHECKING:
    from vantor import Result


@dataclass(frozen=True)
class Batch:
    """One sampled batch: the spot it answers, how it was drawn, and the module's result."""

    spot: Spot
    seed: int
    threads: int
    result: Result
    width: int = 1

    @property
    def generator_seeds(self) -> tuple[int, ...]:
        """The seeds of the generators the batch's pieces drew from. Two batches that share one
        drew the same deals."""
        if self.width == 1:
            pieces = min(max(self.result["samples"], 1), self.threads)  # as the module cuts it
        else:
            pieces = self.width * self.threads  # every class's call may draw from each
        return tuple((self.seed * GOLDEN + piece) & MASK64 for piece in range(pieces))


def resolve_threads(threads: object) -> int:
    """`threads` as the module will cut the batch: 0 means `default_thread_count()`."""
    if isinstance(threads, bool) or not isinstance(threads, int) or threads < 0:
        raise ValueError(f"threads must be a whole number, 0 or more, not {threads!r}")
    return threads or vantor.default_thread_count()


def batch(spot: Spot, samples: int, seed: int, threads: int = 1) -> Batch:
    """Samples `spot` once through the module and records how (`threads=0` is recorded as the
    thread count it stands for, since that decides the generators). A spot the module cannot
    read as written is sampled by its weight classes (see `stratified`)."""
    threads = resolve_threads(threads)
    request = kit_request(spot)
    if request is not None:
        result = stratified_batch(request, samples, check_seed(seed), threads)
        return Batch(spot, seed, threads, result, len(strata(request).parts))
    result = vantor.chunk_from_text(
        spot.game, spot.hands, spot.board, spot.dead, samples, check_seed(seed), threads
    )
    return Batch(spot, seed, threads, result)


def width(spot: Spot) -> int:
    """How many module calls, one per weight class, a batch of `spot` is cut into."""
    request = kit_request(spot)
    return 1 if request is None else len(strata(request).parts)


def plan(
    samples: int, count: int, seed: int, threads: int, width: int = 1
) -> list[tuple[int, int]]:
    """`samples` cut into `count` batches as (samples, seed) pairs: the sizes differ by at most
    one, the seeds are those of `batch_seed`, stepping by `width` calls a batch."""
    if count < 1 or samples < 0:
        raise ValueError(f"cannot cut {samples} samples into {count} batches")
    size, extra = divmod(samples, count)
    return [
        (size + (index < extra), batch_seed(seed, index * width, threads)) for index in range(count)
    ]


def batches(spot: Spot, samples: int, count: int, seed: int, threads: int = 1) -> list[Batch]:
    """`spot` sampled as `count` batches of `plan`, in order, on this machine. What
    `vantorkit.distributed.run` computes on a cluster, batch for batch."""
    threads = resolve_threads(threads)
    cuts = plan(samples, count, seed, threads, width(spot))
    return [batch(spot, size, each, threads) for size, each in cuts]

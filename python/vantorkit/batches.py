"""Sampled batches that remember what they answer and which generators drew them.

A batch of `threads` pieces seeded t draws piece i from the generator seeded
`t * GOLDEN + i` (modulo 2**64). Batch k of a sequence seeded s is seeded so that its pieces take
the generator seeds `s * GOLDEN + k * threads + i`: consecutive numbers, so no two batches of one
sequence ever share a generator, and batch 0 is the plain `chunk` call with seed s.
"""

from __future__ import annotations

from dataclasses import dataclass
from typing import TYPE_CHECKING

import vantor

from .spots import Spot

if TYPE_CHECKING:
    from vantor import Result

GOLDEN = 0x9E3779B97F4A7C15
MASK64 = (1 << 64) - 1
GOLDEN_INVERSE = pow(GOLDEN, -1, 1 << 64)


@dataclass(frozen=True)
class Batch:
    """One sampled batch: the spot it answers, how it was drawn, and the module's result."""

    spot: Spot
    seed: int
    threads: int
    result: Result

    @property
    def generator_seeds(self) -> tuple[int, ...]:
        """The seeds of the generators the batch's pieces drew from. Two batches that share one
        drew the same deals."""
        pieces = min(max(self.result["samples"], 1), self.threads)  # as the module cuts it
        return tuple((self.seed * GOLDEN + piece) & MASK64 for piece in range(pieces))


def resolve_threads(threads: object) -> int:
    """`threads` as the module will cut the batch: 0 means `default_thread_count()`."""
    if isinstance(threads, bool) or not isinstance(threads, int) or threads < 0:
        raise ValueError(f"threads must be a whole number, 0 or more, not {threads!r}")
    return threads or vantor.default_thread_count()


def check_seed(seed: object) -> int:
    if isinstance(seed, bool) or not isinstance(seed, int) or not 0 <= seed <= MASK64:
        raise ValueError(f"a seed is a whole number from 0 to 2**64 - 1, not {seed!r}")
    return seed


def batch_seed(seed: int, index: int, threads: int) -> int:
    """The seed of batch `index` of the sequence seeded `seed` over `threads` pieces each."""
    return (check_seed(seed) + index * threads * GOLDEN_INVERSE) & MASK64


def batch(spot: Spot, samples: int, seed: int, threads: int = 1) -> Batch:
    """Samples `spot` once through the module and records how (`threads=0` is recorded as the
    thread count it stands for, since that decides the generators)."""
    threads = resolve_threads(threads)
    result = vantor.chunk_from_text(
        spot.game, spot.hands, spot.board, spot.dead, samples, check_seed(seed), threads
    )
    return Batch(spot, seed, threads, result)


def plan(samples: int, count: int, seed: int, threads: int) -> list[tuple[int, int]]:
    """`samples` cut into `count` batches as (samples, seed) pairs: the sizes differ by at most
    one, the seeds are those of `batch_seed`."""
    if count < 1 or samples < 0:
        raise ValueError(f"cannot cut {samples} samples into {count} batches")
    size, extra = divmod(samples, count)
    return [(size + (index < extra), batch_seed(seed, index, threads)) for index in range(count)]


def batches(spot: Spot, samples: int, count: int, seed: int, threads: int = 1) -> list[Batch]:
    """`spot` sampled as `count` batches of `plan`, in order, on this machine. What
    `vantorkit.distributed.run` computes on a cluster, batch for batch."""
    threads = resolve_threads(threads)
    return [batch(spot, size, each, threads) for size, each in plan(samples, count, seed, threads)]

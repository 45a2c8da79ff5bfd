"""Sampled batches of weighted fields: each weight class sampled by the module, in proportion.

A weighted request is the sum of its weight classes (see `parts`): the choice of a class for every
seat, whose deals all weigh the product W of their weights. The target draws a deal with a chance
proportional to its weight, so class c with M deals holds the share W·M / Σ W·M of the target.
The masses M are counted exactly (`counting`), and a batch of N deals gives each class its share
of N, rounded systematically (one uniform offset from the batch's seed, so that each class's
expected count is exactly its share of N and the counts add up to N). Each class is then sampled
by the module, as a request of its own.

Every deal of such a batch is a draw from the weighted target, so its sums estimate the target's
as one batch of N deals would, and the merge formulas apply unchanged: the equity is exact in
expectation (where the module's own deals weigh 1), and the standard error is that of N deals
drawn from the target. The proportional counts leave out the spread between the classes' counts
that independent draws would have, so the true error is at most the reported one. Where the
module weighs a class's deals (`weighted`), they are scaled to average 1, so that the class still
counts as its share of the deals.

Class c of a batch seeded t draws from the module call seeded `batch_seed(t, c, threads)`: a batch
of a request of C classes takes the C·threads generators that follow t·GOLDEN, its `width` C.
"""

from __future__ import annotations

import random
from dataclasses import dataclass
from typing import TYPE_CHECKING

import vantor

from .counting import deal_count
from .parts import Part, module_request, weight_classes
from .recent import Recent
from .requests import Request
from .seeds import batch_seed
from .spots import padded
from .sums import Scaled, empty, total
from .walks import sampled_weights

if TYPE_CHECKING:
    from vantor import Result


@dataclass(frozen=True)
class Strata:
    """A weighted request's classes, each with its deals counted and weighted (W·M), and the
    module's say on whether any class's sampled deals carry weights."""

    parts: tuple[Part, ...]
    deals: tuple[int, ...]
    masses: tuple[float, ...]
    weighted: bool

    @property
    def shares(self) -> tuple[float, ...]:
        """Each class's share of the weighted target: W·M / Σ W·M."""
        whole = sum(self.masses)
        return tuple(mass / whole for mass in self.masses)


def _strata(request: Request) -> Strata:
    parts = weight_classes(request)
    deals = [deal_mass(request, part) for part in parts]
    masses = [part.weight * count for part, count in zip(parts, deals)]
    return Strata(tuple(parts), tuple(deals), tuple(masses), sampled_weights(request, parts))


# A run's batches count their request's classes once.
strata = Recent(_strata)


def weighted_deals(request: Request) -> tuple[float, int]:
    """The request's deals, each counted with its weight (the product of its seats' weights),
    and counted plainly."""
    found = strata(request)
    return sum(found.masses), sum(found.deals)


def deal_mass(request: Request, part: Part) -> int:
    """The deals of a part, counted (see `counting`)."""
    seats = [
        [padded(alternative, request.slots) for alternative in alternatives]
        for alternatives in part.seats
    ]
    board = padded(request.board, request.board_size)
    return deal_count(request.live, seats, board)


def stratified_batch(request: Request, samples: int, seed: int, threads: int) -> Result:
    """`samples` deals of the weighted target, every class sampled in its share (see above)."""
    found = strata(request)
    counts = _shares_of(samples, found.shares, random.Random(seed).random())
    results: list[Scaled] = []
    for index, (part, count) in enumerate(zip(found.parts, counts)):
        if count == 0:
            continue
        hands, board, dead = module_request(request, part)
        drawn = vantor.chunk(
            request.game.key, hands, board, dead, count, batch_seed(seed, index, threads), threads
        )
        # The module's weights mean something only within its batch: scaled to average 1, so
        # that the class counts as its share of the deals.
        average = drawn["weight_sum"] / drawn["samples"] if drawn["weighted"] else 1.0
        results.append((drawn, 1 / average if average > 0 else 1.0, 1))
    if not results:
        return total([(empty(len(request.seats), exact=False), 1.0, 1)], found.weighted)
    return total(results, found.weighted)


def _shares_of(samples: int, shares: tuple[float, ...], offset: float) -> list[int]:
    """`samples` cut by `shares`, rounded systematically: class c gets the whole numbers in its
    stretch of [offset, samples + offset) of the running total."""
    counts: list[int] = []
    running = 0.0
    taken = 0
    for share in shares[:-1]:
        running += share
        reached = min(int(running * samples + offset), samples)
        counts.append(reached - taken)
        taken = reached
    return [*counts, samples - taken]  # the running total ends at exactly `samples`

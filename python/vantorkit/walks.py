"""Exact answers of the kit's requests: weighted fields, and spots past the walk's limit.

The module walks every deal of a request of at most 50,000,000 deals. The kit walks a request in
parts (see `parts`): one per weight class of every seat, and, where a part is past the limit, one
per hand of a seat (of two seats, where one is not enough), the parts alike up to a renaming of
suits walked once. Sums of parts add up to the whole's, so every figure is the one a single walk
of every deal, each weighing the product of its seats' weights, would give; only the order of
additions differs. A part past the limit after two seats are cut declines the whole.

Where a request is one part, the module's own walk is the answer, as it would be without the
kit. Where it is several, each part is walked with every deal counted as dealt: the module pins
the ranks of razz requests where every seat has one alternative, which keeps shares but changes
the count of deals, so such a part is walked with its first seat written twice (two alternatives,
nothing pinned, every deal counted twice) and halved.
"""

from __future__ import annotations

from collections.abc import Callable
from dataclasses import replace
from functools import partial
from typing import TYPE_CHECKING

import vantor

from .parts import (
    Part,
    deal_bound,
    is_pinned,
    module_request,
    no_deal,
    renamings_of,
    split,
    split_seat,
    weight_classes,
)
from .requests import Request
from .running import StopSignal, run_all
from .sums import Scaled, empty, halved, scaled, total

if TYPE_CHECKING:
    from vantor import Result

WALK_LIMIT = 50_000_000
# A part is cut by the hands of one seat, and its parts by those of a second, at most.
MOST_SPLITS = 2
# How far the deals of a split may seem to pass a budget before its parts are listed anyway
# (`walked_deals`): the estimate from the renamings is rough, by about the cards a hand removes.
SPLIT_SLACK = 4


def walk(request: Request, threads: int = 1, stop: StopSignal | None = None) -> Result | None:
    """Every deal of `request` walked, in parts where it must be; None when some part of it is
    past the walk's limit even with two seats cut into hands. Parts are walked on `threads`
    threads; `stop` is looked at before each part."""
    parts = weight_classes(request)
    if len(parts) == 1:
        (part,) = parts
        whole = _walk_whole(request, part)
        if whole is not None:
            return whole if part.weight == 1.0 else scaled(whole, part.weight)
        seat = split_seat(request, part)
        if seat is None:
            return None
        pending = [(piece, 1) for piece in split(request, part, seat)]
    else:
        pending = [(part, 0) for part in parts]
    walked = walk_parts(request, pending, threads, stop)
    return None if walked is None else total(walked, sampled_weights(request, parts))


def walk_parts(
    request: Request, pending: list[tuple[Part, int]], threads: int, stop: StopSignal | None
) -> list[Scaled] | None:
    """The results of `pending` parts (each with the number of seats already cut), with their
    weight and copies. A part past the limit is cut by one more seat and its parts walked
    at once, so that a request that cannot be walked is found out early; None then."""
    last = all(splits == MOST_SPLITS for _, splits in pending)
    tasks: list[Callable[[], Result | None]] = [
        partial(_walk_or_decline if last else walk_part, request, part) for part, _ in pending
    ]
    try:
        walked = run_all(tasks, threads, stop)
    except _Declined:
        return None
    results: list[Scaled] = []
    for (part, splits), result in zip(pending, walked):
        if result is not None:
            results.append((result, part.weight, part.copies))
            continue
        seat = split_seat(request, part) if splits < MOST_SPLITS else None
        if seat is None:
            return None
        pieces = walk_parts(
            request, [(piece, splits + 1) for piece in split(request, part, seat)], threads, stop
        )
        if pieces is None:
            return None
        results += pieces
    return results


class _Declined(Exception):
    """A part past the limit with no seat left to cut: the request cannot be walked."""


def _walk_or_decline(request: Request, part: Part) -> Result:
    result = walk_part(request, part)
    if result is None:
        raise _Declined
    return result


def walk_part(request: Request, part: Part) -> Result | None:
    """One part walked with every deal counted as dealt (weight and copies left to the caller):
    None past the limit, no deal where none exists."""
    pinned = is_pinned(request, part)
    if pinned:
        part = replace(part, seats=(part.seats[0] * 2, *part.seats[1:]))
    try:
        result = vantor.exact(request.game.key, *module_request(request, part))
    except ValueError as error:
        if no_deal(error):
            return empty(len(part.seats))
        raise
    return halved(result) if pinned and result is not None else result


def sampled_weights(request: Request, parts: list[Part]) -> bool:
    """Whether the kit's sampled batches of the request carry weights: where any of its weight
    classes is sampled by the module with weights (see `stratified`)."""
    if len(parts) == 1:
        return request.weighted
    return any(_module_weights(request, part) for part in parts)


def walked_deals(request: Request, most: float) -> int | None:
    """An upper bound on the deals `walk` walks (each part's `deal_bound`, parts alike counted
    once), or None when it passes `most` or some part cannot be walked."""
    found = 0
    pending = [(part, 0) for part in weight_classes(request)]
    while pending:
        part, splits = pending.pop()
        bound = deal_bound(request, part)
        if bound <= WALK_LIMIT:
            found += bound
            if found > most:
                return None
            continue
        seat = split_seat(request, part) if splits < MOST_SPLITS else None
        # Parts alike are walked once, so a split walks about the part's deals over the number
        # of renamings that keep it; far more than `most` of those, and it is not worth listing.
        if seat is None or bound / len(renamings_of(request, part)) > SPLIT_SLACK * most:
            return None
        pending += [(piece, splits + 1) for piece in split(request, part, seat)]
    return found


def _walk_whole(request: Request, part: Part) -> Result | None:
    """The request as one walk of the module, from the text where the module reads it as
    written, so that the answer is the module's to the bit."""
    if request.as_written:
        spot = request.spot
        return vantor.exact_from_text(spot.game, spot.hands, spot.board, spot.dead)
    return vantor.exact(request.game.key, *module_request(request, part))


def _module_weights(request: Request, part: Part) -> bool:
    try:
        return vantor.chunk(request.game.key, *module_request(request, part), 0)["weighted"]
    except ValueError as error:
        if no_deal(error):
            return False
        raise

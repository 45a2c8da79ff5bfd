"""The result of a request from the results of its parts.

Parts whose deals are disjoint and together make up the request's deals (the hands of one seat,
or one weight class of every seat) have sums that add up to the request's. A part whose deals all
weigh w in the request adds w times each of its sums of w·s (shares, low shares, counts) and of w,
and w² times each sum of squares (Σ w²·s², Σ w²·s, Σ w²), as the README's "Reading a result"
defines them; a part that stands for k parts alike adds k times all of it.
"""

from __future__ import annotations

import math
from collections.abc import Sequence
from typing import TYPE_CHECKING, cast

from .figures import SUMS, SumName, with_figures

if TYPE_CHECKING:
    from vantor import Result

# A part's result, the weight every deal of it carries, and how many parts alike it stands for.
Scaled = tuple["Result", float, int]
# The per-seat sums that hold a square of the weight (see the README's table of sums).
SQUARE_SUMS: frozenset[SumName] = frozenset({"share_square_sum", "square_weight_share_sum"})


def scaled(result: Result, weight: float = 1.0, copies: int = 1) -> Result:
    """`result` as `copies` parts alike whose every deal weighs `weight`."""
    return total([(result, weight, copies)], result["weighted"])


def halved(result: Result) -> Result:
    """`result` with every deal counted once where it was counted twice."""
    counts: dict[str, object] = {
        **result,
        "samples": result["samples"] // 2,
        "attempts": result["attempts"] // 2,
        "weight_sum": result["weight_sum"] / 2,
        "weight_square_sum": result["weight_square_sum"] / 2,
        **{name: [value / 2 for value in result[name]] for name in SUMS},
    }
    return with_figures(cast("Result", counts))


def empty(seats: int, exact: bool = True) -> Result:
    """The result of no deal at all: every sum 0."""
    nothing: dict[str, object] = {
        "samples": 0,
        "exact": exact,
        "attempts": 0,
        "acceptance": 0.0,
        "weighted": False,
        "weight_sum": 0.0,
        "weight_square_sum": 0.0,
        "effective_samples": 0.0,
        **{name: [0.0] * seats for name in SUMS},
        "players": [],
    }
    return with_figures(cast("Result", nothing))


def total(parts: Sequence[Scaled], weighted: bool) -> Result:
    """The sums of the parts, each as `copies` parts alike whose every deal weighs `weight`,
    added (each sum with one correctly rounded addition), every figure computed again from them.
    `exact` holds when every part with deals was walked; `weighted` is what a sampled batch of
    the whole request reports."""
    seats = len(parts[0][0]["players"])
    counted = [part for part, _, _ in parts if part["samples"]] or [parts[0][0]]
    linear = [copies * weight for _, weight, copies in parts]
    square = [copies * weight * weight for _, weight, copies in parts]

    def added(name: SumName, seat: int) -> float:
        factors = square if name in SQUARE_SUMS else linear
        return math.fsum(part[name][seat] * f for (part, _, _), f in zip(parts, factors))

    combined: dict[str, object] = {
        "samples": sum(part["samples"] * copies for part, _, copies in parts),
        "exact": all(part["exact"] for part in counted),
        "attempts": sum(part["attempts"] * copies for part, _, copies in parts),
        "acceptance": 0.0,
        "weighted": weighted,
        "weight_sum": math.fsum(p["weight_sum"] * f for (p, _, _), f in zip(parts, linear)),
        "weight_square_sum": math.fsum(
            p["weight_square_sum"] * f for (p, _, _), f in zip(parts, square)
        ),
        "effective_samples": 0.0,
        **{name: [added(name, seat) for seat in range(seats)] for name in SUMS},
        "players": [],
    }
    return with_figures(cast("Result", combined))

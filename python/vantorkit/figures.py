"""The sums of a result, and the figures computed from them as the module computes them.

Every figure of a result is a ratio of its sums (see the README's "Reading a result"), so a
result whose sums were added up or scaled gets its figures here, by the module's formulas.
"""

from __future__ import annotations

import math
from typing import TYPE_CHECKING, Literal, cast, get_args

if TYPE_CHECKING:
    from vantor import Result, Seat

# The eleven per-seat sums of a result, in the module's key order.
SumName = Literal[
    "share_sum",
    "share_square_sum",
    "square_weight_share_sum",
    "low_share_sum",
    "win_count",
    "tie_count",
    "scoop_count",
    "high_win_count",
    "high_tie_count",
    "low_win_count",
    "low_tie_count",
]
SUMS = cast("tuple[SumName, ...]", get_args(SumName))
# A seat's figures in the module's key order, each the weighted average of one sum (the sum over
# `weight_sum`), and last the standard error of `equity`, which the square sums give.
AVERAGED_SUM: dict[str, SumName] = {
    "equity": "share_sum",
    "win": "win_count",
    "tie": "tie_count",
    "low_equity": "low_share_sum",
    "scoop": "scoop_count",
    "high_win": "high_win_count",
    "high_tie": "high_tie_count",
    "low_win": "low_win_count",
    "low_tie": "low_tie_count",
}
KEYS = (
    "samples",
    "exact",
    "attempts",
    "acceptance",
    "weighted",
    "weight_sum",
    "weight_square_sum",
    "effective_samples",
    *SUMS,
    "players",
)


def copy_sums(result: Result) -> Result:
    """A result of `result`'s counters and sums (the lists copied), its figures still to fill."""
    copy: dict[str, object] = {
        "samples": result["samples"],
        "exact": result["exact"],
        "attempts": result["attempts"],
        "acceptance": 0.0,
        "weighted": result["weighted"],
        "weight_sum": result["weight_sum"],
        "weight_square_sum": result["weight_square_sum"],
        "effective_samples": 0.0,
        **{name: list(result[name]) for name in SUMS},
        "players": [],
    }
    return cast("Result", copy)


def with_figures(result: Result) -> Result:
    """`result` with everything derived from its sums filled in, by the module's formulas."""
    samples, attempts = result["samples"], result["attempts"]
    w, w2 = result["weight_sum"], result["weight_square_sum"]
    result["acceptance"] = samples / attempts if attempts else 1.0
    result["effective_samples"] = w * w / w2 if w2 > 0 else 0.0
    total = w if w > 0 else float(samples or 1)
    result["players"] = [_seat(result, seat, total) for seat in range(len(result["share_sum"]))]
    return result


def _seat(result: Result, seat: int, total: float) -> Seat:
    d = result["share_sum"][seat] / total
    spread = d * d * result["weight_square_sum"] + (
        result["share_square_sum"][seat] - 2 * d * result["square_weight_share_sum"][seat]
    )
    exact = result["exact"] or result["samples"] < 2
    figures = {figure: result[name][seat] / total for figure, name in AVERAGED_SUM.items()}
    figures["std_error"] = 0.0 if exact else math.sqrt(max(spread, 0.0)) / total
    return cast("Seat", figures)

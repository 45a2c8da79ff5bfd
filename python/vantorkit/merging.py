"""Merging results of one request, as the module merges the pieces of a batch.

Every figure of a result is a ratio of sums, so results merge by adding the sums and computing
every figure again. The folds run left to right, as the module merges pieces in piece order, so
merging a batch's pieces in order gives the batch's own dictionary to the bit.
"""

from __future__ import annotations

import math
from collections.abc import Iterable
from typing import TYPE_CHECKING, Literal, Union, cast, get_args

from .batches import Batch

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

Mergeable = Union["Result", Batch]


def merge(results: Iterable[Mergeable]) -> Result:
    """The result of several results of one request, as if they were one batch.

    Takes the module's result dictionaries, `Batch` records (of `vantorkit.batch`, `batches` or
    `Equity.batches`), or both. Sums and counters are added, `exact` stays True only when every
    part with samples was exact, and every figure and standard error is computed again from the
    merged sums with the module's formulas.

    Raises ValueError, naming the parts, when they cannot be of one request: different seat
    counts, or deals with and without weights (`weighted`), batch records of different spots, or
    two parts drawn from the same generator (the same seed: every deal would count twice while
    the standard error shrank as if it had not). A plain dictionary carries neither its request
    nor its seed, so only its shape and weighting can be checked; merge `Batch` records to have
    the rest checked.
    """
    parts = list(results)
    if not parts:
        raise ValueError("nothing to merge")
    dicts = [part.result if isinstance(part, Batch) else part for part in parts]
    _check_shapes(dicts)
    _check_batches(parts)
    merged = _with_figures(_copy_sums(dicts[0]))  # a copy, even of one part alone
    for other in dicts[1:]:
        merged = _merge_two(merged, other)
    return merged


def _check_shapes(dicts: list[Result]) -> None:
    for index, result in enumerate(dicts):
        missing = [key for key in KEYS if key not in result]
        if missing:
            raise ValueError(f"part {index} is not a result: it lacks {', '.join(missing)}")
        lengths = {len(values) for values in _per_seat(result)}
        if len(lengths) != 1:
            raise ValueError(f"part {index} is not a result: its per-seat lists differ in length")
    seats = [len(result["players"]) for result in dicts]
    for index, count in enumerate(seats):
        if count != seats[0]:
            raise ValueError(
                f"parts 0 and {index} answer different requests: {seats[0]} and {count} seats"
            )
    sampled = [(i, r["weighted"]) for i, r in enumerate(dicts) if r["samples"] and not r["exact"]]
    for index, weighted in sampled:
        if weighted != sampled[0][1]:
            raise ValueError(
                f"parts {sampled[0][0]} and {index} answer different requests: one was sampled"
                " with weights and the other without"
            )
    seen: dict[int, int] = {}
    for index, result in enumerate(dicts):
        first = seen.setdefault(id(result), index)
        if first != index and result["samples"]:
            raise ValueError(
                f"parts {first} and {index} are the same result: its deals would count twice"
            )


def _check_batches(parts: list[Mergeable]) -> None:
    records = [(index, part) for index, part in enumerate(parts) if isinstance(part, Batch)]
    if not records:
        return
    first_index, first = records[0]
    owners: dict[int, tuple[int, Batch]] = {}
    for index, record in records:
        if not record.spot.same_question(first.spot):
            raise ValueError(
                f"parts {first_index} and {index} answer different requests:"
                f" {first.spot} and {record.spot}"
            )
        for seed in record.generator_seeds:
            earlier, owner = owners.setdefault(seed, (index, record))
            if earlier != index:
                raise ValueError(
                    f"parts {earlier} and {index} were drawn from the same generator (seeds"
                    f" {owner.seed} and {record.seed} on {owner.threads} and {record.threads}"
                    " threads): their deals would count twice; give each batch a seed of its own"
                )


def _per_seat(result: Result) -> list[list[float] | list[Seat]]:
    return [*(result[name] for name in SUMS), result["players"]]


def _merge_two(a: Result, b: Result) -> Result:
    """The module's merge of two tallies: sums added, `exact` kept only if every part with
    samples was exact, `weighted` taken from the first."""
    if a["samples"] and b["samples"]:
        exact = a["exact"] and b["exact"]
    else:
        exact = a["exact"] if a["samples"] else b["exact"]
    merged = _copy_sums(a)
    merged["exact"] = exact
    merged["samples"] += b["samples"]
    merged["attempts"] += b["attempts"]
    merged["weight_sum"] += b["weight_sum"]
    merged["weight_square_sum"] += b["weight_square_sum"]
    for name in SUMS:
        merged[name] = [x + y for x, y in zip(a[name], b[name])]
    return _with_figures(merged)


def _copy_sums(result: Result) -> Result:
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


def _with_figures(result: Result) -> Result:
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

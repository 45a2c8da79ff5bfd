"""Merging results of one request, as the module merges the pieces of a batch.

Every figure of a result is a ratio of sums, so results merge by adding the sums and computing
every figure again. The folds run left to right, as the module merges pieces in piece order, so
merging a batch's pieces in order gives the batch's own dictionary to the bit.
"""

from __future__ import annotations

from collections.abc import Iterable
from typing import TYPE_CHECKING, Union

from .batches import Batch
from .figures import KEYS, SUMS, copy_sums, with_figures

if TYPE_CHECKING:
    from vantor import Result, Seat

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
    merged = with_figures(copy_sums(dicts[0]))  # a copy, even of one part alone
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
    merged = copy_sums(a)
    merged["exact"] = exact
    merged["samples"] += b["samples"]
    merged["attempts"] += b["attempts"]
    merged["weight_sum"] += b["weight_sum"]
    merged["weight_square_sum"] += b["weight_square_sum"]
    for name in SUMS:
        merged[name] = [x + y for x, y in zip(a[name], b[name])]
    return with_figures(merged)

"""The weight written after a piece of a hand field, as solvers export ranges: `KK:0.5`.

A weight is a number from 0 to 1 (`0.5`, `.25`, `1`) or a percentage from 0% to 100% (`50%`,
`12.5%`), the form most range charts print. It says how often the seat holds each hand of the
piece, relative to a hand of weight 1.
"""

from __future__ import annotations

import re

# A decimal number, optionally a percentage; blanks around it are allowed.
WEIGHT = re.compile(r"\s*(?P<number>\d+(?:\.\d*)?|\.\d+)\s*(?P<percent>%?)\s*")
FORMS = "a number from 0 to 1 (0.5) or a percentage (50%)"


class WeightError(ValueError):
    """Why a weight does not read; the message names the text as written."""


def read_weight(text: str) -> float:
    """The weight `text` writes, from 0.0 to 1.0. Raises WeightError for anything else."""
    match = WEIGHT.fullmatch(text)
    if match is None:
        shown = text.strip()
        if not shown:
            raise WeightError(f"a weight follows the ':', written as {FORMS}")
        raise WeightError(f"{shown!r} is not a weight; write {FORMS}")
    number = float(match["number"])
    if match["percent"]:
        if number > 100:
            raise WeightError(f"a weight is at most 100%, not {match['number']}%")
        return number / 100
    if number > 1:
        suggestion = f"; for a percentage write {match['number']}%" if number <= 100 else ""
        raise WeightError(f"a weight is at most 1, not {match['number']}{suggestion}")
    return number

"""Spans with a fixed top card, as range tools write them: `A5s-A2s`, `K9o-K7o`, `KT-K8`.

The module's dash ranges keep the gap between the two cards (`KQs-76s`), and it refuses two ends
whose gaps differ. A range tool's span keeps the top card instead and runs the kicker between the
two ends, so the kit reads such a piece as the classes it names, one by one: `A5s-A2s` is
`A2s, A3s, A4s, A5s`. Every other piece is left to the module.
"""

from __future__ import annotations

import re

RANKS = "23456789TJQKA"
_END = r"([2-9TJQKA])([2-9TJQKA])([so]?)"
SPAN = re.compile(rf"\s*{_END}-{_END}\s*", re.IGNORECASE)


def span_classes(piece: str) -> list[str] | None:
    """The hand classes a fixed-top span names, lowest kicker first (`["A2s", ..., "A5s"]`), or
    None when `piece` is not one (a pair, ends of different tops or suitedness, or a span of the
    module's own kind: those the module reads or refuses itself)."""
    if SPAN.fullmatch(piece) is None:
        return None
    first, second = (end.strip().upper() for end in piece.split("-"))
    marker = first[2:].lower()
    top, low = _class_ranks(first)
    other_top, other_low = _class_ranks(second)
    if marker != second[2:].lower() or top != other_top or low == other_low:
        return None
    if top in (low, other_low):
        return None  # a pair at one end
    kickers = range(min(low, other_low), max(low, other_low) + 1)
    return [RANKS[top] + RANKS[kicker] + marker for kicker in kickers]


def _class_ranks(end: str) -> tuple[int, int]:
    """The two ranks of a class end, higher first: the order written does not matter (`5A` is
    `A5`), as the module reads a class."""
    ranks = sorted((RANKS.index(end[0]), RANKS.index(end[1])), reverse=True)
    return ranks[0], ranks[1]

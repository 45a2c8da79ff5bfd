"""Card masks: a card is bit `rank * 4 + suit`, a slot or a hand a mask of cards."""

from __future__ import annotations

from collections.abc import Iterable, Sequence

Masks = tuple[int, ...]


def union(masks: Iterable[int]) -> int:
    """Every card of any of `masks`."""
    total = 0
    for mask in masks:
        total |= mask
    return total


def named(slots: Iterable[int]) -> int:
    """The cards among `slots` named exactly (one-card slots)."""
    return union(mask for mask in slots if mask.bit_count() == 1)


def certainly_named(alternatives: Sequence[Masks]) -> int:
    """The cards every alternative of a seat names: the seat holds them in every deal."""
    common = union(named(alternative) for alternative in alternatives[:1])
    for alternative in alternatives[1:]:
        common &= named(alternative)
    return common


def cards_of(hand: int) -> Masks:
    """A hand's cards, each as a slot of its own, lowest first."""
    return tuple(1 << card for card in range(52) if hand >> card & 1)

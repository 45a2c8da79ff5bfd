"""Renamings of suits, and the ones a request does not notice.

Every game ranks hands alike whatever their suits are called, so renaming the suits throughout a
deal (clubs to hearts, hearts to clubs, say) keeps every seat's share of the pot. A renaming that
maps each seat's field, the board and the dead cards onto themselves therefore maps the deals of
the request onto its deals, share for share. Split the request by the hands of one seat, and the
part where the seat holds a hand h and the part where it holds the renamed hand have equal sums:
such parts are walked once and counted as often as they occur.
"""

from __future__ import annotations

from collections.abc import Iterable, Sequence
from itertools import permutations

from .masks import Masks

Renaming = tuple[int, int, int, int]  # the new suit of clubs, diamonds, hearts and spades
# Card mask -> the cards of one suit (card = rank * 4 + suit).
SUIT_CARDS = tuple(sum(1 << (4 * rank + suit) for rank in range(13)) for suit in range(4))
RENAMINGS: tuple[Renaming, ...] = tuple((a, b, c, d) for a, b, c, d in permutations(range(4)))


def renamed(mask: int, renaming: Renaming) -> int:
    """`mask` with every card's suit renamed."""
    out = 0
    for suit, target in enumerate(renaming):
        cards = mask & SUIT_CARDS[suit]
        out |= cards << (target - suit) if target >= suit else cards >> (suit - target)
    return out


def seat_key(alternatives: Iterable[tuple[Masks, float]]) -> tuple[tuple[Masks, float], ...]:
    """A seat's alternatives as a multiset: each one's slots in order of mask, then all sorted."""
    return tuple(sorted((tuple(sorted(slots)), weight) for slots, weight in alternatives))


def invariant_renamings(
    seats: Sequence[Sequence[tuple[Masks, float]]], board: Masks, dead: int
) -> tuple[Renaming, ...]:
    """The renamings that map the request onto itself (the identity always among them)."""
    # The dead cards and the board single out suits most often: those first.
    board_key = sorted(board)
    candidates = [
        renaming
        for renaming in RENAMINGS
        if renamed(dead, renaming) == dead and sorted(_renamed_slots(board, renaming)) == board_key
    ]
    if len(candidates) == 1:
        return tuple(candidates)  # the identity
    seat_keys = [seat_key(seat) for seat in seats]
    return tuple(
        renaming
        for renaming in candidates
        if all(
            seat_key((_renamed_slots(slots, renaming), weight) for slots, weight in seat) == key
            for seat, key in zip(seats, seat_keys)
        )
    )


def canonical(hand: int, renamings: Sequence[Renaming]) -> int:
    """The least image of `hand` under `renamings`: hands with the same canonical image (under a
    group of renamings) are renamings of one another."""
    if len(renamings) == 1:
        return hand  # the identity alone
    return min(renamed(hand, renaming) for renaming in renamings)


def _renamed_slots(slots: Masks, renaming: Renaming) -> Masks:
    return tuple(renamed(mask, renaming) for mask in slots)

"""A spot (one equity question) and an upper bound on the deals of its exact walk.

The module answers requests but keeps no record of them; a `Spot` is that record. It travels with
every sampled batch so that `merge` can tell batches of one question from batches of another, and
it gives `equity` an upper bound on the deals an exact walk would visit before it walks.
"""

from __future__ import annotations

import math
from collections import Counter
from collections.abc import Sequence
from dataclasses import dataclass, field

import vantor

from .catalogue import Game, games
from .masks import Masks, named, union

Key = tuple[object, ...]


def _hands_tuple(hands: Sequence[str]) -> tuple[str, ...]:
    if isinstance(hands, str):
        raise TypeError(
            "hands must be a list with one hand field per seat, such as ['AhKh', 'QsQd'], not"
            f" one str ({hands!r})"
        )
    return tuple(hands)


@dataclass(frozen=True)
class Spot:
    """One equity question in the module's text notation: a game, one hand field per seat, the
    board and the dead cards. Two spots are the same question (`same_question`) when they name the
    same cards, whatever the spelling or the order of cards and alternatives."""

    game: str
    hands: tuple[str, ...]
    board: str = ""
    dead: str = ""
    _key: Key = field(init=False, repr=False, compare=False)

    def __init__(self, game: str, hands: Sequence[str], board: str = "", dead: str = "") -> None:
        object.__setattr__(self, "game", game)
        object.__setattr__(self, "hands", _hands_tuple(hands))
        object.__setattr__(self, "board", board)
        object.__setattr__(self, "dead", dead)
        object.__setattr__(self, "_key", _question_key(self))

    def same_question(self, other: Spot) -> bool:
        """Whether both spots ask the same thing, so that their batches may be merged."""
        return self._key == other._key

    def __str__(self) -> str:
        parts = [self.game, " | ".join(self.hands)]
        if self.board:
            parts.append(f"board {self.board}")
        if self.dead:
            parts.append(f"dead {self.dead}")
        return ", ".join(parts)


def _question_key(spot: Spot) -> Key:
    """The cards a spot names, independent of how they were written: each alternative's slot masks
    sorted (a short stud or draw field padded with any-card slots, which is what the missing cards
    are) with its weight, each seat's alternatives sorted as a multiset (a hand written twice
    counts twice), the board's slots sorted and the dead cards as one mask. A spot that does not
    read falls back to its text; the module will refuse it anyway."""
    as_written = ("text", spot.game, spot.hands, spot.board, spot.dead)
    game = games().get(spot.game)
    if game is None:
        return as_written
    slots = game.slots(len(spot.hands))
    try:
        fields = [game.hand_field(hand, len(spot.hands)) for hand in spot.hands]
        seats = tuple(
            tuple(
                sorted(
                    (tuple(sorted(padded(alternative, slots))), weight)
                    for alternative, weight in zip(field.alternatives, field.weights)
                )
            )
            for field in fields
        )
        return (spot.game, seats, _board_slots(spot.board), vantor.parse_dead_cards(spot.dead))
    except ValueError:
        return as_written


def padded(slots: Sequence[int], size: int) -> tuple[int, ...]:
    """An alternative of a field that may stop short, completed as the module completes it: with
    slots of any card up to `size`."""
    return (*slots, *[vantor.full_deck()] * (size - len(slots)))


def _board_slots(board: str) -> tuple[int, ...]:
    if not board.strip():
        return ()
    (slots,) = vantor.parse_hand_field(board, 5, True)
    return tuple(sorted(slots))


def deal_bound(spot: Spot) -> int | None:
    """An upper bound on the deals an exact walk of `spot` visits, or None when the spot does not
    read (the module then reports why). Every seat's hands and the board's completions are counted
    as if the others took no card from them, so the product can only overshoot: by about 2.2 for
    two unseen hold'em hands, less where more cards are named."""
    game = games().get(spot.game)
    if game is None:
        return None
    try:
        seats = [game.hand_field(hand, len(spot.hands)).alternatives for hand in spot.hands]
        board = _board_slots(spot.board)
        dead = vantor.parse_dead_cards(spot.dead)
    except ValueError:
        return None
    return bound_for(game, seats, tuple(board), dead)


def bound_for(game: Game, seats: Sequence[Sequence[Sequence[int]]], board: Masks, dead: int) -> int:
    """`deal_bound` of a request in masks: each seat's alternatives, the board's slots as
    written, the dead cards."""
    slots = game.slots(len(seats))
    named_on_table = dead | named(board)
    # A seat with a single alternative of named cards holds those cards in every deal.
    held = [named(alternatives[0]) if len(alternatives) == 1 else 0 for alternatives in seats]
    bound = 1
    for index, alternatives in enumerate(seats):
        others = named_on_table | union(held[:index] + held[index + 1 :])
        live = game.deck & ~others
        bound *= sum(hands_within(alternative, live, slots) for alternative in alternatives)
    live = game.deck & ~(dead | union(held))
    missing = max(game.board_size(len(seats)) - len(board), 0)
    return bound * hands_within(board, live, len(board) + missing)


def hands_within(slots: Sequence[int], live: int, size: int) -> int:
    """At least the number of card sets of `size` cards that fill `slots` from `live`, the cards
    beyond the slots being any live card (as a `*` is). Slots with the same mask are chosen
    together (two `*` are C(n, 2), not n²); slots with different masks are counted apart, which
    overshoots only where they overlap."""
    padded = list(slots) + [vantor.full_deck()] * max(size - len(slots), 0)
    count = 1
    for mask, repeats in Counter(padded).items():
        count *= math.comb((mask & live).bit_count(), repeats)
    return count

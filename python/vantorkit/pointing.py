"""Which field of a spot a notation error is about, and where in it: what the command prints under
its one-line message, and what the web page marks under the field.

Notation errors end in "(at byte N)", N counted within the one field that failed; the field itself
is not named, so it is found by reading each field alone.
"""

from __future__ import annotations

import re
from collections.abc import Callable
from dataclasses import dataclass
from typing import Literal

import vantor

from .catalogue import games
from .spots import Spot

AT_BYTE = re.compile(r"(?P<message>.*) \(at byte (?P<byte>\d+)\)", re.S)

FieldName = Literal["hands", "board", "dead"]


@dataclass(frozen=True)
class Pointer:
    """A notation error placed: the field (`hands` with the seat's index, `board` or `dead`), its
    text, the reason without the byte, and the column of the offending character (counted in
    characters, not bytes)."""

    field: FieldName
    seat: int | None
    text: str
    reason: str
    column: int

    @property
    def name(self) -> str:
        """The field as a sentence names it: "seat 2's hand", "the board", "the dead cards"."""
        if self.field == "hands":
            assert self.seat is not None
            return f"seat {self.seat + 1}'s hand"
        return "the board" if self.field == "board" else "the dead cards"


def point(message: str, spot: Spot) -> Pointer | None:
    """Where the error `message` (as the module or the kit words it) points in `spot`; None for an
    error that is not about one field's bytes."""
    match = AT_BYTE.fullmatch(message)
    if match is None:
        return None
    reason, offset = match["message"], int(match["byte"])
    field, seat, text = _offending_field(spot, reason)
    return Pointer(field, seat, text, reason, column(text, offset))


def column(text: str, offset: int) -> int:
    """The column of byte `offset` of `text`, counted in characters."""
    return len(text.encode("utf-8")[:offset].decode("utf-8", "ignore"))


def _offending_field(spot: Spot, reason: str) -> tuple[FieldName, int | None, str]:
    """Which field a notation error is about. The module reads the seats in order, then the
    board, then the dead cards, and stops at the first field that fails; reading each field alone
    finds it. Only the board has no reader of its own, so a failure the others do not show is its.
    """
    game = games().get(spot.game)
    if game is not None:
        for seat, hand in enumerate(spot.hands):
            if _fails(lambda: game.hand_field(hand, len(spot.hands))):
                return "hands", seat, hand
    if not _fails(lambda: vantor.parse_hand_field(spot.board, 5, True), reason) and _fails(
        lambda: vantor.parse_dead_cards(spot.dead), reason
    ):
        return "dead", None, spot.dead
    return "board", None, spot.board


def _fails(read: Callable[[], object], reason: str | None = None) -> bool:
    """Whether `read` raises ValueError (with `reason` as its last line, when given)."""
    try:
        read()
    except ValueError as error:
        return reason is None or str(error).splitlines()[-1] == reason
    return False

"""Hand fields as the kit reads them: the module's notation, plus weights and fixed-top spans.

`AA, KK:0.5, A5s-A2s:25%` is three pieces between commas. A piece may end in a weight (see
`weights`); a two-card piece may be a span with a fixed top card (see `spans`); everything else
is read by the module's own reader, `vantor.parse_hand_field`, piece by piece, so that every form
the module reads means what it means there. A field that uses neither weights nor such spans is
handed to the module whole, as written.

Errors point at bytes of the field, as the module's do: `NotationError` reads "{message} (at
byte N)", the form the module gives inside an equity request, and `pointer()` gives the field
with a caret line under the offending bytes, the form of `vantor.parse_hand_field`.
"""

from __future__ import annotations

from dataclasses import dataclass

import vantor

from .masks import Masks
from .spans import span_classes
from .weights import WeightError, read_weight


class NotationError(ValueError):
    """A hand field that does not read: the message and the bytes of the field it is about."""

    def __init__(self, message: str, position: int, span: int = 0) -> None:
        super().__init__(f"{message} (at byte {position})")
        self.message = message
        self.position = position
        self.span = span

    def pointer(self, text: str) -> str:
        """The field, a line of carets under the offending bytes, and the message, as
        `vantor.parse_hand_field` shows its errors."""
        return f"{text}\n{' ' * self.position}{'^' * max(self.span, 1)}\n{self.message}"


@dataclass(frozen=True)
class Field:
    """A hand field read: each alternative the module would read (a tuple of slot masks) with the
    weight of the piece it came from. Pieces of weight 0 are left out. `as_written` says the
    module reads the text itself the same way (no weights, no fixed-top spans)."""

    text: str
    alternatives: tuple[Masks, ...]
    weights: tuple[float, ...]
    as_written: bool

    @property
    def is_weighted(self) -> bool:
        """Whether some alternative weighs other than 1."""
        return any(weight != 1.0 for weight in self.weights)


def read_hand_field(text: str, slots: int, allow_short: bool = False) -> Field:
    """`text` read as a seat's hand field of `slots` cards (`allow_short`: the field may stop
    short, the rest dealt). Raises NotationError pointing at the first piece that does not read,
    or at the field when every piece weighs 0."""
    try:
        encoded = text.encode("utf-8")
    except UnicodeEncodeError:
        encoded = b""  # not text the module can take: it reports that itself
    pieces = _pieces(encoded)
    if not any(b":" in piece or _span(piece, slots) for _, piece in pieces):
        alternatives = _module_read(text, slots, allow_short, 0)
        return Field(text, alternatives, (1.0,) * len(alternatives), as_written=True)
    read: list[Masks] = []
    weights: list[float] = []
    for offset, piece in pieces:
        hand, colon, weight_text = piece.partition(b":")
        classes = _span(hand, slots)
        if classes is not None:
            found = _module_read(", ".join(classes), slots, allow_short, offset)
        else:
            found = _module_read(hand.decode("utf-8"), slots, allow_short, offset)
        weight = _weight(weight_text, offset + len(hand) + 1) if colon else 1.0
        if weight > 0:
            read += found
            weights += [weight] * len(found)
    if not read:
        raise NotationError(
            "every piece of this field weighs 0, so the seat holds no hand", 0, len(encoded)
        )
    return Field(text, tuple(read), tuple(weights), as_written=False)


def _pieces(encoded: bytes) -> list[tuple[int, bytes]]:
    """The field cut at its commas: each piece with the byte where it starts."""
    found: list[tuple[int, bytes]] = []
    start = 0
    for piece in encoded.split(b","):
        found.append((start, piece))
        start += len(piece) + 1
    return found


def _span(piece: bytes, slots: int) -> list[str] | None:
    if slots != 2:
        return None  # ranges are two-card notation; the module says so for any other game
    return span_classes(piece.decode("utf-8", "replace"))


def _weight(written: bytes, position: int) -> float:
    try:
        return read_weight(written.decode("utf-8"))
    except (WeightError, UnicodeDecodeError) as error:
        lead = len(written) - len(written.lstrip())
        raise NotationError(str(error), position + lead, len(written.strip())) from None


def _module_read(text: str, slots: int, allow_short: bool, offset: int) -> tuple[Masks, ...]:
    """The module's reading of `text`, its error moved `offset` bytes along the field."""
    try:
        return tuple(tuple(masks) for masks in vantor.parse_hand_field(text, slots, allow_short))
    except ValueError as error:
        *_, carets, message = str(error).split("\n")
        position = len(carets) - len(carets.lstrip(" "))
        raise NotationError(message, offset + position, carets.count("^")) from None

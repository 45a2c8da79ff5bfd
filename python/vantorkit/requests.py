"""A spot read into masks, as the kit splits, weighs and counts it.

The seats' fields are read by the kit (weights, fixed-top spans and everything the module reads);
the board and the dead cards by the module. The whole request is then put to the module once,
with each field as text it reads the same way (weights aside), so that every refusal is the
module's own, in its own order.
"""

from __future__ import annotations

from dataclasses import dataclass, replace

import vantor

from .catalogue import Game, games
from .fields import Field
from .masks import Masks
from .names import alternative_name
from .recent import Recent
from .spots import Spot


@dataclass(frozen=True)
class Request:
    """A spot in masks: each seat's field read with its weights, the board's slots as written
    (fewer than a full board: the rest is dealt) and the dead cards."""

    spot: Spot
    game: Game
    seats: tuple[Field, ...]
    board: Masks
    dead: int
    # Whether the module's sampled batches of the request, weights left out, carry weights.
    weighted: bool = False

    @property
    def as_written(self) -> bool:
        """Whether the module reads every field as written: no weights, no fixed-top spans."""
        return all(field.as_written for field in self.seats)

    @property
    def live(self) -> int:
        """The cards in play: the game's deck less the dead cards."""
        return self.game.deck & ~self.dead

    @property
    def slots(self) -> int:
        """The cards of a complete hand at this table."""
        return self.game.slots(len(self.seats))

    @property
    def board_size(self) -> int:
        """The cards of a complete board at this table."""
        return self.game.board_size(len(self.seats))

    def with_hand(self, seat: int, cards: Masks) -> Request:
        """The request with `seat` holding the named `cards` alone."""
        name = alternative_name(cards)
        field = Field(name, (cards,), (1.0,), as_written=True)
        hands = (*self.spot.hands[:seat], name, *self.spot.hands[seat + 1 :])
        spot = Spot(self.spot.game, hands, self.spot.board, self.spot.dead)
        seats = (*self.seats[:seat], field, *self.seats[seat + 1 :])
        return replace(self, spot=spot, seats=seats)

    def module_hands(self) -> list[str]:
        """Each field as text the module reads into the same alternatives, weights left out."""
        return [
            field.text if field.as_written else ", ".join(map(alternative_name, field.alternatives))
            for field in self.seats
        ]


def read_request(spot: Spot) -> Request:
    """`spot` read into masks. Raises the kit's NotationError for a seat's field that does not
    read, and the module's ValueError for anything else it refuses (an unknown game, a board or
    dead cards that do not read, seats that cannot be dealt together, ...)."""
    game = games().get(spot.game)
    if game is None:
        vantor.chunk_from_text(spot.game, spot.hands, spot.board, spot.dead, 0)
        raise AssertionError("the module took a game the kit does not know")
    seats = tuple(game.hand_field(hand, len(spot.hands)) for hand in spot.hands)
    hands = Request(spot, game, seats, (), 0).module_hands()
    checked = vantor.chunk_from_text(spot.game, hands, spot.board, spot.dead, 0, 0, 1)
    board = tuple(vantor.parse_hand_field(spot.board, 5, True)[0]) if spot.board.strip() else ()
    dead = vantor.parse_dead_cards(spot.dead)
    return Request(spot, game, seats, board, dead, checked["weighted"])


def _kit_request(spot: Spot) -> Request | None:
    """`spot` read into masks where the module cannot read it as written (weights, fixed-top
    spans), else None: the module then takes the spot's text, as it always has. Raises as
    `read_request`, and the kit's NotationError for a field that does not read."""
    game = games().get(spot.game)
    if game is None:
        return None
    if all(game.hand_field(hand, len(spot.hands)).as_written for hand in spot.hands):
        return None
    return read_request(spot)


# A run's batches read their spot once.
kit_request = Recent(_kit_request)

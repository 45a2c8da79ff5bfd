"""The games, as the module's catalogue lists them, with what vantorkit must know besides.

`vantor.variants()` publishes each game's key, label, cards and deck. How a hand field reads,
how a full table deals, whether the pot has a low half and whether the walk pins ranks, the module
knows but does not publish; the kit keeps those facts here, one row per game. A game the module
lists without a row is an error at the first read of the catalogue, so a new game cannot pass
through the kit on defaults.
"""

from __future__ import annotations

from dataclasses import dataclass
from typing import TYPE_CHECKING

import vantor

from .fields import Field, read_hand_field

if TYPE_CHECKING:
    from vantor import GameKey


@dataclass(frozen=True)
class GameFacts:
    """What the kit needs to know about a game that the catalogue does not say."""

    # A hand field may stop short, the missing cards being dealt (stud) or drawn (draw games).
    short_fields: bool
    # From this many seats on, each seat holds one card fewer and one card is dealt face up for
    # all to share, the deck running short otherwise (stud); None where the deck never does.
    shared_card_seats: int | None
    # The pot is split between the best high hand and the best eight-or-better low.
    hi_lo: bool
    # Where every seat has one alternative, a slot of any card of one rank is pinned to one free
    # card of that rank (razz ranks hands by rank alone): the shares stay, the deals walked drop.
    pins_ranks: bool


# Game key -> its facts; one row for every game of `vantor.variants()`, in its order.
FACTS_BY_GAME: dict[GameKey, GameFacts] = {
    "holdem": GameFacts(short_fields=False, shared_card_seats=None, hi_lo=False, pins_ranks=False),
    "short_deck": GameFacts(
        short_fields=False, shared_card_seats=None, hi_lo=False, pins_ranks=False
    ),
    "omaha": GameFacts(short_fields=False, shared_card_seats=None, hi_lo=False, pins_ranks=False),
    "omaha_five": GameFacts(
        short_fields=False, shared_card_seats=None, hi_lo=False, pins_ranks=False
    ),
    "omaha_six": GameFacts(
        short_fields=False, shared_card_seats=None, hi_lo=False, pins_ranks=False
    ),
    "omaha_hi_lo": GameFacts(
        short_fields=False, shared_card_seats=None, hi_lo=True, pins_ranks=False
    ),
    "omaha_five_hi_lo": GameFacts(
        short_fields=False, shared_card_seats=None, hi_lo=True, pins_ranks=False
    ),
    "courchevel": GameFacts(
        short_fields=False, shared_card_seats=None, hi_lo=False, pins_ranks=False
    ),
    "courchevel_hi_lo": GameFacts(
        short_fields=False, shared_card_seats=None, hi_lo=True, pins_ranks=False
    ),
    "stud": GameFacts(short_fields=True, shared_card_seats=8, hi_lo=False, pins_ranks=False),
    "stud_hi_lo": GameFacts(short_fields=True, shared_card_seats=8, hi_lo=True, pins_ranks=False),
    "razz": GameFacts(short_fields=True, shared_card_seats=8, hi_lo=False, pins_ranks=True),
    "deuce_seven": GameFacts(
        short_fields=True, shared_card_seats=None, hi_lo=False, pins_ranks=False
    ),
    "five_card_draw": GameFacts(
        short_fields=True, shared_card_seats=None, hi_lo=False, pins_ranks=False
    ),
    "badugi": GameFacts(short_fields=True, shared_card_seats=None, hi_lo=False, pins_ranks=False),
}


@dataclass(frozen=True)
class Game:
    """One game: its entry in the module's catalogue, and the kit's facts about it."""

    key: str
    label: str
    hole_cards: int
    board_cards: int
    deck: int
    deck_size: int
    facts: GameFacts

    def shares_a_card(self, seats: int) -> bool:
        """Whether a table of `seats` deals one card face up for all instead of a seat's last."""
        shared_from = self.facts.shared_card_seats
        return shared_from is not None and seats >= shared_from

    def slots(self, seats: int) -> int:
        """How many cards a hand field holds with this many seats."""
        return self.hole_cards - 1 if self.shares_a_card(seats) else self.hole_cards

    def board_size(self, seats: int) -> int:
        """How many board cards a complete deal has with this many seats."""
        return 1 if self.shares_a_card(seats) else self.board_cards

    @property
    def most_seats(self) -> int:
        """The most seats the deck can deal to: each seat's cards and a complete board."""
        seats = 2
        while (seats + 1) * self.slots(seats + 1) + self.board_size(seats + 1) <= self.deck_size:
            seats += 1
        return seats

    @property
    def notes(self) -> str:
        """What sets the game apart, in a few words: "hi/lo", "36-card deck", "partial hands"."""
        found: list[str] = []
        if self.facts.hi_lo:
            found.append("hi/lo")
        if self.deck_size != 52:
            found.append(f"{self.deck_size}-card deck")
        if self.facts.short_fields:
            found.append("partial hands")
        return ", ".join(found)

    def hand_field(self, text: str, seats: int) -> Field:
        """A seat's hand field read at a table of `seats`: the module's reading, with the kit's
        weights and spans. Raises NotationError for a field that does not read."""
        return read_hand_field(text, self.slots(seats), self.facts.short_fields)


_catalogue: dict[str, Game] = {}


def games() -> dict[str, Game]:
    """The module's catalogue, by key, in catalogue order, each game with its facts (read once,
    by `read_catalogue`)."""
    if not _catalogue:
        _catalogue.update(read_catalogue())
    return _catalogue


def read_catalogue() -> dict[str, Game]:
    """`vantor.variants()`, each game with its row of `FACTS_BY_GAME`. Raises LookupError naming
    the game when the module lists one that has no row."""
    found: dict[str, Game] = {}
    for entry in vantor.variants():
        key = entry["key"]
        facts = FACTS_BY_GAME.get(key)
        if facts is None:
            raise LookupError(
                f"vantor lists a game vantorkit has no facts for: {key!r}; add its row to"
                " FACTS_BY_GAME in vantorkit/catalogue.py"
            )
        found[key] = Game(
            key,
            entry["label"],
            entry["hole_cards"],
            entry["board_cards"],
            entry["deck"],
            entry["deck_size"],
            facts,
        )
    return found

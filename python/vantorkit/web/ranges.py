"""A two-card hand field as the range grid shows it: every hand it allows, with its weight, and
how many hands that is among all the deck deals."""

from __future__ import annotations

import math

from ..catalogue import Game
from ..masks import cards_of
from ..names import alternative_name
from ..parts import field_hands


def range_data(game: Game, field: str) -> dict[str, object]:
    """`field` read as a seat's two-card hand field of `game`: each hand (highest card first, as
    "AsAh") with its weight (the weights of the pieces that allow it, added up), the hands counted
    by weight and by number, all the hands of the deck, and the weighted count's share of them.
    The cards other fields name are not taken out: this is the field alone. Raises the kit's
    NotationError for a field that does not read."""
    hands = field_hands(game.hand_field(field, 2), game.deck)
    every = math.comb(game.deck_size, 2)
    count = math.fsum(hands.values())
    return {
        "game": game.key,
        "field": field,
        "hands": {alternative_name(cards_of(hand)[::-1]): weight for hand, weight in hands.items()},
        "count": count,
        "combinations": len(hands),
        "all": every,
        "share": count / every,
    }

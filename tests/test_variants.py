"""The game catalogue: variants() and the lookup of a `variant` argument."""

import re

import pytest

import vantor
from quoting import quoted

# The catalogue as documented: key, label, hole cards, board cards, deck size.
CATALOGUE = [
    ("holdem", "Hold'em", 2, 5, 52),
    ("short_deck", "Short Deck Hold'em (flush beats full house)", 2, 5, 36),
    ("omaha", "Omaha", 4, 5, 52),
    ("omaha_five", "5-Card Omaha", 5, 5, 52),
    ("omaha_six", "6-Card Omaha", 6, 5, 52),
    ("omaha_hi_lo", "Omaha Hi/Lo", 4, 5, 52),
    ("omaha_five_hi_lo", "5-Card Omaha Hi/Lo", 5, 5, 52),
    ("courchevel", "Courchevel", 5, 5, 52),
    ("courchevel_hi_lo", "Courchevel Hi/Lo", 5, 5, 52),
    ("stud", "Seven-Card Stud", 7, 0, 52),
    ("stud_hi_lo", "Seven-Card Stud Hi/Lo", 7, 0, 52),
    ("razz", "Razz", 7, 0, 52),
    ("deuce_seven", "2-7 Lowball (single draw)", 5, 0, 52),
    ("five_card_draw", "5-Card Draw", 5, 0, 52),
    ("badugi", "Badugi (single draw)", 4, 0, 52),
]
KEYS = [row[0] for row in CATALOGUE]


def deck_of(ranks):
    """The mask of every card of the given ranks, built from card names."""
    return sum(1 << vantor.card_index(rank + suit) for rank in ranks for suit in "cdhs")


FULL_DECK = deck_of("23456789TJQKA")
SHORT_DECK = deck_of("6789TJQKA")


class TestVariants:
    def test_entries_in_catalogue_order(self):
        entries = vantor.variants()
        assert [list(entry) for entry in entries] == [
            ["key", "label", "hole_cards", "board_cards", "deck", "deck_size"]
        ] * 15
        assert [
            (e["key"], e["label"], e["hole_cards"], e["board_cards"], e["deck_size"])
            for e in entries
        ] == CATALOGUE

    def test_decks(self):
        assert SHORT_DECK == 4503599627304960 and FULL_DECK == 4503599627370495
        for entry in vantor.variants():
            expected = SHORT_DECK if entry["key"] == "short_deck" else FULL_DECK
            assert entry["deck"] == expected
            assert bin(entry["deck"]).count("1") == entry["deck_size"]
            assert all(type(entry[k]) is int for k in ("hole_cards", "board_cards", "deck"))

    def test_each_call_builds_fresh_objects(self):
        first = vantor.variants()
        first[0]["key"] = "changed"
        first.clear()
        again = vantor.variants()
        assert len(again) == 15 and again[0]["key"] == "holdem"
        assert again is not vantor.variants()


GAME_FUNCTIONS = {
    "chunk": lambda key: vantor.chunk(key, [[[1]], [[2]]], [], 0, 10),
    "chunk_from_text": lambda key: vantor.chunk_from_text(key, ["AhKh", "QsQd"]),
    "exact": lambda key: vantor.exact(key, [[[1]], [[2]]], [], 0),
    "exact_from_text": lambda key: vantor.exact_from_text(key, ["AhKh", "QsQd"]),
}


class TestLookup:
    @pytest.mark.parametrize("function", GAME_FUNCTIONS)
    @pytest.mark.parametrize(
        "key",
        [
            "Holdem",
            "hold'em",
            "omaha-five",
            "holdem ",
            " holdem",
            "",
            "HOLDEM",
            "texas",
            'say "hi"',
            "back\\slash",
            "new\nline",
            "tab\there",
            "nul\0",
            "bell\x07",
            "\u00e9t\u00e9",
        ],
    )
    def test_unknown_keys_are_quoted(self, function, key):
        message = f"no game called {quoted(key)}; call variants() for the list"
        with pytest.raises(ValueError, match=f"^{re.escape(message)}$"):
            GAME_FUNCTIONS[function](key)

    def test_empty_key_is_two_quotes(self):
        with pytest.raises(ValueError, match=re.escape('no game called ""; call variants()')):
            vantor.exact_from_text("", ["AhKh"])

    @pytest.mark.parametrize("function", GAME_FUNCTIONS)
    @pytest.mark.parametrize("key", KEYS)
    def test_every_listed_key_is_a_game(self, function, key):
        try:
            GAME_FUNCTIONS[function](key)
        except ValueError as error:
            assert "no game called" not in str(error)
        except NotImplementedError:
            pass  # the request layer is not in this build; the key was accepted first

    def test_arguments_are_converted_before_the_lookup(self):
        with pytest.raises(TypeError):
            vantor.exact_from_text("texas", "AhKh")
        with pytest.raises(OverflowError):
            vantor.chunk("texas", [[[1]]], [], 0, -1)

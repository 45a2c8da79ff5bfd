"""Card indices, names and the strict card reader behind card_index."""

import re

import pytest

import vantor

RANKS = "23456789TJQKA"
SUITS = "cdhs"
# The index layout written out independently of the engine: rank * 4 + suit.
NAMES = {rank + suit: r * 4 + s for r, rank in enumerate(RANKS) for s, suit in enumerate(SUITS)}

# Unicode's White_Space property, which the reader drops wherever it stands.
WHITE_SPACE = (
    ["\t", "\n", "\v", "\f", "\r", " ", "\u0085", "\u00a0", "\u1680"]
    + [chr(c) for c in range(0x2000, 0x200B)]
    + ["\u2028", "\u2029", "\u202f", "\u205f", "\u3000"]
)


def not_one(text_repr, count):
    return f"^{re.escape(text_repr)} names {count} cards, not one$"


class TestCardIndex:
    @pytest.mark.parametrize("name, index", sorted(NAMES.items(), key=lambda item: item[1]))
    def test_every_card(self, name, index):
        assert vantor.card_index(name) == index
        assert vantor.card_name(index) == name

    @pytest.mark.parametrize("text", ["ah", "AH", "aH", "Ah"])
    def test_case_is_ignored(self, text):
        assert vantor.card_index(text) == 50

    @pytest.mark.parametrize("space", WHITE_SPACE, ids=lambda c: f"U+{ord(c):04X}")
    def test_white_space_is_dropped_anywhere(self, space):
        assert vantor.card_index(f"{space}A{space}h{space}") == 50

    @pytest.mark.parametrize(
        "text, message",
        [
            ("10h", "Uneven number of chars"),
            ("Xh1", "Uneven number of chars"),
            ("Ah Kh Q", "Uneven number of chars"),
            ("Ah,Kh", "Uneven number of chars"),
            ("1h", "Invalid rank character: 1"),
            ("xA", "Invalid rank character: x"),
            ("Ah,,Kh", "Invalid rank character: ,"),
            ("\u00c9h", "Invalid rank character: \u00c9"),
            ("Ax", "Invalid suit character: x"),
            ("AX", "Invalid suit character: X"),
            ("A*", "Invalid suit character: *"),
            ("Kh1c", "Invalid rank character: 1"),
            ("KhQ\u00e9", "Invalid suit character: \u00e9"),
            ("**", "Invalid rank character: *"),
            # Characters that look blank but are not Unicode white space are characters.
            ("\u200bAhK", "Invalid rank character: \u200b"),
            ("\x1cAhK", "Invalid rank character: \x1c"),
        ],
    )
    def test_reader_errors(self, text, message):
        with pytest.raises(ValueError, match=f"^{re.escape(message)}$"):
            vantor.card_index(text)

    @pytest.mark.parametrize(
        "text, shown, count",
        [
            ("AhKh", '"AhKh"', 2),
            ("Ah Kh", '"Ah Kh"', 2),
            ("AhAh", '"AhAh"', 2),
            ("2c3c4c5c6c7c8c", '"2c3c4c5c6c7c8c"', 7),
            ("", '""', 0),
            ("   ", '"   "', 0),
            ("\t\n\r", '"\\t\\n\\r"', 0),
            ("\v\f", '"\\u{b}\\u{c}"', 0),
            ("\u00a0\u2028\u3000", '"\\u{a0}\\u{2028}\\u{3000}"', 0),
            ("\u0085Ah Kh", '"\\u{85}Ah Kh"', 2),
        ],
    )
    def test_text_not_naming_one_card(self, text, shown, count):
        with pytest.raises(ValueError, match=not_one(shown, count)):
            vantor.card_index(text)


class TestCardName:
    @pytest.mark.parametrize(
        "index, name", [(0, "2c"), (1, "2d"), (32, "Tc"), (50, "Ah"), (51, "As")]
    )
    def test_names(self, index, name):
        assert vantor.card_name(index) == name

    @pytest.mark.parametrize("index", [52, 53, 100, 255])
    def test_not_a_card_index(self, index):
        with pytest.raises(ValueError, match=f"^{index} is not a card index$"):
            vantor.card_name(index)

    @pytest.mark.parametrize("index", [-1, 256, 1 << 64])
    def test_outside_a_byte(self, index):
        with pytest.raises(
            OverflowError, match=r"^out of range integral type conversion attempted$"
        ):
            vantor.card_name(index)


class TestFullDeck:
    def test_value(self):
        deck = vantor.full_deck()
        assert deck == 4503599627370495 == (1 << 52) - 1
        assert bin(deck).count("1") == 52

    def test_every_card_index_is_in_it(self):
        deck = vantor.full_deck()
        assert all(deck >> vantor.card_index(name) & 1 for name in NAMES)

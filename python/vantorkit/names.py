"""Names a person reads: the category of a `score_batch` value, and the hands of a hand field.

The values of each kernel are numbered best first, one category after another, so a category is
a range of values whose length is the number of distinct hands in it (ten straight flushes, 156
fours of a kind, ...). The lows are named the way lowball players say them, by their two highest
cards ("Seven-five low"), which the value's place among the no-pair hands tells.
"""

from __future__ import annotations

from collections.abc import Sequence
from itertools import combinations, pairwise

import vantor

NO_HAND = "No hand"
# What the table kernels answer for fewer than five or more than seven cards, and what `omaha`
# and `badugi` answer when no hand can be made.
TABLE_NO_HAND = 65535
WIDE_NO_HAND = 4294967295
NO_PAIR = ""  # a low hand without a pair: named by its two highest cards

# Each kernel's categories, best first, with the number of distinct hands in each.
HIGH = (
    ("Straight flush", 10),
    ("Four of a kind", 156),
    ("Full house", 156),
    ("Flush", 1277),
    ("Straight", 10),
    ("Three of a kind", 858),
    ("Two pair", 858),
    ("One pair", 2860),
    ("High card", 1277),
)
# Short deck: A-5-4-3-2 is no straight (one fewer), and a flush beats a full house.
SHORT_DECK = (
    ("Straight flush", 9),
    ("Four of a kind", 156),
    ("Flush", 1277),
    ("Full house", 156),
    ("Straight", 9),
    ("Three of a kind", 858),
    ("Two pair", 858),
    ("One pair", 2860),
    ("High card", 1277),
)
LOW_A5 = (
    (NO_PAIR, 1287),
    ("One pair", 2860),
    ("Two pair", 858),
    ("Three of a kind", 858),
    ("Full house", 156),
    ("Four of a kind", 156),
)
# Deuce-to-seven: straights and flushes count against the hand and A-5-4-3-2 is ace high.
DEUCE_SEVEN = (
    (NO_PAIR, 1278),
    ("One pair", 2860),
    ("Two pair", 858),
    ("Three of a kind", 858),
    ("Straight", 9),
    ("Flush", 1278),
    ("Full house", 156),
    ("Four of a kind", 156),
    ("Straight flush", 9),
)
TABLES = {
    "high": (HIGH, TABLE_NO_HAND),
    "omaha": (HIGH, WIDE_NO_HAND),
    "short_deck": (SHORT_DECK, TABLE_NO_HAND),
    "low_a5": (LOW_A5, TABLE_NO_HAND),
    "deuce_seven": (DEUCE_SEVEN, TABLE_NO_HAND),
}
KERNELS = ("high", "short_deck", "low_a5", "deuce_seven", "badugi", "omaha")
BADUGI_SIZES = ("Four-card badugi", "Three-card badugi", "Two-card badugi", "One-card badugi")
RANK_WORDS = {
    1: "ace", 2: "two", 3: "three", 4: "four", 5: "five", 6: "six", 7: "seven",
    8: "eight", 9: "nine", 10: "ten", 11: "jack", 12: "queen", 13: "king", 14: "ace",
}  # fmt: skip
RANK_LETTERS = "23456789TJQKA"
SUIT_LETTERS = "cdhs"
FULL_DECK = (1 << 52) - 1


def hand_category(kernel: str, value: int) -> str:
    """The category of a hand from its `score_batch` value under `kernel`: "Full house", "Two
    pair", "Seven-five low", "Wheel", "Three-card badugi", or "No hand" for the kernels' no-hand
    value (65535 for the table kernels, 4294967295 for `omaha` and `badugi`). `omaha` values are
    high hands. Raises ValueError for an unknown kernel or a value the kernel never gives."""
    if kernel == "badugi":
        return _badugi_category(value)
    if kernel not in TABLES:
        raise ValueError(f"no kernel called {kernel!r}; the kernels are {', '.join(KERNELS)}")
    categories, no_hand = TABLES[kernel]
    if value == no_hand:
        return NO_HAND
    start = 0
    for name, count in categories:
        if 0 <= value < start + count:
            return name or _low_name(kernel, value)
        start += count
    raise ValueError(f"{value} is not a value of the {kernel} kernel")


def _low_name(kernel: str, value: int) -> str:
    top, second = _no_pair_lows(kernel)[value]
    if kernel == "low_a5" and top == 5:
        return "Wheel"  # 5-4-3-2-A, the best ace-to-five low
    return f"{RANK_WORDS[top].capitalize()}-{RANK_WORDS[second]} low"


_lows: dict[str, list[tuple[int, int]]] = {}


def _no_pair_lows(kernel: str) -> list[tuple[int, int]]:
    if kernel not in _lows:
        _lows[kernel] = _list_no_pair_lows(kernel)
    return _lows[kernel]


def _list_no_pair_lows(kernel: str) -> list[tuple[int, int]]:
    """The two highest ranks of every no-pair low in value order: hands compared from the highest
    card down, lower first. Ace-to-five counts the ace as 1; deuce-to-seven counts it as 14 and
    leaves out the straights (A-5-4-3-2 is not one there)."""
    if kernel == "low_a5":
        hands = list(combinations(range(1, 14), 5))
    else:
        hands = [hand for hand in combinations(range(2, 15), 5) if hand[4] - hand[0] != 4]
    ordered = sorted(tuple(reversed(hand)) for hand in hands)
    return [(hand[0], hand[1]) for hand in ordered]


def _badugi_category(value: int) -> str:
    if value == WIDE_NO_HAND:
        return NO_HAND
    missing, ranks = divmod(value, 1 << 16) if value >= 0 else (-1, 0)
    digits = [(ranks >> shift) & 15 for shift in (12, 8, 4, 0)]
    size = 4 - missing
    held, padding = digits[:size], digits[size:]
    descending = all(high > low for high, low in pairwise(held))
    if not 1 <= size <= 4 or any(padding) or not descending or not all(1 <= r <= 13 for r in held):
        raise ValueError(f"{value} is not a value of the badugi kernel")
    return BADUGI_SIZES[missing]


def slot_name(mask: int) -> str:
    """How one slot of a hand field reads: a card ("Ah"), a rank alone ("A"), a suit alone ("h"),
    any card ("*"), or, for a mask of the mask form that is none of these, its cards in brackets
    ("[AhKd]"). Bits above the 52 cards are dropped, as the module drops them."""
    mask &= FULL_DECK
    if mask == FULL_DECK:
        return "*"
    if mask.bit_count() == 1:
        return vantor.card_name(mask.bit_length() - 1)
    for rank, letter in enumerate(RANK_LETTERS):
        if mask == 0xF << 4 * rank:
            return letter
    for suit, letter in enumerate(SUIT_LETTERS):
        if mask == sum(1 << (4 * rank + suit) for rank in range(13)):
            return letter
    cards = [vantor.card_name(card) for card in range(52) if mask >> card & 1]
    return "[" + "".join(cards) + "]"


def alternative_name(masks: Sequence[int]) -> str:
    """One alternative's slots as text: "AcKc" when every slot is a card, else the slots apart
    ("A * h"), since "A h" run together would read as the one card Ah."""
    names = [slot_name(mask) for mask in masks]
    if all(len(name) == 2 and not name.startswith("[") for name in names):
        return "".join(names)
    return " ".join(names)


def hands(field: str, slots: int, allow_short: bool = False) -> list[str]:
    """The alternatives a hand field allows, named one by one: `hands("AKs", 2)` is
    `["AcKc", "AdKd", "AhKh", "AsKs"]`. Reads the field as `vantor.parse_hand_field` does (and
    raises its ValueError); each name reads back to the same alternative."""
    return [alternative_name(masks) for masks in vantor.parse_hand_field(field, slots, allow_short)]


def hand_class(hand: int) -> str:
    """The starting-hand class of a two-card hand given as a card mask, as hold'em players name
    it: "QQ" for a pair, "AKs" suited, "AKo" offsuit (the higher rank first)."""
    cards = [card for card in range(52) if hand >> card & 1]
    if len(cards) != 2:
        raise ValueError(f"a starting-hand class is named for two cards, not {len(cards)}")
    low, high = cards
    ranks = RANK_LETTERS[high // 4] + RANK_LETTERS[low // 4]
    if high // 4 == low // 4:
        return ranks
    return ranks + ("s" if high % 4 == low % 4 else "o")

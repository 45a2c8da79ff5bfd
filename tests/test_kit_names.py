"""vantorkit's names against hands the kernels score.

Every five-card rank multiset (and every five distinct ranks suited) is built as a real hand,
scored by `score_batch` and classified here from its cards by the rules of poker. The name of
each score must be the category of its hand, each category must hold as many distinct values as
the combinatorics say, and categories must follow one another without a gap: so every category
boundary is checked on the real hands just either side of it.
"""

import itertools
import math
from collections import Counter, defaultdict

import pytest

import vantor
import vantorkit

RANKS = "23456789TJQKA"
SUITS = "cdhs"
C = math.comb

# Distinct values per category, counted from first principles: a category of one rank shape has
# as many values as ways to pick its ranks in order of importance (quads: 13 ranks x 12 kickers).
HIGH_COUNTS = {
    "Straight flush": 10,
    "Four of a kind": 13 * 12,
    "Full house": 13 * 12,
    "Flush": C(13, 5) - 10,
    "Straight": 10,
    "Three of a kind": 13 * C(12, 2),
    "Two pair": C(13, 2) * 11,
    "One pair": 13 * C(12, 3),
    "High card": C(13, 5) - 10,
}
HIGH_ORDER = list(HIGH_COUNTS)
# Short deck: the ten straight patterns are A-K-Q-J-T ... 6-5-4-3-2 (nine values) plus A-9-8-7-6,
# which ties with 9-8-7-6-5; A-5-4-3-2 is no straight. A flush beats a full house.
SHORT_COUNTS = {**HIGH_COUNTS, "Straight flush": 9, "Straight": 9}
SHORT_ORDER = [
    "Straight flush", "Four of a kind", "Flush", "Full house", "Straight",
    "Three of a kind", "Two pair", "One pair", "High card",
]  # fmt: skip
LOW_A5_ORDER = [
    "no pair",
    "One pair",
    "Two pair",
    "Three of a kind",
    "Full house",
    "Four of a kind",
]
LOW_A5_COUNTS = {
    "no pair": C(13, 5),
    "One pair": 13 * C(12, 3),
    "Two pair": C(13, 2) * 11,
    "Three of a kind": 13 * C(12, 2),
    "Full house": 13 * 12,
    "Four of a kind": 13 * 12,
}
DEUCE_SEVEN_ORDER = [
    "no pair", "One pair", "Two pair", "Three of a kind", "Straight", "Flush", "Full house",
    "Four of a kind", "Straight flush",
]  # fmt: skip
# Deuce-to-seven: nine straights (A-5-4-3-2 is ace high there), so 1287 - 9 of each plain kind.
DEUCE_SEVEN_COUNTS = {
    **HIGH_COUNTS,
    "no pair": C(13, 5) - 9,
    "Flush": C(13, 5) - 9,
    "Straight": 9,
    "Straight flush": 9,
}
WORDS = ["two", "three", "four", "five", "six", "seven", "eight", "nine", "ten", "jack",
         "queen", "king", "ace"]  # fmt: skip


def five_card_hands():
    """(ranks high to low as indices 0..12, suited) for every rank multiset of five cards, and
    for every five distinct ranks once more, suited."""
    for ranks in itertools.combinations_with_replacement(range(13), 5):
        if max(Counter(ranks).values()) > 4:
            continue
        ranks = tuple(sorted(ranks, reverse=True))
        yield ranks, False
        if len(set(ranks)) == 5:
            yield ranks, True


def cards_of(ranks, suited):
    """Real cards with these ranks: all one suit, or suits that never make a flush."""
    if suited:
        return "".join(RANKS[r] + "h" for r in ranks)
    seen = Counter()
    text = ""
    for position, rank in enumerate(ranks):
        suit = position % 4 if len(set(ranks)) == 5 else seen[rank]
        seen[rank] += 1
        text += RANKS[rank] + SUITS[suit]
    return text


def is_straight(ranks, wheel):
    distinct = sorted(set(ranks))
    if len(distinct) != 5:
        return False
    return distinct[4] - distinct[0] == 4 or (wheel and distinct == [0, 1, 2, 3, 12])


def shape(ranks):
    counts = sorted(Counter(ranks).values(), reverse=True)
    return {
        (4, 1): "Four of a kind",
        (3, 2): "Full house",
        (3, 1, 1): "Three of a kind",
        (2, 2, 1): "Two pair",
        (2, 1, 1, 1): "One pair",
    }.get(tuple(counts), "no pair")


def high_category(ranks, suited, short=False):
    straight = is_straight(ranks, wheel=not short) or (short and sorted(ranks) == [4, 5, 6, 7, 12])
    if straight and suited:
        return "Straight flush"
    kind = shape(ranks)
    if kind in ("Four of a kind", "Full house", "Three of a kind", "Two pair", "One pair"):
        if suited:
            raise AssertionError("a suited hand has five distinct ranks")
        return kind
    if suited:
        return "Flush"
    return "Straight" if straight else "High card"


def low_name(ranks, ace_low):
    """A no-pair low named by its two highest cards, as players say it."""
    values = sorted(((r + 1) % 13 if ace_low else r for r in ranks), reverse=True)
    words = [WORDS[(v - 1) % 13] if ace_low else WORDS[v] for v in values]
    if ace_low and values == [4, 3, 2, 1, 0]:
        return "Wheel"
    return f"{words[0].capitalize()}-{words[1]} low"


def deuce_seven_category(ranks, suited):
    straight = is_straight(ranks, wheel=False)
    if suited:
        return "Straight flush" if straight else "Flush"
    if straight:
        return "Straight"
    return shape(ranks)


KERNELS = {
    # kernel: (category of a hand, order of categories, distinct values per category, name of
    # a hand when its category is "no pair")
    "high": (high_category, HIGH_ORDER, HIGH_COUNTS, None),
    "short_deck": (lambda r, s: high_category(r, s, short=True), SHORT_ORDER, SHORT_COUNTS, None),
    "low_a5": (lambda r, s: shape(r), LOW_A5_ORDER, LOW_A5_COUNTS, True),
    "deuce_seven": (deuce_seven_category, DEUCE_SEVEN_ORDER, DEUCE_SEVEN_COUNTS, False),
}


@pytest.fixture(scope="module")
def scored():
    hands = list(five_card_hands())
    texts = [cards_of(ranks, suited) for ranks, suited in hands]
    return {
        kernel: list(zip(hands, texts, vantor.score_batch(kernel, texts))) for kernel in KERNELS
    }


@pytest.mark.parametrize("kernel", KERNELS)
def test_every_five_card_hand_is_named_by_its_category(kernel, scored):
    categorise, _, _, ace_low = KERNELS[kernel]
    for (ranks, suited), text, value in scored[kernel]:
        category = categorise(ranks, suited)
        expected = low_name(ranks, ace_low) if category == "no pair" else category
        assert vantorkit.hand_category(kernel, value) == expected, (text, value)


@pytest.mark.parametrize("kernel", KERNELS)
def test_categories_are_consecutive_ranges_of_the_counted_sizes(kernel, scored):
    categorise, order, counts, _ = KERNELS[kernel]
    values = defaultdict(set)
    for (ranks, suited), _, value in scored[kernel]:
        values[categorise(ranks, suited)].add(value)
    start = 0
    for category in order:
        found = values[category]
        assert len(found) == counts[category], category
        # The best hand of the category sits right after the worst of the one before it.
        assert min(found) == start and max(found) == start + counts[category] - 1, category
        start += counts[category]
    assert start == sum(counts[category] for category in order)
    with pytest.raises(ValueError, match="is not a value of the"):
        vantorkit.hand_category(kernel, start)


def test_seven_card_hands_take_the_best_five():
    hands = ["AhKhQsQd2c7d9s", "AhAdAcKsKd2c3h", "2h3h4h5h7h8c9d", "Ah2d3c4s5h9c9d"]
    values = vantor.score_batch("high", hands)
    names = [vantorkit.hand_category("high", value) for value in values]
    assert names == ["One pair", "Full house", "Flush", "Straight"]
    (razz,) = vantor.score_batch("low_a5", ["Ah2d3c4s5hKcKd"])
    assert vantorkit.hand_category("low_a5", razz) == "Wheel"


def boundary_hands(scored):
    """For every category boundary of `high`, the real five-card hands either side of it."""
    categories = {value: high_category(r, s) for (r, s), _, value in scored["high"]}
    texts = {value: text for _, text, value in scored["high"]}
    values = sorted(categories)
    for a, b in itertools.pairwise(values):
        if categories[a] != categories[b]:
            yield from ((texts[a], categories[a]), (texts[b], categories[b]))


def test_omaha_values_are_named_as_high_hands(scored):
    # An Omaha hand plays exactly two hole cards and three of the board. Each boundary hand is
    # dealt as two of its cards in the hole with two other cards, and its other three on the
    # board; some such deal keeps it the best hand there is, and that deal's value is named.
    deck = [r + s for r in RANKS for s in SUITS]
    checked = 0
    for text, category in boundary_hands(scored):
        cards = [text[i : i + 2] for i in range(0, 10, 2)]
        (high,) = vantor.score_batch("high", [text])
        deals = [
            "".join(hole) + "".join(filler) + "".join(c for c in cards if c not in hole)
            for hole in itertools.combinations(cards, 2)
            for filler in itertools.combinations([c for c in deck if c not in cards], 2)
        ]
        values = vantor.score_batch("omaha", deals)
        assert high in values, text
        assert vantorkit.hand_category("omaha", high) == category, deals[values.index(high)]
        checked += 1
    assert checked == 2 * (len(HIGH_ORDER) - 1)
    (short,) = vantor.score_batch("omaha", ["AhKh2c"])
    assert vantorkit.hand_category("omaha", short) == "No hand"


def badugi_size(hand):
    cards = [hand[i : i + 2] for i in range(0, len(hand), 2)]
    for size in range(len(cards), 0, -1):
        for subset in itertools.combinations(cards, size):
            if len({c[0] for c in subset}) == size and len({c[1] for c in subset}) == size:
                return size
    return 0


def test_badugi_sizes_on_every_hand_of_eight_ranks():
    # Every four-card hand of the ranks A, 2, 3, 4, T, J, Q, K: the best and worst hands of every
    # size are among them, so each size's range and its neighbours' meet on real hands.
    deck = [r + s for r in "A234TJQK" for s in SUITS]
    hands = ["".join(cards) for cards in itertools.combinations(deck, 4)]
    values = vantor.score_batch("badugi", hands)
    names = ["", "One-card badugi", "Two-card badugi", "Three-card badugi", "Four-card badugi"]
    ranges = defaultdict(list)
    for hand, value in zip(hands, values):
        size = badugi_size(hand)
        assert vantorkit.hand_category("badugi", value) == names[size], hand
        ranges[size].append(value)
    # Every hand of a size beats every hand of a smaller size.
    for size in (4, 3, 2):
        assert max(ranges[size]) < min(ranges[size - 1])
    assert vantorkit.hand_category("badugi", 4294967295) == "No hand"
    (none,) = vantor.score_batch("badugi", [""])
    assert vantorkit.hand_category("badugi", none) == "No hand"


@pytest.mark.parametrize(
    "kernel, value",
    [("high", 7462), ("high", -1), ("short_deck", 7460), ("low_a5", 6175), ("deuce_seven", 7462),
     ("omaha", 65535), ("badugi", 0), ("badugi", 0x44321), ("badugi", 0x1234), ("badugi", 0xE321),
     ("badugi", 4 << 16)],
)  # fmt: skip
def test_values_no_kernel_gives_are_refused(kernel, value):
    with pytest.raises(ValueError, match="is not a value of the"):
        vantorkit.hand_category(kernel, value)


def test_unknown_kernels_are_refused():
    with pytest.raises(ValueError, match="no kernel called 'razz'"):
        vantorkit.hand_category("razz", 0)


def test_table_kernels_name_their_no_hand_value():
    (short,) = vantor.score_batch("high", ["AhKh"])
    assert short == 65535 and vantorkit.hand_category("high", short) == "No hand"


class TestHands:
    @pytest.mark.parametrize(
        "field, slots, short",
        [("AKs", 2, False), ("AhKh, QsQd", 2, False), ("TT+, KQs-T9s, A5s+", 2, False),
         ("A* h", 3, False), ("AA**", 4, False), ("K******", 7, False), ("Ah", 7, True),
         ("c d h s", 4, False), ("**, 7h2c", 2, False), ("As Ks Qs Js Ts 9s", 6, False)],
    )  # fmt: skip
    def test_each_name_reads_back_to_its_alternative(self, field, slots, short):
        alternatives = vantor.parse_hand_field(field, slots, short)
        names = vantorkit.hands(field, slots, short)
        assert len(names) == len(alternatives)
        for name, alternative in zip(names, alternatives):
            assert vantor.parse_hand_field(name, slots, short) == [alternative], name

    def test_cards_run_together_and_other_slots_stand_apart(self):
        assert vantorkit.hands("AKs", 2) == ["AcKc", "AdKd", "AhKh", "AsKs"]
        assert vantorkit.hands("A* h", 3) == ["A * h"]
        assert vantorkit.hands("QQ", 2)[0] == "QcQd"

    def test_masks_of_the_mask_form_are_named_by_their_cards(self):
        ace_king = (1 << vantor.card_index("Ah")) | (1 << vantor.card_index("Kd"))
        assert vantorkit.slot_name(ace_king) == "[KdAh]"
        assert vantorkit.slot_name(vantor.full_deck() | 1 << 60) == "*"
        assert vantorkit.slot_name(0) == "[]"
        assert vantorkit.alternative_name([ace_king, 1]) == "[KdAh] 2c"

    def test_errors_are_the_modules(self):
        with pytest.raises(ValueError, match="is not a rank, a suit"):
            vantorkit.hands("AhKx", 2)

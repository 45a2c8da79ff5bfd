"""The text notation: hand fields (exact cards, wildcards, alternatives, ranges) and dead cards,
with their errors in the pointer form."""

import pytest

import vantor

RANKS = "23456789TJQKA"
SUITS = "cdhs"
FULL = (1 << 52) - 1


def index(name):
    return RANKS.index(name[0].upper()) * 4 + SUITS.index(name[1].lower())


def bit(name):
    return 1 << index(name)


def any_rank(rank):
    return sum(1 << (RANKS.index(rank) * 4 + s) for s in range(4))


def any_suit(suit):
    return sum(1 << (r * 4 + SUITS.index(suit)) for r in range(13))


def pointer(text, position, span, message):
    """The pointer form, built from the documented layout."""
    return f"{text}\n{' ' * position}{'^' * max(span, 1)}\n{message}"


def byte_offset(text, characters):
    return len(text[:characters].encode("utf-8"))


def raises_pointing(call, text, position, span, message):
    with pytest.raises(ValueError) as raised:
        call()
    assert str(raised.value) == pointer(text, position, span, message)


COUNT = "this game deals {} {}, but {} {} written"
WILDCARD = (
    ": '*' is always exactly one card and never binds to the rank before it, so 'A*' is "
    "two cards, not one"
)
NOTHING = "nothing to read here"
TWO_CARDS = "ranges are only written where a hand holds two cards"
PERCENT = "percentage ranges need a hand-strength ordering this library does not define"
SUITED_PAIR = "a pair cannot be suited or offsuit"
UNEVEN = "both ends of a range must share the same gap"
DEAD_EXACT = "a dead card must name one card, since every reading changes the answer"


def bad(character):
    return f"'{character}' is not a rank, a suit, or '*'"


def count(slots, written):
    return COUNT.format(
        slots, "card" if slots == 1 else "cards", written, "was" if written == 1 else "were"
    )


class TestExactCards:
    @pytest.mark.parametrize(
        "text, slots, allow_short, expected",
        [
            ("AhKh", 2, False, [[bit("Ah"), bit("Kh")]]),
            ("ahKH", 2, False, [[bit("Ah"), bit("Kh")]]),
            ("Ah", 2, True, [[bit("Ah")]]),
            ("Ah, Ah", 1, False, [[bit("Ah")], [bit("Ah")]]),
            ("Ah, KsKd", 2, True, [[bit("Ah")], [bit("Ks"), bit("Kd")]]),
            (" As Kd , 2c2d ", 2, False, [[bit("As"), bit("Kd")], [bit("2c"), bit("2d")]]),
            (
                "AhKh\u3000,\u00a0QsQd\u2029",
                2,
                False,
                [[bit("Ah"), bit("Kh")], [bit("Qs"), bit("Qd")]],
            ),
            ("AhKh2c", 7, True, [[bit("Ah"), bit("Kh"), bit("2c")]]),
            ("AhKhQhJhTh", 5, False, [[bit(c) for c in ("Ah", "Kh", "Qh", "Jh", "Th")]]),
        ],
    )
    def test_reads(self, text, slots, allow_short, expected):
        assert vantor.parse_hand_field(text, slots, allow_short) == expected

    def test_strict_is_the_default(self):
        with pytest.raises(ValueError):
            vantor.parse_hand_field("Ah", 2)


class TestWildcards:
    @pytest.mark.parametrize(
        "text, slots, allow_short, expected",
        [
            ("A*", 2, False, [[any_rank("A"), FULL]]),
            ("*", 1, False, [[FULL]]),
            ("**", 2, False, [[FULL, FULL]]),
            ("A h", 2, False, [[any_rank("A"), any_suit("h")]]),
            ("hA", 2, False, [[any_suit("h"), any_rank("A")]]),
            ("AA", 4, True, [[any_rank("A"), any_rank("A")]]),
            ("AKs", 4, True, [[any_rank("A"), bit("Ks")]]),
            ("Ah *", 2, False, [[bit("Ah"), FULL]]),
            ("Ah A", 2, False, [[bit("Ah"), any_rank("A")]]),
            ("S, 9 *", 2, True, [[any_suit("s")], [any_rank("9"), FULL]]),
        ],
    )
    def test_reads(self, text, slots, allow_short, expected):
        assert vantor.parse_hand_field(text, slots, allow_short) == expected


class TestRanges:
    @pytest.mark.parametrize(
        "text, size",
        [
            ("AK", 16),
            ("AKs", 4),
            ("AKo", 12),
            ("QQ", 6),
            ("TT+", 30),
            ("22+", 78),
            ("AT+", 64),
            ("AKo+", 12),
            ("KQs-76s", 28),
            ("22-55", 24),
            ("ka", 16),
            ("aks", 4),
            ("AKS", 4),
        ],
    )
    def test_sizes(self, text, size):
        assert len(vantor.parse_hand_field(text, 2)) == size

    def test_ak_runs_from_clubs_to_spades_high_card_first(self):
        alternatives = vantor.parse_hand_field("AK", 2)
        assert alternatives[0] == [bit("Ac"), bit("Kc")]
        assert alternatives[-1] == [bit("As"), bit("Ks")]

    def test_dash_ranges_read_the_same_either_way_round(self):
        assert vantor.parse_hand_field("76s-KQs", 2) == vantor.parse_hand_field("KQs-76s", 2)

    def test_ranges_mix_with_exact_alternatives(self):
        assert vantor.parse_hand_field("AhKh, QQ, 22", 2) == (
            [[bit("Ah"), bit("Kh")]]
            + vantor.parse_hand_field("QQ", 2)
            + vantor.parse_hand_field("22", 2)
        )

    def test_a_range_has_no_count_check_even_in_the_short_reading(self):
        assert len(vantor.parse_hand_field("AKs", 2, True)) == 4


# Every two-card combination as (first, second) card indices, the first card being the higher
# rank, or for a pair the lower suit.
COMBOS = [
    (a, b)
    for a in range(52)
    for b in range(52)
    if a // 4 > b // 4 or (a // 4 == b // 4 and a % 4 < b % 4)
]
assert len(COMBOS) == 1326


def brute_force(allows):
    """The combinations a predicate over (high rank, low rank, suited) allows, in the documented
    order: by high rank, then low rank, then the first card's suit, then the second's."""
    chosen = [(a, b) for a, b in COMBOS if allows(a // 4, b // 4, a % 4 == b % 4)]
    chosen.sort(key=lambda ab: (ab[0] // 4, ab[1] // 4, ab[0] % 4, ab[1] % 4))
    return [[1 << a, 1 << b] for a, b in chosen]


def fits(marker, suited):
    return marker == "" or (marker == "s") == suited


def class_text(high, low, marker):
    return RANKS[high] + RANKS[low] + marker


CLASSES = [
    (high, low, marker)
    for high in range(13)
    for low in range(high + 1)
    for marker in ([""] if high == low else ["", "s", "o"])
]
assert len(CLASSES) == 13 + 78 * 3


class TestRangeExpansionAgainstBruteForce:
    """Every class, every '+' form and every '-' form over all ranks, against a listing of the
    1326 combinations filtered by what the form means."""

    def test_single_classes(self):
        for high, low, marker in CLASSES:
            expected = brute_force(lambda h, l, s: (h, l) == (high, low) and fits(marker, s))
            for text in (class_text(high, low, marker), class_text(low, high, marker).lower()):
                assert vantor.parse_hand_field(text, 2) == expected, text

    def test_plus_forms(self):
        for high, low, marker in CLASSES:
            if high == low:

                def allows(h, l, s):
                    return h == l and h >= high
            else:

                def allows(h, l, s):
                    return h == high and low <= l < high and fits(marker, s)

            expected = brute_force(allows)
            for text in (class_text(high, low, marker), class_text(low, high, marker).lower()):
                assert vantor.parse_hand_field(text + "+", 2) == expected, text

    def test_dash_forms(self):
        checked = 0
        for gap in range(13):
            for marker in [""] if gap == 0 else ["", "s", "o"]:
                for first in range(gap, 13):
                    for second in range(gap, 13):
                        bottom, top = min(first, second), max(first, second)
                        expected = brute_force(
                            lambda h, l, s: h - l == gap and bottom <= h <= top and fits(marker, s)
                        )
                        text = (
                            class_text(first, first - gap, marker)
                            + "-"
                            + class_text(second, second - gap, marker)
                        )
                        assert vantor.parse_hand_field(text, 2) == expected, text
                        checked += 1
        assert checked == 13 * 13 + 3 * sum(n * n for n in range(1, 13))


HAND_ERRORS = [
    # text, slots, allow_short, message, position, span
    ("", 2, False, NOTHING, 0, 0),
    ("AhKh,", 2, False, NOTHING, 5, 0),
    ("   ", 2, False, NOTHING, 3, 0),
    ("AhKh,,QsQd", 2, False, NOTHING, 5, 0),
    ("AhKh, \t,QsQd", 2, True, NOTHING, 7, 0),
    ("AhXh", 2, False, bad("X"), 2, 1),
    ("1h", 2, False, bad("1"), 0, 1),
    ("10h", 1, True, bad("1"), 0, 1),
    ("AhKh, Qs!", 2, False, bad("!"), 8, 1),
    ("AhAh", 2, False, "Ah is named twice in one hand", 2, 2),
    ("ahAH", 2, False, "Ah is named twice in one hand", 2, 2),
    ("Ah Kh ah", 5, True, "Ah is named twice in one hand", 6, 2),
    ("AA", 4, False, count(4, 2), 0, 2),
    ("AKs", 4, False, count(4, 2), 0, 3),
    ("Ah", 2, False, count(2, 1), 0, 2),
    ("  Ah  ", 2, False, count(2, 1), 2, 2),
    ("AhKhQh", 2, False, count(2, 3), 0, 6),
    ("AhKh, Qs", 2, False, count(2, 1), 6, 2),
    ("AhKh2c3c4c5c", 5, True, count(5, 6), 0, 12),
    ("Ah", 0, True, count(0, 1), 0, 2),
    ("Ah", 0, False, count(0, 1), 0, 2),
    ("A*", 1, False, count(1, 2) + WILDCARD, 0, 2),
    ("Ah, Kh*", 1, True, count(1, 2) + WILDCARD, 4, 3),
    ("*", 2, False, count(2, 1) + WILDCARD, 0, 1),
    ("TT+", 4, False, TWO_CARDS, 0, 3),
    ("AhKhQhJh, 2-5", 4, False, TWO_CARDS, 10, 3),
    ("AKs%", 4, False, TWO_CARDS, 0, 4),
    ("10%", 4, False, TWO_CARDS, 0, 3),
    ("AKs%", 2, False, PERCENT, 0, 4),
    ("10%", 2, False, PERCENT, 0, 3),
    ("AK, 5 %", 2, True, PERCENT, 4, 3),
    ("TTs", 2, False, SUITED_PAIR, 0, 3),
    ("TTo+", 2, False, SUITED_PAIR, 0, 4),
    ("TTs-JJs", 2, False, SUITED_PAIR, 0, 7),
    ("AKs-QJo", 2, False, UNEVEN, 0, 7),
    ("A2s-A5s", 2, False, UNEVEN, 0, 7),
    ("22-AK", 2, False, UNEVEN, 0, 5),
    ("A-K", 2, False, bad("-"), 1, 1),
    ("AK-", 2, False, bad("-"), 2, 1),
    ("TT++", 2, False, bad("+"), 2, 1),
]


class TestHandFieldErrors:
    @pytest.mark.parametrize("text, slots, allow_short, message, position, span", HAND_ERRORS)
    def test_pointer_form(self, text, slots, allow_short, message, position, span):
        raises_pointing(
            lambda: vantor.parse_hand_field(text, slots, allow_short), text, position, span, message
        )

    def test_the_first_failing_piece_wins(self):
        raises_pointing(
            lambda: vantor.parse_hand_field("Ax, TTs, ", 2), "Ax, TTs, ", 1, 1, bad("x")
        )


# Pointers under text with characters outside ASCII: (text, index of the first character of
# the offending stretch, its length in characters, message).
NON_ASCII = [
    ("\u00e9", 0, 1, bad("\u00e9")),
    ("Ah\u20acKh", 2, 1, bad("\u20ac")),
    ("\U0001f0a1Ah", 0, 1, bad("\U0001f0a1")),
    ("\u00e9\u00e9, Ah", 0, 1, bad("\u00e9")),
    ("\u3000AhKh,\u3000", 7, 0, NOTHING),
    ("\u00a0Ah\u00a0", 1, 2, count(2, 1)),
    ("AhKh, \u00a0\u2003AhAh", 10, 2, "Ah is named twice in one hand"),
    ("\u2028AKs%", 1, 4, PERCENT),
]


class TestPointerLinesUnderNonAscii:
    @pytest.mark.parametrize("text, first, length, message", NON_ASCII)
    def test_pointer_counts_bytes(self, text, first, length, message):
        position = byte_offset(text, first)
        span = byte_offset(text, first + length) - position
        raises_pointing(lambda: vantor.parse_hand_field(text, 2), text, position, span, message)

    def test_a_nul_character_is_shown_whole(self):
        raises_pointing(lambda: vantor.parse_dead_cards("Ah\x00Kh"), "Ah\x00Kh", 2, 1, bad("\x00"))

    def test_a_line_break_before_the_error_stays_in_the_first_line(self):
        # The first line is the text exactly as received, even where it is several lines.
        raises_pointing(lambda: vantor.parse_hand_field("Ah\nKx", 2), "Ah\nKx", 4, 1, bad("x"))


class TestDeadCards:
    @pytest.mark.parametrize(
        "text, expected",
        [
            ("", 0),
            ("   ", 0),
            ("Ah Kh", 1196268651020288),
            ("AhKh", bit("Ah") | bit("Kh")),
            ("Ah  Ah", 1 << 50),
            ("\u3000ah\u00a0kh\n2C ", bit("Ah") | bit("Kh") | bit("2c")),
        ],
    )
    def test_reads(self, text, expected):
        assert vantor.parse_dead_cards(text) == expected

    @pytest.mark.parametrize(
        "text, message, position, span",
        [
            ("A", DEAD_EXACT, 0, 1),
            ("2c A", DEAD_EXACT, 3, 1),
            ("2c AhK", DEAD_EXACT, 3, 3),
            ("*", DEAD_EXACT, 0, 1),
            ("h", DEAD_EXACT, 0, 1),
            ("\u00a0A", DEAD_EXACT, 2, 1),
            ("AhAh", "Ah is named twice in one hand", 2, 2),
            ("Ah,Kh", bad(","), 2, 1),
            ("Kx", bad("x"), 1, 1),
        ],
    )
    def test_errors(self, text, message, position, span):
        raises_pointing(lambda: vantor.parse_dead_cards(text), text, position, span, message)

    def test_the_whole_mask_fits_the_deck(self):
        every_card = " ".join(r + s for r in RANKS for s in SUITS)
        assert vantor.parse_dead_cards(every_card) == vantor.full_deck()

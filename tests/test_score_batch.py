"""score_batch: the ranking kernels, as an outside evaluator sees them."""

import random
import re

import pytest

import vantor
from quoting import quoted

NO_HAND = 65535
NO_HAND_32 = 4294967295
KERNELS = ["high", "omaha", "low_a5", "badugi", "short_deck", "deuce_seven"]
DECK = [rank + suit for rank in "23456789TJQKA" for suit in "cdhs"]

# Documented values: the telling rows of each kernel.
TELLING_ROWS = [
    ("high", "AhKhQhJhTh", 0),
    ("high", "5h4h3h2hAh", 9),
    ("high", "AsAhAdAcKs", 10),
    ("high", "AhKhQhJh9h", 322),
    ("high", "AhKdQcJsTh", 1599),
    ("high", "5h4d3c2sAh", 1608),
    ("high", "7h5d4c3s2h", 7461),
    ("high", "AhKhQsQd2c7d9s", 3767),
    ("short_deck", "Ac9d8h7s6c", 1603),
    ("short_deck", "9c8d7h6s5c", 1603),
    ("short_deck", "AcAdAhKsKc", 1442),
    ("low_a5", "Ah2h3h4h5h", 0),
    ("low_a5", "6c4d3h2sAc", 1),
    ("low_a5", "6c5d4h3s2c", 5),
    ("low_a5", "8c7d6h5s4c", 55),
    ("low_a5", "9c4d3h2sAc", 56),
    ("low_a5", "9c5d4h3s2c", 60),
    ("low_a5", "AcAd4h3s2c", 1287),
    ("low_a5", "KcKdKhKsQc", 6174),
    ("low_a5", "Ah2c3d4s5h7c8d", 0),
    ("deuce_seven", "7c5d4h3s2c", 0),
    ("deuce_seven", "7c6d4h3s2c", 1),
    ("deuce_seven", "Ac5d4h3s2c", 784),
    ("deuce_seven", "6c5d4h3s2c", 5854),
    ("deuce_seven", "AcKdQhJsTc", 5862),
    ("deuce_seven", "7h5h4h3h2h", 5863),
    ("deuce_seven", "AhKhQhJhTh", 7461),
    ("badugi", "Ac2d3h4s", 17185),
    ("badugi", "KsQhJdTc", 56506),
    ("badugi", "Ac2d3h", 78352),
    ("badugi", "Ks", 249856),
    ("badugi", "AcAd", 65536 * 3 + 4096),
    ("omaha", "AhKd2c3cQhJhTh9h8c", 1599),
    ("omaha", "AhKh2c3cQhJhTh9h8c", 0),
]


class TestValues:
    @pytest.mark.parametrize("kernel, hand, value", TELLING_ROWS)
    def test_telling_rows(self, kernel, hand, value):
        assert vantor.score_batch(kernel, [hand]) == [value]

    def test_rank_categories_keep_their_order(self):
        straight, three, flush, full = vantor.score_batch(
            "deuce_seven", ["6c5d4h3s2c", "2c2d2h5s7c", "7h5h4h3h2h", "2c2d2h3s3c"]
        )
        assert three < straight < flush < full
        assert vantor.score_batch("short_deck", ["AhKhQhJh9h"])[0] < 1442

    @pytest.mark.parametrize("kernel", ["high", "short_deck", "low_a5", "deuce_seven"])
    @pytest.mark.parametrize("hand", ["", "AhKhQhJh", "AhKhQhJhTh9h8h7h"])
    def test_table_kernels_take_five_to_seven_cards(self, kernel, hand):
        assert vantor.score_batch(kernel, [hand]) == [NO_HAND]

    def test_omaha_needs_four_plus_three_to_five(self):
        rows = ["AhKd2c", "AhKd2cQhJhTh9h8c7c6c", "AhKdQhJhTh"]
        assert vantor.score_batch("omaha", rows) == [NO_HAND_32] * 3

    def test_badugi_takes_any_number_of_cards(self):
        assert vantor.score_batch("badugi", ["", "".join(DECK), "".join(DECK) * 2]) == [
            NO_HAND_32,
            17185,
            17185,
        ]

    @pytest.mark.parametrize(
        "kernel, no_hand", [("high", NO_HAND), ("low_a5", NO_HAND), ("omaha", NO_HAND_32)]
    )
    def test_five_of_a_rank_is_outside_every_table(self, kernel, no_hand):
        hand = "AhAhAhAhAh" + ("Kd" if kernel != "omaha" else "KdQc")
        assert vantor.score_batch(kernel, [hand]) == [no_hand]

    def test_spelling_of_cards_does_not_matter(self):
        plain, spaced, lower = vantor.score_batch(
            "high", ["AhKhQsQd2c7d9s", " Ah Kh\tQs Qd\u30002c 7d 9s ", "ahkhqsqd2C7D9S"]
        )
        assert plain == spaced == lower == 3767


class TestBatches:
    def test_empty_batch(self):
        assert vantor.score_batch("high", []) == []

    def test_values_follow_input_order_in_any_sequence(self):
        hands = ["7h5d4c3s2h", "AhKhQhJhTh", "AhKhQsQd2c7d9s"]
        assert vantor.score_batch("high", hands) == [7461, 0, 3767]
        assert vantor.score_batch("high", tuple(hands)) == [7461, 0, 3767]

        class Reversed(list):
            def __getitem__(self, index):
                return list.__getitem__(self, len(self) - 1 - index)

        assert vantor.score_batch("high", Reversed(hands)) == [3767, 0, 7461]

    @pytest.mark.parametrize("kernel", KERNELS)
    def test_a_big_batch_agrees_with_small_ones(self, kernel):
        # Big batches share their int objects; the values must not change with batch size.
        rng = random.Random(kernel)
        size = 4 if kernel == "badugi" else 9 if kernel == "omaha" else 7
        hands = ["".join(rng.sample(DECK, size)) for _ in range(300_000)]
        big = vantor.score_batch(kernel, hands)
        assert len(big) == len(hands)
        assert all(type(value) is int for value in big[:100])
        for start in range(0, len(hands), 50_000):
            assert (
                vantor.score_batch(kernel, hands[start : start + 997]) == big[start : start + 997]
            )

    def test_seven_card_values_are_the_best_five(self):
        rng = random.Random(1)
        for _ in range(300):
            cards = rng.sample(DECK, 7)
            fives = [
                "".join(cards[:i] + cards[i + 1 : j] + cards[j + 1 :])
                for i in range(7)
                for j in range(i + 1, 7)
            ]
            assert vantor.score_batch("high", ["".join(cards)]) == [
                min(vantor.score_batch("high", fives))
            ]


class TestErrors:
    @pytest.mark.parametrize("name", ["High", "hi", "", "omaha ", "low-a5", 'x"y', "a\nb"])
    def test_unknown_kernel(self, name):
        with pytest.raises(ValueError, match=f"^{re.escape('no kernel called ' + quoted(name))}$"):
            vantor.score_batch(name, ["AhKhQhJhTh"])

    @pytest.mark.parametrize(
        "hand, message",
        [
            ("AhKhQ", "Uneven number of chars"),
            ("AhKh1c", "Invalid rank character: 1"),
            ("AhKx", "Invalid suit character: x"),
            ("Ah*h", "Invalid rank character: *"),
            ("Ah\u00e9h", "Invalid rank character: \u00e9"),
        ],
    )
    def test_unreadable_hand(self, hand, message):
        with pytest.raises(ValueError, match=f"^{re.escape(message)}$"):
            vantor.score_batch("high", ["AhKhQhJhTh", hand, "AhKx", "AhKhQ"])

    def test_checks_run_in_order(self):
        # A non-str item is a conversion error and comes before a bad kernel name, which
        # comes before an unreadable hand, wherever they stand in the batch.
        with pytest.raises(TypeError):
            vantor.score_batch("nope", ["Ah1h", 7])
        with pytest.raises(ValueError, match=r"^no kernel called"):
            vantor.score_batch("nope", ["Ah1h", "AhKhQhJhTh"])
        with pytest.raises(TypeError, match="Can't extract `str` to `Vec`"):
            vantor.score_batch("high", "AhKhQhJhTh")

"""The kit's hand fields: weights after a piece, fixed-top spans, and everything else exactly as
the module reads it. Each reading is held against the module's own reading of the same hands
written without the kit's additions."""

import re

import pytest

import vantor
import vantorkit
from vantorkit.fields import NotationError, read_hand_field


def module_hands(text, slots=2, allow_short=False):
    return [tuple(hand) for hand in vantor.parse_hand_field(text, slots, allow_short)]


class TestWeights:
    @pytest.mark.parametrize(
        "field, pieces",
        [
            ("AA,KK:0.5,AKs:0.25,QQ-TT:0.75",
             [("AA", 1.0), ("KK", 0.5), ("AKs", 0.25), ("QQ-TT", 0.75)]),
            ("KK:50%, AKo:12.5%", [("KK", 0.5), ("AKo", 0.125)]),
            ("QQ: .25 , JJ:1", [("QQ", 0.25), ("JJ", 1.0)]),
            ("AhKh:1.0, ** : 100%", [("AhKh", 1.0), ("**", 1.0)]),
            ("A5s-A2s:0.4", [("A2s, A3s, A4s, A5s", 0.4)]),
        ],
    )  # fmt: skip
    def test_a_weight_applies_to_every_hand_of_its_piece(self, field, pieces):
        read = read_hand_field(field, 2)
        expected = [(hand, weight) for text, weight in pieces for hand in module_hands(text)]
        assert list(zip(read.alternatives, read.weights)) == expected
        assert not read.as_written

    def test_weight_zero_removes_the_piece(self):
        read = read_hand_field("AA, KK:0, QQ:0%", 2)
        assert read.alternatives == tuple(module_hands("AA"))

    def test_any_game_takes_a_weight_on_any_alternative(self):
        read = read_hand_field("A*K*:0.5, AA**", 4)
        assert list(zip(read.alternatives, read.weights)) == [
            (module_hands("A*K*", 4)[0], 0.5),
            (module_hands("AA**", 4)[0], 1.0),
        ]
        short = read_hand_field("7c5d4h:0.3", 5, allow_short=True)
        assert short.alternatives == tuple(module_hands("7c5d4h", 5, True))

    def test_a_field_without_weights_or_spans_is_the_modules(self):
        for field, slots in [("QQ+, AKs, KQs-76s", 2), ("A* h", 3), ("AhKh , QsQd", 2)]:
            read = read_hand_field(field, slots)
            assert read.as_written and set(read.weights) == {1.0}
            assert list(read.alternatives) == module_hands(field, slots)

    @pytest.mark.parametrize(
        "field, message, position, span",
        [
            ("AKs:1.5", "a weight is at most 1, not 1.5; for a percentage write 1.5%", 4, 3),
            ("AKs:150%", "a weight is at most 100%, not 150%", 4, 4),
            ("AKs:", "a weight follows the ':', written as a number from 0 to 1 (0.5) or a"
             " percentage (50%)", 4, 0),
            ("QQ, AKs: half", "'half' is not a weight; write a number from 0 to 1 (0.5) or a"
             " percentage (50%)", 9, 4),
            ("AKs:0.5:0.2", "'0.5:0.2' is not a weight; write a number from 0 to 1 (0.5) or a"
             " percentage (50%)", 4, 7),
            ("AKs:-0.5", "'-0.5' is not a weight; write a number from 0 to 1 (0.5) or a"
             " percentage (50%)", 4, 4),
            ("AKs:0, QQ:0", "every piece of this field weighs 0, so the seat holds no hand", 0, 11),
        ],
    )  # fmt: skip
    def test_a_bad_weight_is_pointed_at(self, field, message, position, span):
        with pytest.raises(NotationError) as caught:
            read_hand_field(field, 2)
        error = caught.value
        assert (error.message, error.position, error.span) == (message, position, span)
        assert str(error) == f"{message} (at byte {position})"

    @pytest.mark.parametrize(
        "field, without_weights, shift",
        [("AhKh, QsQx:0.5", "AhKh, QsQx", 0), ("QQ:0.5, AsKx", "QQ, AsKx", 4), (":0.5", "", 0),
         ("KK:0.5,,QQ", "KK,,QQ", 4), ("é, AA:1", "é, AA", 0),
         ("AA:50%, QQ, AAs", "AA, QQ, AAs", 4)],
    )  # fmt: skip
    def test_the_modules_errors_point_at_the_same_bytes_as_without_weights(
        self, field, without_weights, shift
    ):
        # `shift`: the bytes of the weights written before the error.
        with pytest.raises(ValueError) as module:
            vantor.parse_hand_field(without_weights, 2)
        *_, carets, message = str(module.value).split("\n")
        with pytest.raises(NotationError) as kit:
            read_hand_field(field, 2)
        assert kit.value.message == message
        assert kit.value.position == len(carets) - len(carets.lstrip(" ")) + shift

    def test_the_pointer_form_is_the_modules(self):
        with pytest.raises(NotationError) as caught:
            read_hand_field("QQ, AKs:1.5", 2)
        assert caught.value.pointer("QQ, AKs:1.5") == (
            "QQ, AKs:1.5\n        ^^^\na weight is at most 1, not 1.5; for a percentage write 1.5%"
        )

    @pytest.mark.parametrize("exact", ["auto", "never"])
    def test_equity_reports_a_bad_weight_like_a_notation_error(self, exact):
        message = "a weight is at most 1, not 2; for a percentage write 2% (at byte 3)"
        with pytest.raises(ValueError, match=re.escape(message)):
            vantorkit.equity("holdem", ["AhKh", "QQ:2"], exact=exact)


class TestSpans:
    @pytest.mark.parametrize(
        "span, written_out",
        [
            ("A5s-A2s", "A2s, A3s, A4s, A5s"),
            ("K9o-K7o", "K7o, K8o, K9o"),
            ("KTs-K8s", "K8s, K9s, KTs"),
            ("QJ-Q9", "Q9, QT, QJ"),
            ("A2s-A4s", "A2s, A3s, A4s"),
            ("5As-3As", "A3s, A4s, A5s"),
            ("t9s-t6s", "T6s, T7s, T8s, T9s"),
            ("AKo-A9o", "A9o, ATo, AJo, AQo, AKo"),
        ],
    )
    def test_a_fixed_top_span_is_its_hands_one_by_one(self, span, written_out):
        read = read_hand_field(span, 2)
        assert list(read.alternatives) == module_hands(written_out)
        # And the answers agree: exactly, against a hand of another seat.
        spot = (["QhQd", span], "7c 4d 2s")
        one_by_one = vantor.exact_from_text("holdem", ["QhQd", written_out], "7c 4d 2s")
        kit = vantorkit.equity("holdem", *spot, exact="always")
        assert kit.raw["samples"] == one_by_one["samples"]
        for seat, expected in zip(kit.seats, one_by_one["players"]):
            assert seat.equity == pytest.approx(expected["equity"], rel=1e-12)

    def test_short_deck_reads_spans_too(self):
        read = read_hand_field("A9s-A7s", 2)
        game_read = vantorkit.equity("short_deck", ["A9s-A7s", "KK"], exact="always")
        written = vantor.exact_from_text("short_deck", ["A7s, A8s, A9s", "KK"])
        assert len(read.alternatives) == 12
        assert game_read.raw["samples"] == written["samples"]

    @pytest.mark.parametrize(
        "field, module_field",
        [("KQs-76s", "KQs-76s"), ("QQ-TT", "QQ-TT"), ("AK-AK", "AK-AK"),
         ("A5s-A2s, KQs-T9s", "A2s, A3s, A4s, A5s, KQs-T9s")],
    )  # fmt: skip
    def test_the_modules_own_dash_ranges_read_as_before(self, field, module_field):
        assert list(read_hand_field(field, 2).alternatives) == module_hands(module_field)

    @pytest.mark.parametrize(
        "field, slots, message",
        [("A5s-A2o", 2, "both ends of a range must share the same gap"),
         ("AA-A2", 2, "both ends of a range must share the same gap"),
         ("K5s-Q5s", 2, "both ends of a range must share the same gap"),
         ("A5s-A2s", 4, "ranges are only written where a hand holds two cards")],
    )  # fmt: skip
    def test_other_dashes_are_the_modules_to_refuse(self, field, slots, message):
        with pytest.raises(NotationError, match=re.escape(f"{message} (at byte 0)")):
            read_hand_field(field, slots)


@pytest.mark.parametrize(
    "call",
    [lambda: vantorkit.equity("holdem", "AhKh"), lambda: vantorkit.Spot("holdem", "AhKh QsQd")],
    ids=["equity", "spot"],
)
def test_one_string_where_the_seats_belong_is_refused_in_plain_words(call, monkeypatch):
    def never(*args, **keywords):
        raise AssertionError("the module was called")

    monkeypatch.setattr(vantor, "exact_from_text", never)
    monkeypatch.setattr(vantor, "chunk_from_text", never)
    with pytest.raises(TypeError, match="one hand field per seat"):
        call()

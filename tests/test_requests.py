"""Validation of equity requests: every refusal with its exact message, in the mask form and the
text form, the order in which the checks run, and the spots at the edge of what a game deals."""

import pytest

import vantor

RANKS, SUITS = "23456789TJQKA", "cdhs"
ANY = (1 << 52) - 1

# key -> (cards a seat holds, whether a shorter hand is completed, most seats), as the games deal.
GAMES = {
    "holdem": (2, False, 23),
    "short_deck": (2, False, 15),
    "omaha": (4, False, 11),
    "omaha_hi_lo": (4, False, 11),
    "omaha_five": (5, False, 9),
    "omaha_five_hi_lo": (5, False, 9),
    "courchevel": (5, False, 9),
    "courchevel_hi_lo": (5, False, 9),
    "omaha_six": (6, False, 7),
    "stud": (7, True, 8),
    "stud_hi_lo": (7, True, 8),
    "razz": (7, True, 8),
    "deuce_seven": (5, True, 10),
    "five_card_draw": (5, True, 10),
    "badugi": (4, True, 13),
}

TOO_FEW = "a spot needs at least two seats to have an answer"
UNEVEN = "Starting hands with different sizes"
NO_HAND = "No deal can satisfy a hand"
NO_DEAL = "No deal can satisfy the hands, board and dead cards together"
NO_FLOP_CARD = (
    "this game turns 1 board card face up before the betting, so a board of 0 is not a "
    "spot that occurs; write `*` for a card that has been dealt and not yet seen"
)


def size(n):
    return f"Not enough cards in hand: {n}"


def board_size(n):
    return f"Invalid number of community cards: {n}"


def twice(card):
    return f"Found duplicated card: {card}"


def outside(card):
    return f"{card} is not in this game's deck"


def card(name):
    return 1 << (RANKS.index(name[0]) * 4 + SUITS.index(name[1]))


def masks_of(text):
    """Masks from plain tokens (no ranges): a card, a rank or a suit alone, or '*'."""
    masks, text = [], "".join(text.split())
    i = 0
    while i < len(text):
        if text[i] == "*":
            masks.append(ANY)
        elif text[i] in RANKS and text[i + 1 : i + 2] in tuple(SUITS):
            masks.append(card(text[i : i + 2]))
            i += 1
        elif text[i] in RANKS:
            masks.append(0xF << 4 * RANKS.index(text[i]))
        else:
            masks.append(0x1111111111111 << SUITS.index(text[i]))
        i += 1
    return masks


# Samples, seed and threads of the batches that check a request is accepted.
BATCH = (20, 0, 2)


def sampled(call):
    """Marks a call of a batch entry, which must answer every accepted request."""
    call.sampled = True
    return call


def by_mask(game, hands, board="", dead=""):
    seats = [[masks_of(piece) for piece in hand.split(",")] for hand in hands]
    return lambda: vantor.exact(game, seats, masks_of(board), sum(masks_of(dead)))


def by_text(game, hands, board="", dead=""):
    return lambda: vantor.exact_from_text(game, hands, board, dead)


def by_chunk_mask(game, hands, board="", dead=""):
    seats = [[masks_of(piece) for piece in hand.split(",")] for hand in hands]
    return sampled(lambda: vantor.chunk(game, seats, masks_of(board), sum(masks_of(dead)), *BATCH))


def by_chunk_text(game, hands, board="", dead=""):
    return sampled(lambda: vantor.chunk_from_text(game, hands, board, dead, *BATCH))


@pytest.fixture(
    params=[by_text, by_mask, by_chunk_text, by_chunk_mask],
    ids=["text", "masks", "chunk-text", "chunk-masks"],
)
def ask(request):
    """The same request in either form, written as hand fields, board and dead cards, put to
    the exact walk or to a batch: both validate alike."""
    return request.param


def assert_accepted(call):
    """The request passed validation: the exact entries answer it (None when the walk declines a
    spot too wide to walk), and the batch entries return their batch."""
    result = call()
    if getattr(call, "sampled", False):
        assert type(result) is dict and result["exact"] is False
        assert result["samples"] == BATCH[0] and len(result["players"]) >= 2
    else:
        assert result is None or (result["exact"] is True and len(result["players"]) >= 2)


def assert_refused(call, message):
    with pytest.raises(ValueError) as raised:
        call()
    assert str(raised.value) == message


def unseen(game):
    """A hand of unseen cards the game accepts at any table size."""
    hole, short, _ = GAMES[game]
    return "***" if short else "*" * hole


def opening_board(game):
    return "*" if game.startswith("courchevel") else ""


@pytest.mark.parametrize("game", GAMES)
def test_the_most_seats_are_dealt_and_one_more_is_refused(ask, game):
    most = GAMES[game][2]
    assert_accepted(ask(game, [unseen(game)] * most, opening_board(game)))
    assert_refused(
        ask(game, [unseen(game)] * (most + 1), opening_board(game)),
        f"{most + 1} players is more than this game can deal; the deck seats {most}",
    )


# Requests valid in both forms: (game, hands, board, dead).
ACCEPTED = {
    "flop": ("holdem", ["AhKh", "QsQd"], "Kd 7c 2s", ""),
    "draw hand completed": ("five_card_draw", ["AhKhQh", "*"], "", ""),
    "stud: three cards each": ("stud", ["AhKhQh", "2c3c4c"], "", ""),
    "stud: eight seats share a card": ("stud", ["***"] * 8, "Ah", ""),
    "razz: eight seats, card unseen": ("razz", ["***"] * 8, "", ""),
    "courchevel: its one card": ("courchevel_hi_lo", ["*****", "*****"], "Ah", ""),
    "a card only one alternative names": ("holdem", ["AhKh, QsQd", "AhJc"], "", ""),
    "21 unknown hands, 4 dead": ("holdem", ["**"] * 21, "", "Ac Ad Ah As"),
    "two seats of aces": ("holdem", ["AcAd, AcAh, AcAs, AdAh, AdAs, AhAs"] * 2, "", ""),
    "twelve one-suit badugi hands": ("badugi", ["hhhh, dddd, cccc, ssss"] * 12, "", ""),
    "razz: any seven need not be 7c": ("razz", ["7******", "ccccccc", "cccccc*"], "", ""),
}

# Requests refused in both forms: (game, hands, board, dead, message).
REFUSED = {
    "one seat": ("holdem", ["AhKh"], "", "", TOO_FEW),
    "no seats": ("holdem", [], "", "", TOO_FEW),
    "one seat, card dead too": ("holdem", ["AhKh"], "", "Ah", TOO_FEW),
    "one courchevel seat, no board": ("courchevel", ["AhKhQhJhTh"], "", "", TOO_FEW),
    "stud: two cards shown": ("stud", ["AhKh", "QsQd"], "", "", size(2)),
    "razz: one card shown": ("razz", ["Ah", "Ks", "Qd"], "", "", size(1)),
    "stud: three and four shown": ("stud", ["AhKhQh", "2c3c4c5c"], "", "", UNEVEN),
    "draw: alternatives of two sizes": ("five_card_draw", ["AhKh, QsQdJd", "*"], "", "", UNEVEN),
    "courchevel without a board": ("courchevel", ["*****", "*****"], "", "", NO_FLOP_CARD),
    "two seats hold As": ("holdem", ["AsKh", "AsQd"], "", "", twice("As")),
    "a seat holds a dead card": ("holdem", ["AhKh", "QsQd"], "", "Ah", twice("Ah")),
    "a seat holds a board card": ("omaha", ["AhKh**", "****"], "2c 7h Kh", "", twice("Kh")),
    "the board holds a dead card": ("holdem", ["AhKh", "QsQd"], "2c 7h", "7h", twice("7h")),
    "the lowest shared card": ("holdem", ["AhKs", "AhKs"], "", "", twice("Ks")),
    "the lowest dead card": ("holdem", ["AhKh", "QsQd"], "", "Kh Ah", twice("Kh")),
    "every alternative names Ah": ("holdem", ["AhKh, AhQd", "AhJc"], "", "", twice("Ah")),
    "short deck: deuce dead": ("short_deck", ["AhKh", "QsQd"], "", "2c", outside("2c")),
    "short deck: lowest dead": ("short_deck", ["AhKh", "QsQd"], "", "3d 2c", outside("2c")),
    "short deck: deuce held": ("short_deck", ["2cAh", "QsQd"], "", "", outside("2c")),
    "short deck: ace dead": ("short_deck", ["AhKh", "QsQd"], "", "Ah", twice("Ah")),
    "short deck: any deuce": ("short_deck", ["2*", "QsQd"], "", "", NO_DEAL),
    "23 unknown hands, 4 dead": ("holdem", ["**"] * 23, "", "Ac Ad Ah As", NO_DEAL),
    "22 unknown hands, 4 dead": ("holdem", ["**"] * 22, "", "Ac Ad Ah As", NO_DEAL),
    "three seats of aces": ("holdem", ["AcAd, AcAh, AcAs, AdAh, AdAs, AhAs"] * 3, "", "", NO_DEAL),
    # Every card position can be filled (Qs, Kh, Ah, Qd), but each alternative collides.
    "each alternative collides": ("holdem", ["AhKh, QsQd", "AhQd"], "", "", NO_DEAL),
    # Four suits hold three such hands each.
    "thirteen one-suit badugi hands": ("badugi", ["hhhh, dddd, cccc, ssss"] * 13, "", "", NO_DEAL),
    "razz: fourteen clubs": ("razz", ["7******", "ccccccc", "ccccccc"], "", "", NO_DEAL),
}


@pytest.mark.parametrize("case", ACCEPTED)
def test_accepted_in_both_forms(ask, case):
    assert_accepted(ask(*ACCEPTED[case]))


@pytest.mark.parametrize("case", REFUSED)
def test_refused_in_both_forms(ask, case):
    *request, message = REFUSED[case]
    assert_refused(ask(*request), message)


AH, KH = card("Ah"), card("Kh")

# Masks the text readers never produce, or counts they refuse first: (game, seats, board, message).
MASK_ONLY = {
    "hold'em hand of three": ("holdem", [[[AH, KH, ANY]], [[ANY, ANY]]], [], size(3)),
    "omaha hand of two": ("omaha", [[[AH, KH]], [[ANY] * 4]], [], size(2)),
    "draw hand of six": ("five_card_draw", [[[ANY] * 6], [[ANY]]], [], size(6)),
    "stud hand of seven at eight seats": ("stud", [[[ANY] * 7]] * 8, [], size(7)),
    "a seat without alternatives": ("holdem", [[[AH, KH]], []], [], UNEVEN),
    "stud seat without alternatives": ("stud", [[[ANY] * 3], []], [], UNEVEN),
    "hold'em alternatives of two sizes": ("holdem", [[[AH, KH], [AH]], [[ANY, ANY]]], [], UNEVEN),
    "a mask with no card": ("holdem", [[[AH, 0]], [[ANY, ANY]]], [], NO_HAND),
    "every alternative has an empty mask": (
        "holdem",
        [[[AH, 0], [0, KH]], [[ANY, ANY]]],
        [],
        NO_HAND,
    ),
    "a board mask with no card": ("holdem", [[[AH, KH]], [[ANY, ANY]]], [0], NO_DEAL),
    "a card twice in one hand": ("holdem", [[[AH, AH]], [[ANY, ANY]]], [], NO_DEAL),
    "alternatives each holding a card twice": (
        "holdem",
        [[[AH, AH], [KH, KH]], [[ANY, ANY]]],
        [],
        NO_DEAL,
    ),
    "six board masks": ("holdem", [[[ANY, ANY]]] * 2, [ANY] * 6, board_size(6)),
    "a draw board": ("five_card_draw", [[[ANY]]] * 2, [ANY], board_size(1)),
    "a stud board at seven seats": ("stud", [[[ANY] * 3]] * 7, [ANY], board_size(1)),
    "two stud board cards at eight seats": ("stud", [[[ANY] * 3]] * 8, [ANY, ANY], board_size(2)),
}


@pytest.mark.parametrize("case", MASK_ONLY)
@pytest.mark.parametrize("batch", [(), BATCH], ids=["exact", "chunk"])
def test_refused_in_mask_form(case, batch):
    game, seats, board, message = MASK_ONLY[case]
    entry = vantor.chunk if batch else vantor.exact
    assert_refused(lambda: entry(game, seats, board, 0, *batch), message)


def test_an_alternative_with_an_empty_mask_is_passed_over():
    seats = [[[AH, 0], [KH, ANY]], [[ANY, ANY]]]
    assert_accepted(lambda: vantor.exact("holdem", seats, [], 0))
    assert_accepted(sampled(lambda: vantor.chunk("holdem", seats, [], 0, *BATCH)))


# The text readers refuse these sizes themselves, pointing into the field.
@pytest.mark.parametrize(
    "game, hands, board, message",
    [
        ("holdem", ["AhKhQh", "**"], "", "this game deals 2 cards, but 3 were written (at byte 0)"),
        (
            "holdem",
            ["**", "**"],
            "AhKhQhJhTh9h",
            "at most 5 cards fit here, but 6 were written (at byte 0)",
        ),
        (
            "five_card_draw",
            ["*", "*"],
            " Ah",
            "at most 0 cards fit here, but 1 were written (at byte 1)",
        ),
        ("stud", ["***"] * 7, "Ah", "at most 0 cards fit here, but 1 were written (at byte 0)"),
        (
            "stud",
            ["AhKhQhJhTh9h8h"] + ["***"] * 7,
            "",
            "this game deals 6 cards, but 7 were written (at byte 0)",
        ),
    ],
)
def test_text_readers_refuse_sizes_first(game, hands, board, message):
    assert_refused(by_text(game, hands, board), message)


class TestOrder:
    # Each request breaks several rules; the earliest check answers. (The checks only masks can
    # reach are ordered in the C++ suite.)
    @pytest.mark.parametrize(
        "request_, message",
        [
            (("holdem", ["AhKh"], "Ah Kh Qh Jh Th", "2c"), TOO_FEW),
            (
                ("holdem", ["AhKh"] * 24, "", "Ah"),
                "24 players is more than this game can deal; the deck seats 23",
            ),
            (("stud", ["AhKhQh", "2c3c4c5c"], "", "Ah"), UNEVEN),
            (("stud", ["AhKh", "AhKh"], "", ""), size(2)),
            (("courchevel", ["AhKhQhJhTh", "AhKhQhJhTh"], "", ""), NO_FLOP_CARD),
            (("short_deck", ["AhKh", "AhKh"], "", "2c"), outside("2c")),
            (("holdem", ["AhKs", "Ah3c"], "", "Ks"), twice("Ah")),  # the dead Ks is lower
            (("holdem", ["Ah*"] + ["**"] * 22, "", "Ac Ad Ah As"), twice("Ah")),
        ],
        ids=[
            "seats",
            "most seats",
            "shown cards",
            "stud size",
            "board spot",
            "deck",
            "shared",
            "dead",
        ],
    )
    def test_in_both_forms(self, ask, request_, message):
        assert_refused(ask(*request_), message)


class TestTextReading:
    # Fields are read seat by seat, then the board, then the dead cards, and the first reading
    # error is raised inline, its byte counted within its own field, before any check.
    @pytest.mark.parametrize(
        "hands, board, dead, message",
        [
            (["AhXh"], "", "", "'X' is not a rank, a suit, or '*' (at byte 2)"),
            (["AhKh", "QsQx", "Zz"], "", "", "'x' is not a rank, a suit, or '*' (at byte 3)"),
            (["AhKx"] * 24, "Qx", "Jx", "'x' is not a rank, a suit, or '*' (at byte 3)"),
            (["AhKh", "QsQd"], "  Kh Qx", "Jx", "'x' is not a rank, a suit, or '*' (at byte 6)"),
            (["AhKh", "QsQd"], "Kh,Qh", "", "',' is not a rank, a suit, or '*' (at byte 2)"),
            (["AhKh", "AhKh"], "", "Ts Jx", "'x' is not a rank, a suit, or '*' (at byte 4)"),
            (
                ["AhKh", "QsQd"],
                "",
                "A",
                "a dead card must name one card, since every reading changes "
                "the answer (at byte 0)",
            ),
            (["AhKh,", "QsQd"], "", "", "nothing to read here (at byte 5)"),
        ],
    )
    @pytest.mark.parametrize("function", ["exact_from_text", "chunk_from_text"])
    def test_first_reading_error(self, function, hands, board, dead, message):
        assert_refused(lambda: getattr(vantor, function)("holdem", hands, board, dead), message)


class TestSampledEntries:
    def test_chunk_validates_like_exact(self):
        assert_refused(
            lambda: vantor.chunk("holdem", [[[AH, KH]], [[AH, ANY]]], [], 0, 10), twice("Ah")
        )
        assert_accepted(
            sampled(lambda: vantor.chunk("holdem", [[[AH, KH]], [[ANY, ANY]]], [], 0, *BATCH))
        )

    def test_chunk_from_text_validates_like_exact(self):
        assert_refused(lambda: vantor.chunk_from_text("courchevel", ["*****"] * 2), NO_FLOP_CARD)
        assert_accepted(
            sampled(lambda: vantor.chunk_from_text("courchevel", ["*****"] * 2, "Ah", "", *BATCH))
        )

"""vantorkit's facts per game, held against the module: every game it lists has a row, and each
fact is what the module does with the game's requests."""

import re

import pytest

import vantor
import vantorkit
from vantorkit import catalogue

MODULE_KEYS = [entry["key"] for entry in vantor.variants()]
RANKS_LOW_FIRST = "A23456789TJQK"
TOO_MANY_SEATS = "more than this game can deal"


def test_every_game_the_module_lists_has_a_row_and_no_other():
    assert set(catalogue.FACTS_BY_GAME) == set(MODULE_KEYS)
    assert list(catalogue.games()) == MODULE_KEYS


def spot_with_a_low(game):
    """Two seats of named cards, and a flop where the game has a board: seat 0 makes an
    eight-or-better low in every deal (with ace to five; the short deck has no such low) and seat 1
    holds no card of eight or lower."""
    ranks = [rank for rank in RANKS_LOW_FIRST if game.deck >> vantor.card_index(rank + "c") & 1]
    lows = [rank + "cdhs"[i % 4] for i, rank in enumerate(ranks[:5])]
    highs = [rank + suit for rank in reversed(ranks[5:]) for suit in "cdhs"]
    held_lows = 2 if game.board_cards else min(5, game.hole_cards)
    spare = game.hole_cards - held_lows
    seats = [lows[:held_lows] + highs[:spare], highs[spare : spare + game.hole_cards]]
    board = lows[held_lows:5] if game.board_cards else []
    return ["".join(cards) for cards in seats], " ".join(board)


def asked(key, hands, board=""):
    """Whether the exact walk and a sampled batch both take the request (they read alike)."""
    try:
        walked = vantor.exact_from_text(key, hands, board)
    except ValueError as error:
        with pytest.raises(ValueError, match=re.escape(str(error))):
            vantor.chunk_from_text(key, hands, board, samples=100, threads=1)
        return False
    assert walked is not None
    vantor.chunk_from_text(key, hands, board, samples=100, threads=1)
    return True


@pytest.mark.parametrize("key", MODULE_KEYS)
class TestFactsAgainstTheModule:
    def test_a_short_field_reads_where_the_game_is_marked_short(self, key):
        game = catalogue.games()[key]
        hands, board = spot_with_a_low(game)
        assert asked(key, hands, board)
        # Every seat one card short, as stud requires when any is.
        assert asked(key, [hand[:-2] for hand in hands], board) == game.facts.short_fields

    def test_the_low_half_is_won_in_the_hi_lo_games_only(self, key):
        game = catalogue.games()[key]
        result = vantor.exact_from_text(key, *spot_with_a_low(game))
        assert [seat["low_equity"] > 0 for seat in result["players"]] == [game.facts.hi_lo, False]

    def test_ranks_are_pinned_in_the_games_marked_so(self, key):
        game = catalogue.games()[key]
        hands, board = spot_with_a_low(game)
        rank_only = [hands[0][0] + hands[0][2:], hands[1]]  # its first card any of that rank
        single = vantor.exact_from_text(key, rank_only, board)["samples"]
        # Written twice, the seat has two alternatives and nothing is pinned: every deal twice.
        twice = [f"{rank_only[0]}, {rank_only[0]}", rank_only[1]]
        unpinned = vantor.exact_from_text(key, twice, board)["samples"] // 2
        assert (single < unpinned) == game.facts.pins_ranks

    @pytest.mark.parametrize("seats", [2, 7, 8])
    def test_hand_and_board_sizes_are_the_ones_the_module_deals(self, key, seats):
        game = catalogue.games()[key]
        slots, board = game.slots(seats), game.board_size(seats)

        def ask(hand_cards, board_cards):
            vantor.chunk_from_text(
                key, ["*" * hand_cards] * seats, "*" * board_cards, samples=10, threads=1
            )

        try:
            ask(slots, board)
        except ValueError as error:
            if TOO_MANY_SEATS not in str(error):
                raise
            pytest.skip(f"the module seats fewer than {seats} at {key}")
        with pytest.raises(ValueError, match=f"^this game deals {slots} cards, but {slots + 1}"):
            ask(slots + 1, board)
        with pytest.raises(ValueError, match=f"^at most {board} cards fit here, but {board + 1}"):
            ask(slots, board + 1)

    def test_the_most_seats_are_the_ones_the_module_seats(self, key):
        game = catalogue.games()[key]
        board = "*" * (key.startswith("courchevel"))  # its one face-up card is never to come

        def ask(seats):
            vantor.chunk_from_text(key, ["*" * game.slots(seats)] * seats, board, samples=0)

        ask(game.most_seats)
        too_many = f"^{game.most_seats + 1} players is {TOO_MANY_SEATS}; the deck seats"
        with pytest.raises(ValueError, match=too_many):
            ask(game.most_seats + 1)


class TestAGameWithoutARow:
    @pytest.fixture(autouse=True)
    def sixteen_games(self, monkeypatch):
        listed = vantor.variants()
        extra = {**listed[0], "key": "sixteenth", "label": "Sixteenth"}
        monkeypatch.setattr(vantor, "variants", lambda: [*listed, extra])
        monkeypatch.setattr(catalogue, "_catalogue", {})  # as if nothing had read it yet

    @pytest.mark.parametrize(
        "read",
        [
            catalogue.read_catalogue,
            lambda: vantorkit.Spot("holdem", ["AhKh", "QsQd"]),
            lambda: vantorkit.equity("holdem", ["AhKh", "QsQd"], "Qh Jh 2c"),
        ],
        ids=["reader", "spot", "equity"],
    )
    def test_fails_where_the_kit_reads_the_catalogue(self, read):
        message = (
            "vantor lists a game vantorkit has no facts for: 'sixteenth'; add its row to"
            " FACTS_BY_GAME in vantorkit/catalogue.py"
        )
        with pytest.raises(LookupError, match=f"^{re.escape(message)}$"):
            read()

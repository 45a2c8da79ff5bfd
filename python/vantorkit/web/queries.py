"""A request's JSON read into a question, every key checked before any work starts.

Each check refuses with the status and message a client can act on: 413 for what is too large
(the body, a field), 400 for anything else (JSON that does not parse, a key the route does not
take, a value of the wrong kind, an unknown game, too many seats, a field that does not read, a
spot the module refuses). A notation error also says where it points: the field, the seat and the
column, as the command draws its caret.
"""

from __future__ import annotations

import json
from collections.abc import Mapping
from dataclasses import dataclass
from typing import cast

from ..catalogue import Game, games
from ..estimate import ExactChoice, check_positive, run_settings
from ..pointing import point
from ..requests import read_request
from ..spots import Spot
from .settings import (
    MOST_BODY_BYTES,
    MOST_CARDS_CHARACTERS,
    MOST_CLIENT_CHARACTERS,
    MOST_FIELD_CHARACTERS,
    Settings,
)

BAD_INPUT = 400
TOO_LARGE = 413
BUSY = 503
# The keys each kind of request takes; the values' kinds are checked one by one below.
EQUITY_KEYS = ("game", "hands", "board", "dead", "precision", "seconds", "exact", "seed", "client")
BREAKDOWN_KEYS = (*EQUITY_KEYS, "seat")
RANGE_KEYS = ("game", "field")


class Refusal(Exception):
    """A request the server does not work on: its status, its message, and for a notation error
    where it points (`data()` is the JSON body of the answer)."""

    def __init__(self, status: int, message: str, where: Mapping[str, object] | None = None):
        super().__init__(message)
        self.status = status
        self.message = message
        self.where = dict(where or {})

    def data(self) -> dict[str, object]:
        return {"error": self.message, **self.where}


@dataclass(frozen=True)
class Query:
    """A checked request for `equity` or `breakdown`: the spot, the settings of the run (the
    seed drawn when the request gave none, so that the answer can say it), the client's name for
    itself, and for a breakdown the seat (from 0)."""

    spot: Spot
    precision: float | None
    seconds: float
    exact: ExactChoice
    seed: int
    client: str | None
    seat: int


def read_body(body: bytes, content_type: str | None) -> dict[str, object]:
    """The body as a JSON object. Refuses a body that is too large, not sent as JSON, or not one
    JSON object."""
    if len(body) > MOST_BODY_BYTES:
        raise too_large_body()
    if (content_type or "").split(";")[0].strip().lower() != "application/json":
        raise Refusal(BAD_INPUT, "send the request as JSON, with Content-Type: application/json")
    try:
        found = cast("object", json.loads(body))
    except ValueError as error:  # JSONDecodeError and UnicodeDecodeError alike
        raise Refusal(BAD_INPUT, f"the request is not JSON: {error}") from None
    if not isinstance(found, dict):
        raise Refusal(BAD_INPUT, 'the request is one JSON object, such as {"game": "holdem", ...}')
    return cast("dict[str, object]", found)


def shown(value: object) -> str:
    """A value of the request as a message quotes it: its repr, cut short past 60 characters."""
    written = repr(value)
    return written if len(written) <= 60 else written[:57] + "..."


def too_large_body() -> Refusal:
    return Refusal(TOO_LARGE, f"the request is larger than {MOST_BODY_BYTES:,} bytes")


def equity_query(data: Mapping[str, object], settings: Settings) -> Query:
    """A request of /api/equity checked and read."""
    return _query(data, settings, EQUITY_KEYS)


def breakdown_query(data: Mapping[str, object], settings: Settings) -> Query:
    """A request of /api/breakdown checked and read: `equity`'s keys and `seat`."""
    return _query(data, settings, BREAKDOWN_KEYS)


def range_query(data: Mapping[str, object]) -> tuple[Game, str]:
    """A request of /api/range: a game of two-card hands and one hand field."""
    _check_keys(data, RANGE_KEYS)
    game = _game(data)
    if game.hole_cards != 2:
        raise Refusal(
            BAD_INPUT, f"the range grid is for games of two-card hands, and {game.label} is not one"
        )
    field = _text(data, "field", MOST_FIELD_CHARACTERS, required=True)
    return game, field


def _query(data: Mapping[str, object], settings: Settings, keys: tuple[str, ...]) -> Query:
    _check_keys(data, keys)
    game = _game(data)
    hands = _hands(data, game)
    board = _text(data, "board", MOST_CARDS_CHARACTERS)
    dead = _text(data, "dead", MOST_CARDS_CHARACTERS)
    precision, seconds, exact, seed = _run(data, settings)
    client = _client(data)
    seat = _seat(data, len(hands)) if "seat" in keys else 0
    spot = Spot(game.key, hands, board, dead)
    check_spot(spot)
    return Query(spot, precision, seconds, exact, seed, client, seat)


def _check_keys(data: Mapping[str, object], keys: tuple[str, ...]) -> None:
    for key in data:
        if key not in keys:
            takes = ", ".join(keys)
            raise Refusal(BAD_INPUT, f"unknown key {shown(key)}; this request takes {takes}")


def _game(data: Mapping[str, object]) -> Game:
    key = data.get("game")
    if not isinstance(key, str):
        raise Refusal(BAD_INPUT, f'game is the key of a game, such as "holdem", not {shown(key)}')
    game = games().get(key)
    if game is None:
        raise Refusal(BAD_INPUT, f"no game called {shown(key)}; GET /api/games lists them")
    return game


def _hands(data: Mapping[str, object], game: Game) -> list[str]:
    hands = data.get("hands")
    if not isinstance(hands, list):
        raise Refusal(BAD_INPUT, f"hands is a list of hand fields, one a seat, not {shown(hands)}")
    fields = cast("list[object]", hands)
    if len(fields) > game.most_seats:
        raise Refusal(
            BAD_INPUT,
            f"{game.label} seats at most {game.most_seats} players, and this spot has"
            f" {len(fields)}",
        )
    found: list[str] = []
    for seat, field in enumerate(fields, 1):
        if not isinstance(field, str):
            raise Refusal(BAD_INPUT, f"seat {seat}'s hand is a string, not {shown(field)}")
        if len(field) > MOST_FIELD_CHARACTERS:
            raise Refusal(
                TOO_LARGE,
                f"seat {seat}'s hand is longer than {MOST_FIELD_CHARACTERS:,} characters",
                {"field": "hands", "seat": seat - 1},
            )
        found.append(field)
    return found


def _text(data: Mapping[str, object], key: str, most: int, required: bool = False) -> str:
    value = data.get(key, None if required else "")
    if not isinstance(value, str):
        raise Refusal(BAD_INPUT, f"{key} is a string, not {shown(value)}")
    if len(value) > most:
        raise Refusal(
            TOO_LARGE, f"{key} is longer than {most:,} characters", {"field": key, "seat": None}
        )
    return value


def _run(
    data: Mapping[str, object], settings: Settings
) -> tuple[float | None, float, ExactChoice, int]:
    """The precision, seconds, exact choice and seed, checked as `vantorkit.equity` checks them.
    The server's time limit stands for `seconds` where none is given, so the default target
    (0.001) is then given as a precision: `equity` would otherwise sample for the whole limit."""
    precision, seconds = _positive(data, "precision"), _positive(data, "seconds")
    exact = data.get("exact", "auto")
    try:
        target, _, seed = run_settings(precision, seconds, exact, 1, data.get("seed"))
    except ValueError as error:
        raise Refusal(BAD_INPUT, str(error)) from None
    if seconds is not None and seconds > settings.most_seconds:
        raise Refusal(
            BAD_INPUT, f"seconds is at most {settings.most_seconds:g} here, not {seconds:g}"
        )
    choice = cast("ExactChoice", exact)  # run_settings refuses any other
    if precision is None and seconds is not None:
        return None, seconds, choice, seed  # sample for that long, as `equity` does
    return target, seconds or settings.most_seconds, choice, seed


def _positive(data: Mapping[str, object], key: str) -> float | None:
    value = data.get(key)
    try:
        check_positive(key, value)
    except ValueError as error:
        raise Refusal(BAD_INPUT, str(error)) from None
    return None if value is None else float(cast("float", value))


def _client(data: Mapping[str, object]) -> str | None:
    client = data.get("client")
    if client is None:
        return None
    if not isinstance(client, str) or not 0 < len(client) <= MOST_CLIENT_CHARACTERS:
        raise Refusal(
            BAD_INPUT,
            f"client is a name of 1 to {MOST_CLIENT_CHARACTERS} characters, not {shown(client)}",
        )
    return client


def _seat(data: Mapping[str, object], seats: int) -> int:
    seat = data.get("seat", 0)
    if isinstance(seat, bool) or not isinstance(seat, int) or not 0 <= seat < seats:
        raise Refusal(BAD_INPUT, f"seat must be from 0 to {seats - 1}, not {shown(seat)}")
    return seat


def check_spot(spot: Spot) -> None:
    """Refuses a spot whose fields do not read or that the module refuses, as a client is told:
    the message, and for a notation error where it points."""
    try:
        read_request(spot)
    except ValueError as error:
        raise spot_refusal(str(error), spot) from None


def spot_refusal(message: str, spot: Spot) -> Refusal:
    """The module's or the kit's error about `spot`, for a client: a notation error with its
    field, seat (from 0) and column, and the reason without the byte."""
    pointer = point(message, spot)
    if pointer is None:
        return Refusal(BAD_INPUT, message)
    where = {
        "field": pointer.field,
        "seat": pointer.seat,
        "column": pointer.column,
        "reason": pointer.reason,
    }
    return Refusal(BAD_INPUT, f"{pointer.name}: {pointer.reason}", where)

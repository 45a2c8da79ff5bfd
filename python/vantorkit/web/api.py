"""The JSON API: the games, a spot's equities and a seat's breakdown (answered whole, or streamed
as server-sent events while the estimate converges), and a two-card field read for the grid.

Every request is read and checked before a calculation is submitted (`queries`), so that bad
input costs no work and is answered at once. A calculation's refusal that comes before its first
estimate (a spot too large to walk, a seat that cannot be broken down) is still answered with
status 400, since a stream answers only once its first message is there. A client that goes away
stops its calculation.
"""

from __future__ import annotations

import asyncio
import json
from collections.abc import AsyncIterator, Awaitable, Callable, Mapping
from functools import partial
from typing import TypeVar, cast

from starlette.requests import Request
from starlette.responses import JSONResponse, Response, StreamingResponse

from ..catalogue import games
from ..fields import NotationError
from ..names import RANK_LETTERS
from ..pointing import column
from .calculations import Calculations, Job, Message
from .queries import BAD_INPUT, Query, Refusal, range_query, read_body, too_large_body
from .ranges import range_data
from .settings import (
    MOST_BODY_BYTES,
    MOST_CARDS_CHARACTERS,
    MOST_FIELD_CHARACTERS,
    Settings,
)

T = TypeVar("T")
Work = Callable[[Query, int, Job], None]
Read = Callable[[Mapping[str, object], Settings], Query]
Endpoint = Callable[[Request], Awaitable[Response]]
# The answer of a calculation stopped before it had an estimate to give.
STOPPED = 409
EVENT_STREAM_HEADERS = {"Cache-Control": "no-store", "X-Accel-Buffering": "no"}


class Api:
    """The routes' endpoints, over one server's settings and calculations."""

    def __init__(self, settings: Settings, calculations: Calculations) -> None:
        self.settings = settings
        self.calculations = calculations

    async def games(self, request: Request) -> Response:
        """GET /api/games: every game with how it deals, and the request limits."""
        return JSONResponse(games_data(self.settings))

    def answered(self, read: Read, work: Work) -> Endpoint:
        """An endpoint that reads a query with `read`, runs `work` for it, and answers once it
        is done (POST /api/equity, /api/breakdown)."""

        async def answer(request: Request) -> Response:
            return await self._answer(request, await self._query(request, read), work)

        return answer

    def streamed(self, read: Read, work: Work) -> Endpoint:
        """An endpoint that reads a query with `read`, runs `work` for it, and streams what it
        finds (POST /api/equity/stream, /api/breakdown/stream)."""

        async def stream(request: Request) -> Response:
            return await self._stream(request, await self._query(request, read), work)

        return stream

    async def range(self, request: Request) -> Response:
        """POST /api/range: a two-card hand field's hands and weights, for the grid."""
        game, field = range_query(read_body(await _body(request), _content_type(request)))
        try:
            found = await asyncio.to_thread(range_data, game, field)
        except NotationError as error:
            at = {
                "field": "field",
                "column": column(field, error.position),
                "reason": error.message,
            }
            raise Refusal(BAD_INPUT, error.message, at) from None
        return JSONResponse(found)

    async def _query(self, request: Request, read: Read) -> Query:
        data = read_body(await _body(request), _content_type(request))
        # Reading the fields is the module's work, quick but not free: off the event loop.
        return await asyncio.to_thread(read, data, self.settings)

    async def _answer(self, request: Request, query: Query, work: Work) -> Response:
        job = self.calculations.submit(partial(work, query, self.settings.threads), query.client)
        try:
            message = await _unless_disconnected(request, job.last())
        finally:
            job.stop.set()  # the client has its answer or is gone; either way the job is done
        if message is None:
            return Response(status_code=204)  # nobody is left to read it
        if message.name == "result":
            return JSONResponse(message.data)
        if message.name == "stopped" and message.data is not None:
            return JSONResponse(message.data)  # the estimate when it was stopped
        if message.name == "stopped":
            return JSONResponse(error_data("stopped before an answer was found"), STOPPED)
        return JSONResponse(message.data, BAD_INPUT)

    async def _stream(self, request: Request, query: Query, work: Work) -> Response:
        job = self.calculations.submit(partial(work, query, self.settings.threads), query.client)
        try:
            first = await _unless_disconnected(request, job.next())
        except BaseException:
            job.stop.set()
            raise
        if first is None:
            job.stop.set()
            return Response(status_code=204)
        if first.name == "error":
            return JSONResponse(first.data, BAD_INPUT)
        return StreamingResponse(
            _events(first, job), media_type="text/event-stream", headers=EVENT_STREAM_HEADERS
        )


def error_data(message: str) -> dict[str, object]:
    """An error's JSON body."""
    return {"error": message}


def games_data(settings: Settings) -> dict[str, object]:
    """Every game with how it deals (the catalogue and the kit's facts), and what a request may
    hold."""
    return {
        "games": [
            {
                "key": game.key,
                "label": game.label,
                "hole_cards": game.hole_cards,
                "board_cards": game.board_cards,
                "deck_size": game.deck_size,
                "ranks": "".join(
                    letter for rank, letter in enumerate(RANK_LETTERS) if game.deck >> 4 * rank & 15
                ),
                "hi_lo": game.facts.hi_lo,
                "partial_hands": game.facts.short_fields,
                "shared_card_seats": game.facts.shared_card_seats,
                "most_seats": game.most_seats,
                "notes": game.notes,
            }
            for game in games().values()
        ],
        "limits": {
            "body_bytes": MOST_BODY_BYTES,
            "hand_characters": MOST_FIELD_CHARACTERS,
            "cards_characters": MOST_CARDS_CHARACTERS,
            "seconds": settings.most_seconds,
            "running": settings.running,
            "waiting": settings.waiting,
        },
        "threads": settings.threads,
    }


def event_text(message: Message) -> str:
    """One server-sent event: the message's name, and its data as one line of JSON."""
    return f"event: {message.name}\ndata: {json.dumps(message.data)}\n\n"


async def _events(first: Message, job: Job) -> AsyncIterator[str]:
    """The job's messages as events until its last; a reader that leaves stops the job."""
    message = first
    try:
        while True:
            yield event_text(message)
            if message.last:
                return
            message = await job.next()
    finally:
        job.stop.set()


async def _body(request: Request) -> bytes:
    """The request's body, refused (413) as soon as it passes its bound."""
    declared = request.headers.get("content-length", "")
    if declared.isdigit() and int(declared) > MOST_BODY_BYTES:
        raise too_large_body()
    chunks: list[bytes] = []
    size = 0
    async for chunk in request.stream():
        size += len(chunk)
        if size > MOST_BODY_BYTES:
            raise too_large_body()
        chunks.append(chunk)
    return b"".join(chunks)


def _content_type(request: Request) -> str | None:
    return request.headers.get("content-type")


async def _unless_disconnected(request: Request, waiting: Awaitable[T]) -> T | None:
    """What `waiting` gives, or None once the client has gone away first."""
    answer = asyncio.ensure_future(waiting)
    gone = asyncio.ensure_future(_disconnected(request))
    try:
        await asyncio.wait({answer, gone}, return_when=asyncio.FIRST_COMPLETED)
    finally:
        gone.cancel()
        if not answer.done():
            answer.cancel()
    return answer.result() if answer.done() and not answer.cancelled() else None


async def _disconnected(request: Request) -> None:
    """Returns once the client has closed its connection (the body has been read by then)."""
    while True:
        message = cast("Mapping[str, object]", await request.receive())
        if message.get("type") == "http.disconnect":
            return

"""The application: the API's routes, the page's static files, errors as JSON, and the
calculations stopped when the server shuts down."""

from __future__ import annotations

import asyncio
import contextlib
import logging
from collections.abc import AsyncGenerator, Sequence
from dataclasses import replace

from starlette.applications import Starlette
from starlette.datastructures import Headers
from starlette.exceptions import HTTPException
from starlette.middleware import Middleware
from starlette.requests import Request
from starlette.responses import JSONResponse, Response
from starlette.routing import Mount, Route
from starlette.staticfiles import StaticFiles
from starlette.types import ASGIApp, Receive, Scope, Send

from ..batches import resolve_threads
from .api import Api, error_data
from .calculations import Calculations
from .queries import BUSY, Refusal, breakdown_query, equity_query
from .runs import run_breakdown, run_equity
from .settings import Settings

LOG = logging.getLogger("vantorkit.web")
# The package and folder the page's files are read from, through importlib.
STATIC = ("vantorkit.web", "static")


# The names a server listening on a loopback address answers to: a page of another site that
# gets a browser to send its requests to this machine (by a name it made resolve here) names its
# own host in them, and is refused.
LOOPBACK_HOSTS = ("127.0.0.1", "localhost", "[::1]")


def create_app(
    settings: Settings | None = None,
    calculations: Calculations | None = None,
    hosts: Sequence[str] | None = None,
) -> Starlette:
    """The server's application. `calculations` defaults to a fresh `Calculations` bounded by
    `settings`; it is closed (every calculation stopped) when the application shuts down.
    `hosts`, when given, are the only names (the Host header, port left out) a request may be
    addressed to; any other is refused with status 400 before anything else is read."""
    settings = settings or Settings()
    settings = replace(settings, threads=resolve_threads(settings.threads))
    calculations = calculations or Calculations(settings.running, settings.waiting)
    api = Api(settings, calculations)

    @contextlib.asynccontextmanager
    async def lifespan(_: Starlette) -> AsyncGenerator[None]:
        yield
        await asyncio.to_thread(calculations.close)

    api_routes = [
        Route("/games", api.games, methods=["GET"]),
        Route("/equity", api.answered(equity_query, run_equity), methods=["POST"]),
        Route("/equity/stream", api.streamed(equity_query, run_equity), methods=["POST"]),
        Route("/breakdown", api.answered(breakdown_query, run_breakdown), methods=["POST"]),
        Route("/breakdown/stream", api.streamed(breakdown_query, run_breakdown), methods=["POST"]),
        Route("/range", api.range, methods=["POST"]),
    ]
    # The API under a mount of its own, so that a route asked with the wrong method is a 405
    # rather than a file the page does not have.
    routes = [
        Mount("/api", routes=api_routes),
        Mount("/", StaticFiles(packages=[STATIC], html=True)),
    ]
    handlers = {Refusal: _refused, HTTPException: _http_error, Exception: _failed}
    middleware = [] if hosts is None else [Middleware(_HostCheck, hosts=tuple(hosts))]
    return Starlette(
        routes=routes, exception_handlers=handlers, lifespan=lifespan, middleware=middleware
    )


class _HostCheck:
    """Refuses, as JSON with status 400, a request addressed to a host not among `hosts`."""

    def __init__(self, app: ASGIApp, hosts: tuple[str, ...]) -> None:
        self.app = app
        self.hosts = hosts

    async def __call__(self, scope: Scope, receive: Receive, send: Send) -> None:
        if scope["type"] in ("http", "websocket"):
            host = Headers(scope=scope).get("host", "")
            name = host.rsplit(":", 1)[0] if not host.endswith("]") else host
            if name not in self.hosts:
                names = ", ".join(self.hosts)
                message = f"this server answers requests to {names}, not to {host!r}"
                await JSONResponse(error_data(message), 400)(scope, receive, send)
                return
        await self.app(scope, receive, send)


def _refused(request: Request, error: Exception) -> Response:
    assert isinstance(error, Refusal)
    headers = {"Retry-After": "1"} if error.status == BUSY else None
    return JSONResponse(error.data(), error.status, headers)


def _http_error(request: Request, error: Exception) -> Response:
    """Starlette's own refusals (no such route, a method the route does not take) as JSON."""
    assert isinstance(error, HTTPException)
    return JSONResponse(error_data(error.detail), error.status_code, error.headers)


def _failed(request: Request, error: Exception) -> Response:
    LOG.error("%s %s failed", request.method, request.url.path, exc_info=error)
    return JSONResponse(error_data(f"the server failed: {error!r}"), 500)

"""`vantor serve`: the application on uvicorn, on a socket bound before it starts, so that the
address printed is the one it listens on (a free port when none is asked for)."""

from __future__ import annotations

import ipaddress
import socket
import webbrowser
from typing import cast

import uvicorn

from .app import LOOPBACK_HOSTS, create_app
from .settings import Settings

# Seconds the server waits at shutdown for streams to end before it stops them.
GRACE_SECONDS = 1


def listen(host: str, port: int) -> socket.socket:
    """A listening socket on `host` and `port` (0: a free port). Raises OSError when the address
    cannot be had."""
    family = socket.AF_INET6 if ":" in host else socket.AF_INET
    return socket.create_server((host, port), family=family)


def address(listener: socket.socket) -> str:
    """The page's address on `listener`."""
    host, port = cast("tuple[str, int]", listener.getsockname()[:2])
    shown = f"[{host}]" if ":" in host else host
    return f"http://{shown}:{port}/"


def serve(listener: socket.socket, settings: Settings, open_browser: bool = False) -> None:
    """Serves the page and the API on `listener` until Ctrl-C (or SIGTERM). Logs only warnings
    and errors, and writes nothing to disk."""
    host = cast("str", listener.getsockname()[0])
    # On a loopback address the page is this machine's alone, and answers to its names only;
    # listening elsewhere was asked for, and takes any name.
    hosts = LOOPBACK_HOSTS if ipaddress.ip_address(host).is_loopback else None
    config = uvicorn.Config(
        create_app(settings, hosts=hosts),
        log_level="warning",
        access_log=False,
        timeout_graceful_shutdown=GRACE_SECONDS,
    )
    if open_browser:
        webbrowser.open(address(listener))  # the socket listens: the browser's request waits
    uvicorn.Server(config).run(sockets=[listener])

"""What the web tests share: the server's events read back, and the server itself on a free
port of the loopback, in a thread of the test's process (for the browser and for a client that
hangs up)."""

import contextlib
import json
import threading

from vantorkit.web.app import create_app
from vantorkit.web.server import address, listen


def events(text):
    """The server-sent events of a stream's text, as (name, data) pairs."""
    found = []
    for block in text.split("\n\n"):
        fields = dict(line.split(": ", 1) for line in block.splitlines() if ": " in line)
        if "event" in fields:
            found.append((fields["event"], json.loads(fields["data"])))
    return found


@contextlib.contextmanager
def running_server(settings, calculations=None):
    """The page's address, with the server answering on it until the block ends."""
    import uvicorn

    listener = listen("127.0.0.1", 0)
    config = uvicorn.Config(
        create_app(settings, calculations), log_level="warning", timeout_graceful_shutdown=1
    )
    server = uvicorn.Server(config)
    thread = threading.Thread(target=server.run, kwargs={"sockets": [listener]}, daemon=True)
    thread.start()
    try:
        while not server.started:
            if not thread.is_alive():
                raise RuntimeError("the server did not start")
            thread.join(0.01)
        yield address(listener)
    finally:
        server.should_exit = True
        thread.join(30)

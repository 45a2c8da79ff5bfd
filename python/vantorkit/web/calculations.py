"""Calculations on threads of their own, a bounded number at once, each stoppable, each handing
what it finds to the event loop.

The module works with the interpreter lock released, so a calculation on a thread leaves the
event loop free, and calculations on several threads share the processors as the system
schedules them: a new one's first small batch comes through while long ones run. A calculation
is stopped by setting its `stop` event, which `equity` and `breakdown` look at before each call of
the module (a sampled batch takes at most about 100 ms on a free processor), so a stopped
calculation gives its thread back within about that.
"""

from __future__ import annotations

import asyncio
import contextlib
import logging
import threading
from collections import Counter
from collections.abc import Callable
from concurrent.futures import Future, ThreadPoolExecutor
from dataclasses import dataclass

from .queries import BUSY, Refusal

LOG = logging.getLogger("vantorkit.web")

# What a calculation says: an event name and its JSON data.
Data = dict[str, object]


@dataclass(frozen=True)
class Message:
    """One thing a calculation found: an estimate on the way ("estimate", "progress") or its
    last word ("result", "error" or "stopped"; `last` True)."""

    name: str
    data: Data | None
    last: bool = False


class Job:
    """One calculation: the event that stops it, and what it posts from its thread. Of the
    estimates on the way only the newest waits to be read (a slow reader skips the ones it
    missed, and a job holds one at most); the last message is always read, last."""

    def __init__(self, loop: asyncio.AbstractEventLoop) -> None:
        self.stop = threading.Event()
        self._loop = loop
        self._newest: Message | None = None
        self._last: Message | None = None
        self._ready = asyncio.Event()

    def post(self, name: str, data: Data) -> None:
        """From the calculation's thread: an estimate on the way."""
        self._hand_over(Message(name, data))

    def finish(self, name: str, data: Data | None) -> None:
        """From the calculation's thread: its last word."""
        self._hand_over(Message(name, data, last=True))

    def _hand_over(self, message: Message) -> None:
        try:
            self._loop.call_soon_threadsafe(self._receive, message)
        except RuntimeError:
            self.stop.set()  # the loop has closed: the server is going away

    def _receive(self, message: Message) -> None:
        if message.last:
            self._last = message
        elif self._last is None:
            self._newest = message
        self._ready.set()

    @property
    def outcome(self) -> str | None:
        """The last message's name once it has come: "result", "error" or "stopped"."""
        return None if self._last is None else self._last.name

    async def next(self) -> Message:
        """The newest estimate not yet read, or else the last message once it comes."""
        while True:
            await self._ready.wait()
            if self._newest is not None:
                message, self._newest = self._newest, None
                if self._last is None:
                    self._ready.clear()
                return message
            if self._last is not None:
                return self._last
            self._ready.clear()

    async def last(self) -> Message:
        """The last message, the estimates on the way skipped."""
        while not (message := await self.next()).last:
            pass
        return message


class Calculations:
    """At most `running` calculations at once, each on a thread of its own, and at most
    `waiting` more waiting in order of arrival for a thread; a calculation past both is refused
    with status 503. A client that names itself (`client`) has one calculation at a time: its new
    one stops the one before. Every job is created on the event loop's thread."""

    def __init__(self, running: int, waiting: int) -> None:
        self.running = running
        self.waiting = waiting
        self.admitted = 0  # running or waiting now
        self.submitted = 0  # since the start
        self.ended: Counter[str] = Counter()  # since the start, by outcome
        self._pool = ThreadPoolExecutor(running, thread_name_prefix="vantor-calculation")
        self._jobs: set[Job] = set()
        self._by_client: dict[str, Job] = {}

    def submit(self, work: Callable[[Job], None], client: str | None = None) -> Job:
        """A job running `work(job)` on a thread as soon as one is free; `work` reports through
        the job, and ends with `job.finish`. Raises Refusal (503) when too many wait already."""
        if self.admitted >= self.running + self.waiting:
            raise Refusal(
                BUSY,
                f"the server is busy: {self.running} calculations are running and {self.waiting}"
                " waiting; try again in a moment",
            )
        loop = asyncio.get_running_loop()
        job = Job(loop)
        if client is not None:
            previous = self._by_client.get(client)
            if previous is not None:
                previous.stop.set()
            self._by_client[client] = job
        self.admitted += 1
        self.submitted += 1
        self._jobs.add(job)
        future = self._pool.submit(_run, work, job)

        def done(future: Future[None]) -> None:
            if future.cancelled():
                job.finish("stopped", None)  # it never started: the server is closing
            with contextlib.suppress(RuntimeError):  # the loop has closed, and this with it
                loop.call_soon_threadsafe(self._forget, job, client)

        future.add_done_callback(done)
        return job

    def _forget(self, job: Job, client: str | None) -> None:
        # The job's last message was handed over before its thread ended, so it is here.
        self.ended[job.outcome or "unknown"] += 1
        self.admitted -= 1
        self._jobs.discard(job)
        if client is not None and self._by_client.get(client) is job:
            del self._by_client[client]

    def close(self) -> None:
        """Stops every calculation and waits for their threads to end."""
        for job in self._jobs:
            job.stop.set()
        self._pool.shutdown(wait=True, cancel_futures=True)


def _run(work: Callable[[Job], None], job: Job) -> None:
    """`work` on a calculation's thread; a job stopped while it waited does not start, and a
    fault in `work` is the job's last word rather than a silent end."""
    if job.stop.is_set():
        job.finish("stopped", None)
        return
    try:
        work(job)
    except Exception as error:
        LOG.exception("a calculation failed")
        job.finish("error", {"error": f"the calculation failed: {error!r}"})

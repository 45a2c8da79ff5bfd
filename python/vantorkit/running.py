"""Many calls of the module: on several threads, and stoppable from another thread between calls.

The module works with the interpreter lock released, so calls on a pool of threads run at once.
A call in progress cannot be stopped from another thread (only Ctrl-C reaches it, on the main
thread), so a caller's stop signal is looked at before each call starts; a call takes at most
about 100 ms in the kit's use (a sampled batch) or one part's walk.
"""

from __future__ import annotations

import threading
from collections.abc import Callable, Sequence
from concurrent.futures import ThreadPoolExecutor
from typing import Protocol, TypeVar

T = TypeVar("T")


class StopSignal(Protocol):
    """What a caller sets to stop a long computation: `threading.Event` is one."""

    def is_set(self) -> bool: ...


class StopRequested(Exception):
    """The caller's stop signal was found set; the entry points turn it into `Stopped`."""


def check(stop: StopSignal | None) -> None:
    """Raises StopRequested when `stop` is set."""
    if stop is not None and stop.is_set():
        raise StopRequested


def run_all(tasks: Sequence[Callable[[], T]], threads: int, stop: StopSignal | None) -> list[T]:
    """Every task's value, in order, computed on `threads` threads (the calling thread alone for
    one), each thread taking every `threads`-th task: one hand-over a thread, however small the
    tasks. Raises StopRequested when `stop` is found set before a task starts; the tasks not yet
    started are then dropped, and so they are when a task raises or Ctrl-C arrives."""
    if threads <= 1 or len(tasks) <= 1:
        return _run_in_turn(tasks, stop, None)
    failed = threading.Event()
    shares = [tasks[first::threads] for first in range(threads)]
    with ThreadPoolExecutor(threads) as pool:
        futures = [pool.submit(_run_in_turn, share, stop, failed) for share in shares]
        try:
            done = [future.result() for future in futures]
        except BaseException:
            failed.set()
            raise
    found: list[T] = []
    for index in range(len(tasks)):
        found.append(done[index % threads][index // threads])
    return found


def _run_in_turn(
    tasks: Sequence[Callable[[], T]], stop: StopSignal | None, failed: threading.Event | None
) -> list[T]:
    found: list[T] = []
    for task in tasks:
        check(stop)
        if failed is not None and failed.is_set():
            raise StopRequested  # another thread failed; its error is the one raised
        try:
            found.append(task())
        except BaseException:
            if failed is not None:
                failed.set()
            raise
    return found

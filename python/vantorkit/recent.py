"""Values computed last, kept so that a run's many calls compute each once."""

from __future__ import annotations

from collections.abc import Callable, Hashable
from typing import Generic, TypeVar

K = TypeVar("K", bound=Hashable)
V = TypeVar("V")


class Recent(Generic[K, V]):
    """`compute(key)`, kept for the next call with the same key: at most `most` values, all
    dropped once that many are kept (a run asks for the same few keys again and again). Threads
    may share it: at worst a value is computed twice."""

    def __init__(self, compute: Callable[[K], V], most: int = 64) -> None:
        self._compute = compute
        self._most = most
        self._values: dict[K, V] = {}

    def __call__(self, key: K) -> V:
        try:
            return self._values[key]
        except KeyError:
            pass
        value = self._compute(key)
        if len(self._values) >= self._most:
            self._values.clear()
        self._values[key] = value
        return value

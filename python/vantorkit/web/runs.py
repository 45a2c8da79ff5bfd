"""`equity` and `breakdown` run for a job, on its thread: each estimate posted as it comes, and
the answer, the refusal or the estimate at the stop as the last word. The data are what `vantor
--json` prints for the same question."""

from __future__ import annotations

from collections.abc import Callable
from typing import TypedDict

from ..breakdown import breakdown
from ..breakdown_result import Progress, plain_data
from ..estimate import Equity, ExactChoice, Stopped, equity, equity_data
from ..running import StopSignal
from .calculations import Data, Job
from .queries import Query, spot_refusal


class RunSettings(TypedDict):
    """How `equity` and `breakdown` run for a query."""

    precision: float | None
    seconds: float
    exact: ExactChoice
    threads: int
    seed: int
    stop: StopSignal


def run_equity(query: Query, threads: int, job: Job) -> None:
    """Every seat's equity, an "estimate" after each sampled batch, then the "result"."""

    def progress(estimate: Equity) -> None:
        job.post("estimate", equity_data(estimate))

    settings = _settings(query, threads, job)
    _answer(job, query, lambda: equity_data(equity(*_fields(query), progress=progress, **settings)))


def run_breakdown(query: Query, threads: int, job: Job) -> None:
    """The seat's hands, a "progress" every few hands, then the "result"."""

    def progress(done: Progress) -> None:
        job.post("progress", progress_data(done))

    settings = _settings(query, threads, job)
    _answer(
        job,
        query,
        lambda: plain_data(breakdown(*_fields(query), query.seat, progress=progress, **settings)),
    )


def _fields(query: Query) -> tuple[str, list[str], str, str]:
    spot = query.spot
    return spot.game, list(spot.hands), spot.board, spot.dead


def _settings(query: Query, threads: int, job: Job) -> RunSettings:
    return RunSettings(
        precision=query.precision,
        seconds=query.seconds,
        exact=query.exact,
        threads=threads,
        seed=query.seed,
        stop=job.stop,
    )


def _answer(job: Job, query: Query, answer: Callable[[], Data]) -> None:
    """The job's last word: the answer, the refusal (as a client is told it), or the estimate
    when the job was stopped (None where there was none: a walk, a breakdown)."""
    try:
        found = answer()
    except Stopped as stopped:
        job.finish("stopped", None if stopped.result is None else equity_data(stopped.result))
    except ValueError as error:
        job.finish("error", spot_refusal(str(error), query.spot).data())
    else:
        job.finish("result", found)


def progress_data(done: Progress) -> Data:
    return {
        "hands_done": done.hands_done,
        "hands": done.hands,
        "deals": done.deals,
        "seconds": done.seconds,
    }

"""`equity` and `breakdown` run for a job, on its thread: each estimate posted as it comes, and
the answer, the refusal or the estimate at the stop as the last word. The data are what `vantor
--json` prints for the same question."""

from __future__ import annotations

from ..breakdown import breakdown
from ..breakdown_result import Progress, plain_data
from ..estimate import Equity, Stopped, equity, equity_data
from .calculations import Job
from .queries import Query, spot_refusal


def run_equity(query: Query, threads: int, job: Job) -> None:
    """Every seat's equity, an "estimate" after each sampled batch, then the "result"."""
    spot = query.spot

    def progress(estimate: Equity) -> None:
        job.post("estimate", equity_data(estimate))

    try:
        result = equity(
            spot.game,
            spot.hands,
            spot.board,
            spot.dead,
            precision=query.precision,
            seconds=query.seconds,
            exact=query.exact,
            threads=threads,
            seed=query.seed,
            progress=progress,
            stop=job.stop,
        )
    except Stopped as stopped:
        job.finish("stopped", None if stopped.result is None else equity_data(stopped.result))
    except ValueError as error:
        job.finish("error", spot_refusal(str(error), spot).data())
    else:
        job.finish("result", equity_data(result))


def run_breakdown(query: Query, threads: int, job: Job) -> None:
    """The seat's hands, a "progress" every few hands, then the "result"."""
    spot = query.spot

    def progress(done: Progress) -> None:
        job.post("progress", progress_data(done))

    try:
        result = breakdown(
            spot.game,
            spot.hands,
            spot.board,
            spot.dead,
            query.seat,
            precision=query.precision,
            seconds=query.seconds,
            exact=query.exact,
            threads=threads,
            seed=query.seed,
            progress=progress,
            stop=job.stop,
        )
    except Stopped:
        job.finish("stopped", None)
    except ValueError as error:
        job.finish("error", spot_refusal(str(error), spot).data())
    else:
        job.finish("result", plain_data(result))


def progress_data(done: Progress) -> dict[str, object]:
    return {
        "hands_done": done.hands_done,
        "hands": done.hands,
        "deals": done.deals,
        "seconds": done.seconds,
    }

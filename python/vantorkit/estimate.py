"""`equity`: a spot's equities to a chosen precision, exactly where that is cheap.

How it decides and proceeds:

- Exact or sampled. With `exact="auto"` the spot is walked when an upper bound on its deals
  (`deal_bound`) is at most two million, or at most what sampling to the target would draw
  anyway (four times (0.5 / precision)², since a walked deal costs a fraction of a sampled one).
  A walk of two million deals takes 5 to 200 ms, depending on the game. A spot past the module's
  limit, or with weighted fields, is walked in parts (`walks`), by "auto" where the deals of the
  parts it walks are as cheap by the same rule.
- Batches. Batch k is seeded so that no two batches share a generator (see `batches`), so a seed
  reproduces the whole sequence. The first batch draws 4,096 deals; each next one is sized from
  the largest standard error so far (the error falls as one over the square root of the deals),
  at most four times the previous batch, and small enough that one call of the module stays
  within about 100 ms, so that `progress` hears of the run often. (Ctrl-C needs no such bound:
  the module looks for signals while it works and stops the call.) The call's cost is counted
  from the results so far, not timed: a seat's hand drawn costs one unit, whether the deal is
  then kept or rejected (the sampler's acceptance tells how many draws a deal takes), and a
  thread gets 400,000 units a call, which is 30 to 70 ms (75 to 170 ns a unit) in every game
  measured. So the sizes depend on nothing but the results so far, never on timing, and a seed
  gives the same batches on every run.
- Stopping. Sampling stops when every seat's standard error is at or below `precision` and the
  batches are worth at least 5 / precision deals (so that a seat whose outcome has not varied
  yet, whose error still reads 0, cannot end the run early), or once `seconds` have passed,
  which the last call may overrun by its own length. A caller's `stop` event is looked at
  before every call of the module, so that another thread can end a run (`Stopped`).
"""

from __future__ import annotations

import math
import secrets
import time
from collections.abc import Callable, Sequence
from dataclasses import dataclass
from typing import TYPE_CHECKING, Literal, Protocol

import vantor

from .batches import Batch, batch, resolve_threads, width
from .catalogue import games
from .merging import merge
from .requests import Request, kit_request, read_request
from .running import StopRequested, StopSignal
from .seeds import batch_seed, check_seed
from .spots import Spot, deal_bound
from .walks import MOST_SPLITS, WALK_LIMIT, walk, walked_deals

if TYPE_CHECKING:
    from vantor import Result

Method = Literal["exact", "sampled"]
Reason = Literal["running", "exact", "precision", "seconds", "interrupted", "stopped"]
ExactChoice = Literal["auto", "always", "never"]

DEFAULT_PRECISION = 0.001
CHEAP_DEALS = 2_000_000
WALK_ADVANTAGE = 4
FIRST_BATCH = 4_096
GROWTH = 4
CALL_UNITS_PER_THREAD = 400_000
# Aim a little below the target, so that the batch sized to reach it usually does.
MARGIN = 1.1
LEAST_DEALS_TIMES_PRECISION = 5


@dataclass(frozen=True)
class SeatEquity:
    """One seat's figures (see the module's result dictionary for each one's meaning)."""

    hand: str
    equity: float
    win: float
    tie: float
    scoop: float
    low_equity: float
    high_win: float
    high_tie: float
    low_win: float
    low_tie: float
    std_error: float


@dataclass(frozen=True)
class Equity:
    """What `equity` found.

    `method` is "exact" (every deal walked, errors 0) or "sampled". `reason` says why it stopped:
    "exact", "precision" (every error at or below the target), "seconds", "interrupted" (the
    estimate carried by `Interrupted`), "stopped" (the one carried by `Stopped`), or "running" for
    the intermediate estimates `progress` receives. `deals` counts the deals walked or sampled;
    `raw` is the merged result dictionary and `batches` the sampled batches behind it, which
    `merge` accepts. `seed` is the seed of the batch sequence (None for a walk); with `threads`
    it reproduces the batches.
    """

    spot: Spot
    seats: tuple[SeatEquity, ...]
    method: Method
    reason: Reason
    deals: int
    seconds: float
    precision: float | None
    seed: int | None
    threads: int
    batches: tuple[Batch, ...]
    raw: Result

    @property
    def error(self) -> float:
        """The largest standard error of any seat's equity."""
        return max(seat.std_error for seat in self.seats)

    @property
    def hi_lo(self) -> bool:
        """Whether the game splits pots between a high and a low hand."""
        game = games().get(self.spot.game)
        return game is not None and game.facts.hi_lo


class Run(Protocol):
    """How an answer was found: what `Equity` and `Breakdown` both record."""

    @property
    def method(self) -> Method: ...
    @property
    def reason(self) -> str: ...
    @property
    def deals(self) -> int: ...
    @property
    def seconds(self) -> float: ...
    @property
    def precision(self) -> float | None: ...
    @property
    def seed(self) -> int | None: ...
    @property
    def threads(self) -> int: ...


def run_data(run: Run) -> dict[str, object]:
    """How an answer was found, as plain data (for JSON)."""
    return {
        "method": run.method,
        "reason": run.reason,
        "deals": run.deals,
        "seconds": run.seconds,
        "precision": run.precision,
        "seed": run.seed,
        "threads": run.threads,
    }


def equity_data(result: Equity) -> dict[str, object]:
    """The result as plain data (what `vantor --json` prints): the spot, how the answer was found,
    the figures per seat, and the module's merged dictionary under "result" (which
    `vantorkit.merge` takes back)."""
    return {
        "game": result.spot.game,
        "hands": list(result.spot.hands),
        "board": result.spot.board,
        "dead": result.spot.dead,
        **run_data(result),
        "seats": [
            {"hand": hand, **figures}
            for hand, figures in zip(result.spot.hands, result.raw["players"])
        ],
        "result": result.raw,
    }


class Interrupted(KeyboardInterrupt):
    """Raised by `equity` when Ctrl-C stops it. It is a KeyboardInterrupt, so a program that does
    not catch it stops as on any Ctrl-C; one that does finds the estimate so far in `result`
    (None when not even the first batch had finished)."""

    def __init__(self, result: Equity | None) -> None:
        deals = f"after {result.deals:,} deals" if result is not None else "before any deal"
        super().__init__(f"interrupted {deals}")
        self.result = result


class Stopped(Exception):
    """Raised by `equity` and `breakdown` when the caller's `stop` signal is set (from another
    thread, say a web server's request being cancelled). For a sampled `equity`, `result` holds
    the estimate so far; otherwise it is None."""

    def __init__(self, result: Equity | None) -> None:
        deals = f"after {result.deals:,} deals" if result is not None else "before an answer"
        super().__init__(f"stopped {deals}")
        self.result = result


def equity(
    game: str,
    hands: Sequence[str],
    board: str = "",
    dead: str = "",
    *,
    precision: float | None = None,
    seconds: float | None = None,
    exact: ExactChoice = "auto",
    threads: int = 0,
    seed: int | None = None,
    progress: Callable[[Equity], object] | None = None,
    stop: StopSignal | None = None,
) -> Equity:
    """Every seat's equity in a spot, to a chosen precision. The hand fields are the module's
    text notation, with weights (`KK:0.5`, `AKs:25%`) and fixed-top spans (`A5s-A2s`).

    Walks every deal when `exact` is "always", or "auto" and the walk is cheap; samples otherwise,
    in batches with distinct seeds, merged, until every seat's standard error is at most
    `precision` or `seconds` run out. With neither given, the target is 0.001; with only
    `seconds`, sampling runs that long. A spot of more than 50,000,000 deals is walked in parts,
    cut by the hands of one seat or two (parts alike up to a renaming of suits walked once).

    `threads`: pieces per batch, and parts walked at once (0: `vantor.default_thread_count()`).
    `seed`: the seed of the batch sequence; None draws a fresh 64-bit one (found in the result).
    The same seed, threads and arguments give the same batches. `progress` is called with each
    intermediate estimate; `stop` (a `threading.Event`, say) is looked at before each call of the
    module, so that another thread can end the run.

    Raises ValueError for a request the module refuses, a bad argument, or `exact="always"` on a
    spot too large to walk even in parts; `Interrupted` (a KeyboardInterrupt carrying the estimate
    so far) on Ctrl-C; `Stopped` (carrying the estimate so far, when sampling) once `stop` is set.
    """
    started = time.perf_counter()
    spot = Spot(game, hands, board, dead)
    target, threads, seed = run_settings(precision, seconds, exact, threads, seed)
    request = kit_request(spot)

    if exact != "never":
        try:
            walked = _walk(spot, request, exact, target, threads, stop)
        except KeyboardInterrupt as error:
            raise Interrupted(None) from error
        except StopRequested:
            raise Stopped(None) from None
        if walked is not None:
            elapsed = time.perf_counter() - started
            return _result(spot, walked, (), "exact", "exact", elapsed, target, None, threads)
        if exact == "always":
            raise ValueError(
                f"this spot is too large to walk: cut by the hands of {MOST_SPLITS} seats, a part"
                f" of it still has more than {WALK_LIMIT:,} deals; sample it (exact 'auto' or"
                " 'never') or name more cards"
            )
    return sample(spot, target, seconds, threads, seed, progress, stop, started)


def _walk(
    spot: Spot,
    request: Request | None,
    exact: ExactChoice,
    target: float | None,
    threads: int,
    stop: StopSignal | None,
) -> Result | None:
    """Every deal walked, where `exact` asks for it and, for "auto", where that is cheap: the
    deals walked (parts alike counted once) at most `cheap_deals`. None when declined."""
    cheap = cheap_deals(target)
    if request is None:
        bound = deal_bound(spot)
        if bound is None:
            read_request(spot)  # the spot does not read: the module says why
            raise AssertionError("the module took a spot the kit cannot read")
        if exact == "always" or bound <= cheap:
            whole = vantor.exact_from_text(spot.game, spot.hands, spot.board, spot.dead)
            if whole is not None:
                return whole
        request = read_request(spot)
    if exact == "auto" and walked_deals(request, cheap) is None:
        return None
    return walk(request, threads, stop)


def run_settings(
    precision: float | None, seconds: float | None, exact: object, threads: object, seed: object
) -> tuple[float | None, int, int]:
    """The precision to sample to, the threads and the seed of a run, each argument checked:
    the target is 0.001 when neither `precision` nor `seconds` is given, `threads=0` stands for
    the default count and `seed=None` for a fresh 64-bit seed."""
    check_positive("precision", precision)
    check_positive("seconds", seconds)
    if exact not in ("auto", "always", "never"):
        raise ValueError(f"exact must be 'auto', 'always' or 'never', not {exact!r}")
    target = DEFAULT_PRECISION if precision is None and seconds is None else precision
    return (
        target,
        resolve_threads(threads),
        secrets.randbits(64) if seed is None else check_seed(seed),
    )


def check_positive(name: str, value: object) -> None:
    if value is not None and (
        isinstance(value, bool) or not isinstance(value, (int, float)) or not 0 < value < math.inf
    ):
        raise ValueError(f"{name} must be a positive number, not {value!r}")


def cheap_deals(target: float | None) -> float:
    """How many deals `exact="auto"` walks rather than sample to `target`."""
    sampling = WALK_ADVANTAGE * (0.5 / target) ** 2 if target is not None else 0.0
    return max(CHEAP_DEALS, sampling)


def sample(
    spot: Spot,
    target: float | None,
    seconds: float | None,
    threads: int,
    seed: int,
    progress: Callable[[Equity], object] | None,
    stop: StopSignal | None,
    started: float,
) -> Equity:
    """`spot` sampled in batches until `target` or `seconds` (see the module's docstring). Raises
    Interrupted on Ctrl-C and Stopped when `stop` is set, each carrying the estimate so far."""
    # Batches so far and their merge, replaced in one assignment so that an interrupt anywhere
    # leaves a consistent pair.
    done: tuple[tuple[Batch, ...], Result | None] = ((), None)

    def estimate(reason: Reason) -> Equity:
        batches, merged = done
        assert merged is not None
        elapsed = time.perf_counter() - started
        return _result(spot, merged, batches, "sampled", reason, elapsed, target, seed, threads)

    calls = width(spot)
    size = FIRST_BATCH
    try:
        while True:
            if stop is not None and stop.is_set():
                raise Stopped(estimate("stopped") if done[1] is not None else None)
            index = len(done[0]) * calls
            record = batch(spot, size, batch_seed(seed, index, threads), threads)
            merged = record.result if done[1] is None else merge([done[1], record.result])
            done = (done[0] + (record,), merged)
            if progress is not None:
                progress(estimate("running"))
            if target is not None and _reached(merged, target):
                return estimate("precision")
            if seconds is not None and time.perf_counter() - started >= seconds:
                return estimate("seconds")
            size = _next_size(merged, size, target, threads)
    except KeyboardInterrupt as error:
        raise Interrupted(estimate("interrupted") if done[1] is not None else None) from error


def _largest_error(result: Result) -> float:
    return max(seat["std_error"] for seat in result["players"])


def _reached(result: Result, target: float) -> bool:
    enough = result["effective_samples"] >= LEAST_DEALS_TIMES_PRECISION / target
    return enough and _largest_error(result) <= target


def _next_size(result: Result, last: int, target: float | None, threads: int) -> int:
    """The next batch's deals: what the errors so far say reaches the target, within growth and
    per-call bounds. Depends on the results only, so that a seed reproduces the sequence."""
    units_per_deal = len(result["players"]) / max(result["acceptance"], 1e-9)
    most = max(1, min(last * GROWTH, int(CALL_UNITS_PER_THREAD * threads / units_per_deal)))
    if target is None:
        return most
    samples = result["samples"]
    error = _largest_error(result)
    wanted = math.ceil(samples * (error / target) ** 2 * MARGIN) - samples if error > 0 else 0
    # The least deals count as effective deals; a weighted batch's are worth fewer.
    effective = result["effective_samples"]
    short = LEAST_DEALS_TIMES_PRECISION / target - effective
    if short > 0:
        wanted = max(wanted, math.ceil(short * samples / max(effective, 1.0)))
    return min(max(wanted, FIRST_BATCH), most)


def _result(
    spot: Spot,
    raw: Result,
    batches: tuple[Batch, ...],
    method: Method,
    reason: Reason,
    seconds: float,
    target: float | None,
    seed: int | None,
    threads: int,
) -> Equity:
    seats = tuple(SeatEquity(hand=hand, **seat) for hand, seat in zip(spot.hands, raw["players"]))
    return Equity(
        spot, seats, method, reason, raw["samples"], seconds, target, seed, threads, batches, raw
    )

"""`breakdown`: how each hand of one seat's field fares against the other seats.

The seat's field is cut into its hands (see `parts`): the part where the seat holds hand h has
every deal of the request in which it does, so its figures are h's own, and its deals, each
weighing the product of the other seats' weights, times h's weight, are h's share of the seat's
weight after card removal. Hands alike up to a renaming of suits that keeps the request (weights
included) have the same figures and the same share: one of them is answered for all.

Each part is walked where that is cheap, or else sampled to the precision asked, as `equity`
does; a sampled part's deals are counted exactly (`counting`), so that only its figures carry an
error. The seat's figures over all its hands are the parts' figures averaged by their deals, so
they are `equity`'s answer for the whole spot, and the errors of independent parts combine.
"""

from __future__ import annotations

import time
from collections.abc import Callable, Sequence
from functools import partial

from .breakdown_result import (
    Answer,
    Breakdown,
    Progress,
    class_rows,
    figures,
    hand_rows,
    seat_rows,
)
from .estimate import (
    ExactChoice,
    Interrupted,
    Method,
    Stopped,
    cheap_deals,
    run_settings,
    sample,
)
from .masks import cards_of
from .parts import is_splittable, no_deal, weighted_hands
from .requests import Request, read_request
from .running import StopRequested, StopSignal, run_all
from .seeds import batch_seed
from .spots import Spot
from .stratified import weighted_deals
from .symmetry import canonical, invariant_renamings
from .walks import walk, walked_deals

# Each part's batches are a sequence of their own: part j's calls start 2**32 calls after part
# j-1's, far more than one part ever makes, so no two parts share a generator.
CALLS_PER_PART = 1 << 32
# Parts walked between two reports to `progress`, for each thread.
PARTS_PER_REPORT = 8
# Hands alike: their card masks, the representative first, and each one's weight.
Alike = tuple[tuple[int, ...], float]


def breakdown(
    game: str,
    hands: Sequence[str],
    board: str = "",
    dead: str = "",
    seat: int = 0,
    *,
    precision: float | None = None,
    seconds: float | None = None,
    exact: ExactChoice = "auto",
    threads: int = 0,
    seed: int | None = None,
    progress: Callable[[Progress], object] | None = None,
    stop: StopSignal | None = None,
) -> Breakdown:
    """For every hand `seat`'s field allows (seats counted from 0), its equity, win and tie (and
    the hi/lo figures) against the other seats, and its share of the seat's weight once the
    others, the board and the dead cards have removed what they remove; grouped by starting-hand
    class in hold'em and short deck. The notation is `equity`'s, weights and spans included.

    Each hand is walked where that is cheap (`exact="auto"`: no dearer a hand than `equity`
    walks a spot) or always (`exact="always"`); otherwise sampled until its standard error is at
    most `precision` (default 0.001), or for its share of `seconds`. `threads`, `seed` and
    `stop` as for `equity`; `progress` is called with a `Progress` every few hands.

    Raises ValueError for a request the module refuses, a bad argument, a seat whose field writes
    some of its cards to a rank or a suit and leaves others to be dealt (its hands would overlap),
    or `exact="always"` where a hand's part cannot be walked; Interrupted on Ctrl-C and Stopped
    once `stop` is set, neither with an estimate.
    """
    started = time.perf_counter()
    spot = Spot(game, hands, board, dead)
    target, threads, seed = run_settings(precision, seconds, exact, threads, seed)
    seat = _check_seat(seat, len(spot.hands))
    request = read_request(spot)
    if not is_splittable(request.seats[seat].alternatives, request.slots):
        raise ValueError(
            f"seat {seat + 1}'s field writes some cards to a rank or a suit and leaves others to"
            " be dealt, so its hands cannot be listed apart; name those cards, or write them all"
        )
    alike = _hands_alike(request, seat)
    parts = [request.with_hand(seat, cards_of(hands[0])) for hands, _ in alike]
    report = _Reporter(progress, len(parts), started)
    try:
        if exact == "always" or (exact == "auto" and _walks_are_cheap(parts, target)):
            answers = _walk(parts, alike, threads, stop, report)
            method: Method = "exact"
            reason = "exact"
        else:
            answers, reason = _sample(parts, alike, target, seconds, threads, seed, stop, report)
            method = "sampled"
    except KeyboardInterrupt as error:
        raise Interrupted(None) from error
    except (StopRequested, Stopped):
        raise Stopped(None) from None
    answered = [answer for answer in answers if answer.deals > 0]
    return Breakdown(
        spot.game,
        spot.hands,
        spot.board,
        spot.dead,
        seat,
        method,
        reason,
        sum(answer.work for answer in answers),
        time.perf_counter() - started,
        target if method == "sampled" else None,
        seed if method == "sampled" else None,
        threads,
        seat_rows(answered, spot.hands),
        tuple(hand_rows(answered, seat, request.slots == 2)),
        tuple(class_rows(answered, seat)) if request.slots == 2 else (),
    )


def _check_seat(seat: object, seats: int) -> int:
    if isinstance(seat, bool) or not isinstance(seat, int) or not 0 <= seat < seats:
        raise ValueError(f"seat must be from 0 to {seats - 1}, not {seat!r}")
    return seat


class _Reporter:
    """Calls `progress` with how far the breakdown is."""

    def __init__(
        self, progress: Callable[[Progress], object] | None, parts: int, started: float
    ) -> None:
        self.progress = progress
        self.parts = parts
        self.started = started

    def __call__(self, answers: Sequence[Answer]) -> None:
        if self.progress is not None:
            work = sum(answer.work for answer in answers)
            elapsed = time.perf_counter() - self.started
            self.progress(Progress(len(answers), self.parts, work, elapsed))


def _hands_alike(request: Request, seat: int) -> list[Alike]:
    """The seat's hands in classes alike up to a renaming of suits that keeps the request,
    weights included: each class's hands, its least first."""
    seats = [list(zip(field.alternatives, field.weights)) for field in request.seats]
    renamings = invariant_renamings(seats, request.board, request.dead)
    grouped: dict[int, list[int]] = {}
    weights = weighted_hands(request, seat)
    for hand in weights:
        grouped.setdefault(canonical(hand, renamings), []).append(hand)
    return [
        ((least, *sorted(set(members) - {least})), weights[least])
        for least, members in sorted(grouped.items())
    ]


def _walks_are_cheap(parts: list[Request], target: float | None) -> bool:
    """Whether every part together walks no more deals than `equity` walks for one spot each."""
    budget = cheap_deals(target) * len(parts)
    for part in parts:
        found = walked_deals(part, budget)
        if found is None:
            return False
        budget -= found
    return True


def _walk(
    parts: list[Request],
    alike: list[Alike],
    threads: int,
    stop: StopSignal | None,
    report: _Reporter,
) -> list[Answer]:
    """Every part walked, `threads` at once."""
    answers: list[Answer] = []
    step = PARTS_PER_REPORT * threads
    for start in range(0, len(parts), step):
        chosen = range(start, min(start + step, len(parts)))
        answers += run_all([partial(_walk_one, parts[i], alike[i]) for i in chosen], threads, stop)
        report(answers)
    return answers


def _walk_one(part: Request, alike: Alike) -> Answer:
    hands, weight = alike
    try:
        result = walk(part)
    except ValueError as error:
        if not no_deal(error):
            raise
        return Answer(hands, weight, 0.0, 0, (), 0)
    if result is None:
        raise ValueError(
            "a hand of this seat leaves a spot too large to walk, even cut by the hands of"
            " another seat; sample it (exact 'auto' or 'never') or name more cards"
        )
    seats = tuple(figures(seat) for seat in result["players"])
    deals = result["samples"]
    return Answer(hands, weight, result["weight_sum"], deals, seats, deals * len(hands))


def _sample(
    parts: list[Request],
    alike: list[Alike],
    target: float | None,
    seconds: float | None,
    threads: int,
    seed: int,
    stop: StopSignal | None,
    report: _Reporter,
) -> tuple[list[Answer], str]:
    """Every part sampled to `target` (or for its share of `seconds`), in turn; and "seconds"
    where some part ran out of time, else "precision"."""
    answers: list[Answer] = []
    reason = "precision"
    for index, (part, (hands, weight)) in enumerate(zip(parts, alike)):
        weighted, deals = weighted_deals(part)
        if deals == 0:
            answers.append(Answer(hands, weight, 0.0, 0, (), 0))
            continue
        own_seed = batch_seed(seed, index * CALLS_PER_PART, threads)
        share = None if seconds is None else seconds / len(parts)
        found = sample(part.spot, target, share, threads, own_seed, None, stop, time.perf_counter())
        if found.reason == "seconds":
            reason = "seconds"
        seats = tuple(figures(seat) for seat in found.raw["players"])
        answers.append(Answer(hands, weight, weighted, deals, seats, found.deals))
        report(answers)
    return answers, reason

"""What `breakdown` answers, and how it is put together from the answers of its parts.

Every type holds plain numbers and strings, so `dataclasses.asdict` of a `Breakdown` goes to
JSON as it is (`json.dumps(dataclasses.asdict(result))`): a web front end sends it unchanged.
"""

from __future__ import annotations

import math
from collections.abc import Sequence
from dataclasses import dataclass
from typing import TYPE_CHECKING, cast

from .estimate import Method, SeatEquity, run_data
from .masks import cards_of
from .names import alternative_name, hand_class

if TYPE_CHECKING:
    from vantor import Seat

# A seat's figures in the order of SeatEquity: equity, win, tie, scoop, low_equity, high_win,
# high_tie, low_win, low_tie, std_error (see the README's "Reading a result").
Figures = tuple[float, float, float, float, float, float, float, float, float, float]


@dataclass(frozen=True)
class HandEquity(SeatEquity):
    """One hand of the seat (`hand`, its highest card first) with its figures against the other
    seats; its starting-hand class (hold'em and short deck; None elsewhere), the weight its field
    gives it, its share of the seat's weight once the other seats, the board and the dead cards
    have removed what they remove, and the deals in which the seat holds it."""

    hand_class: str | None
    weight: float
    share: float
    deals: int


@dataclass(frozen=True)
class ClassEquity(SeatEquity):
    """A starting-hand class among the seat's hands (`hand`: "AKs"), with its hands' figures
    averaged by share; how many of its hands the field allows, and their share of the seat's
    weight."""

    hands: int
    share: float


@dataclass(frozen=True)
class Progress:
    """How far a breakdown is: hands answered of all the hands to answer (one for each class of
    hands alike), the deals walked or sampled so far, and the seconds since it started."""

    hands_done: int
    hands: int
    deals: int
    seconds: float


@dataclass(frozen=True)
class Breakdown:
    """What `breakdown` found: the spot (game, one field per seat, board, dead cards), the seat
    broken down (counted from 0), how (`method` "exact" or "sampled"; `reason` "exact",
    "precision" or "seconds"), the deals walked or sampled in all, the seconds taken, the
    precision each hand was sampled to, the seed (None for a walk) and threads; every seat's
    figures over all the seat's hands (`seats`, in seat order), the seat's hands best first
    (`hands`), and its starting-hand classes best first (`classes`, empty outside hold'em and
    short deck)."""

    game: str
    fields: tuple[str, ...]
    board: str
    dead: str
    seat: int
    method: Method
    reason: str
    deals: int
    seconds: float
    precision: float | None
    seed: int | None
    threads: int
    seats: tuple[SeatEquity, ...]
    hands: tuple[HandEquity, ...]
    classes: tuple[ClassEquity, ...]

    @property
    def overall(self) -> SeatEquity:
        """The broken-down seat's figures over all its hands."""
        return self.seats[self.seat]


@dataclass(frozen=True)
class Answer:
    """One class of the seat's hands alike, answered: its hands (card masks), each one's weight,
    the deals in which the seat holds one of them (each weighing the others' weights, and
    counted plainly), every seat's figures there, and the deals walked (all its hands') or
    sampled."""

    hands: tuple[int, ...]
    weight: float
    weighted_deals: float
    deals: int
    seats: tuple[Figures, ...]
    work: int


def figures(seat: Seat) -> Figures:
    """A seat of a result dictionary as Figures."""
    return (
        seat["equity"], seat["win"], seat["tie"], seat["scoop"], seat["low_equity"],
        seat["high_win"], seat["high_tie"], seat["low_win"], seat["low_tie"], seat["std_error"],
    )  # fmt: skip


def hand_rows(answers: Sequence[Answer], seat: int, two_cards: bool) -> list[HandEquity]:
    """Every hand of every answer with its share of the seat's weight, best first."""
    whole = _whole(answers)
    rows = [
        HandEquity(
            alternative_name(cards_of(hand)[::-1]),  # the highest card first
            *answer.seats[seat],
            hand_class=hand_class(hand) if two_cards else None,
            weight=answer.weight,
            share=answer.weight * answer.weighted_deals / whole,
            deals=answer.deals,
        )
        for answer in answers
        for hand in answer.hands
    ]
    rows.sort(key=lambda row: (-row.equity, row.hand))
    return rows


def class_rows(answers: Sequence[Answer], seat: int) -> list[ClassEquity]:
    """The answers grouped by starting-hand class (a renaming of suits keeps a hand's class, so
    every hand of an answer is in one class), best first."""
    whole = _whole(answers)
    by_class: dict[str, list[Answer]] = {}
    for answer in answers:
        by_class.setdefault(hand_class(answer.hands[0]), []).append(answer)
    rows: list[ClassEquity] = []
    for name, members in by_class.items():
        parts = [(_mass(answer) / whole, answer.seats[seat]) for answer in members]
        share = math.fsum(mass for mass, _ in parts)
        hands = sum(len(answer.hands) for answer in members)
        rows.append(ClassEquity(name, *averaged(parts), hands=hands, share=share))
    rows.sort(key=lambda row: (-row.equity, row.hand))
    return rows


def seat_rows(answers: Sequence[Answer], fields: Sequence[str]) -> tuple[SeatEquity, ...]:
    """Every seat's figures over all the answers, averaged by their weight of deals."""
    return tuple(
        SeatEquity(field, *averaged([(_mass(answer), answer.seats[index]) for answer in answers]))
        for index, field in enumerate(fields)
    )


def averaged(parts: Sequence[tuple[float, Figures]]) -> Figures:
    """Figures averaged by the parts' masses; the standard error that of a sum of independent
    parts (the hands of one answer share its figures: its mass is theirs together)."""
    whole = math.fsum(mass for mass, _ in parts)
    if whole <= 0:
        return (0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0)
    means = [math.fsum(mass * values[i] for mass, values in parts) / whole for i in range(9)]
    spread = math.fsum((mass * values[9]) ** 2 for mass, values in parts)
    return cast("Figures", (*means, math.sqrt(spread) / whole))


def _mass(answer: Answer) -> float:
    """The answer's hands' weight of deals, all of them together."""
    return answer.weight * answer.weighted_deals * len(answer.hands)


def _whole(answers: Sequence[Answer]) -> float:
    return math.fsum(_mass(answer) for answer in answers)


def plain_data(result: Breakdown) -> dict[str, object]:
    """`dataclasses.asdict(result)`, field by field, for a caller held to static types (asdict
    is typed as holding Any): dictionaries, lists, strings and numbers, as JSON takes them."""
    return {
        "game": result.game,
        "fields": list(result.fields),
        "board": result.board,
        "dead": result.dead,
        "seat": result.seat,
        **run_data(result),
        "seats": [_seat_data(seat) for seat in result.seats],
        "hands": [
            {
                **_seat_data(row),
                "hand_class": row.hand_class,
                "weight": row.weight,
                "share": row.share,
                "deals": row.deals,
            }
            for row in result.hands
        ],
        "classes": [
            {**_seat_data(row), "hands": row.hands, "share": row.share} for row in result.classes
        ],
    }


def _seat_data(seat: SeatEquity) -> dict[str, object]:
    # Field by field, as plain_data() is: asdict() and getattr() are typed as giving Any.
    return {
        "hand": seat.hand,
        "equity": seat.equity,
        "win": seat.win,
        "tie": seat.tie,
        "scoop": seat.scoop,
        "low_equity": seat.low_equity,
        "high_win": seat.high_win,
        "high_tie": seat.high_tie,
        "low_win": seat.low_win,
        "low_tie": seat.low_tie,
        "std_error": seat.std_error,
    }

"""A request cut into parts whose deals together are the request's deals, each part a request the
module answers: one per weight class of every seat, and one per hand of a seat.

- Weight classes: a seat's alternatives grouped by their weight. A deal gives each seat one
  alternative, so it belongs to exactly one choice of a class per seat, and weighs the product of
  those classes' weights; the parts are those choices.
- Hands: a seat's field allows some hands (sets of cards; one allowed by two alternatives is two
  hands, as the module counts it). The part where the seat holds one hand has every deal of the
  request in which it does. Parts alike up to a renaming of suits that leaves the request as it
  is (see `symmetry`) have equal sums, so one of them stands for all: its `copies`.
"""

from __future__ import annotations

from collections import Counter
from collections.abc import Iterator, Sequence
from dataclasses import dataclass, replace
from itertools import combinations, product
from math import prod

from .fields import Field
from .masks import Masks, cards_of, certainly_named, named, union
from .requests import Request
from .spots import bound_for, hands_within
from .symmetry import Renaming, canonical, invariant_renamings

# What the module answers for a part in which no deal exists, where the whole request has deals.
NO_DEAL = ("Found duplicated card", "is not in this game's deck", "No deal can satisfy")
# Slot mask -> the rank it allows: any card of one rank, the masks razz pins.
RANK_SLOTS = frozenset(0xF << 4 * rank for rank in range(13))


@dataclass(frozen=True)
class Part:
    """Part of a request: each seat's alternatives in it, the weight every deal of it carries in
    the request, and how many parts alike it stands for."""

    seats: tuple[tuple[Masks, ...], ...]
    weight: float = 1.0
    copies: int = 1


def weight_classes(request: Request) -> list[Part]:
    """One part per choice of a weight class for every seat, weighing the product of their
    weights; a request without weights is one part."""
    per_seat: list[list[tuple[float, tuple[Masks, ...]]]] = []
    for field in request.seats:
        classes: dict[float, list[Masks]] = {}
        for alternative, weight in zip(field.alternatives, field.weights):
            classes.setdefault(weight, []).append(alternative)
        per_seat.append([(weight, tuple(found)) for weight, found in classes.items()])
    return [
        Part(tuple(seat for _, seat in choice), prod(weight for weight, _ in choice))
        for choice in product(*per_seat)
    ]


def module_request(request: Request, part: Part) -> tuple[list[list[list[int]]], list[int], int]:
    """The part as the module's mask form takes it: hands, board, dead."""
    seats = [[list(slots) for slots in alternatives] for alternatives in part.seats]
    return seats, list(request.board), request.dead


def no_deal(error: ValueError) -> bool:
    """Whether the module refused a part because none of its deals exists."""
    return any(reason in str(error) for reason in NO_DEAL)


def is_pinned(request: Request, part: Part) -> bool:
    """Whether the module's walk would pin the part's ranks (see `GameFacts.pins_ranks`)."""
    if not request.game.facts.pins_ranks or any(len(seat) != 1 for seat in part.seats):
        return False
    slots = [mask for seat in part.seats for mask in seat[0]] + list(request.board)
    return any(mask in RANK_SLOTS for mask in slots)


def deal_bound(request: Request, part: Part) -> int:
    """An upper bound on the part's deals (see `vantorkit.deal_bound`)."""
    return bound_for(request.game, part.seats, request.board, request.dead)


def split_seat(request: Request, part: Part) -> int | None:
    """The seat whose hands cut the part into the most parts, among the seats that can be cut
    (see `is_splittable`) and allow more than one hand; None when there is none."""
    candidates = [
        (sum(hands_within(slots, request.live, request.slots) for slots in alternatives), seat)
        for seat, alternatives in enumerate(part.seats)
        if is_splittable(alternatives, request.slots)
    ]
    hands, seat = max(candidates, default=(0, -1))
    return seat if hands > 1 else None


def is_splittable(alternatives: Sequence[Masks], slots: int) -> bool:
    """Whether each hand of the seat can stand as a part of its own: each alternative writes every
    card the seat holds, or names every card it writes (the rest left to be dealt, as in the
    whole). A short alternative with other slots would count some hands more than once."""
    return all(
        len(alternative) == slots or all(mask.bit_count() == 1 for mask in alternative)
        for alternative in alternatives
    )


def split(request: Request, part: Part, seat: int) -> list[Part]:
    """The part cut by the hands of `seat`: one part per class of hands alike up to a renaming
    of suits that keeps the part, holding one of them, with `copies` the hands it stands for."""
    renamings = renamings_of(request, part)
    copies: Counter[int] = Counter()
    for hand, count in seat_hands(request, part, seat).items():
        copies[canonical(hand, renamings)] += count
    return [
        replace(
            part,
            seats=part.seats[:seat] + ((cards_of(hand),),) + part.seats[seat + 1 :],
            copies=part.copies * count,
        )
        for hand, count in sorted(copies.items())
    ]


def renamings_of(request: Request, part: Part) -> tuple[Renaming, ...]:
    """The renamings of suits that keep the part as it is (see `symmetry`)."""
    seats = [[(slots, 1.0) for slots in alternatives] for alternatives in part.seats]
    return invariant_renamings(seats, request.board, request.dead)


def seat_hands(request: Request, part: Part, seat: int) -> Counter[int]:
    """Every hand `seat` may hold in the part, as a card mask, with the number of its
    alternatives that allow it. Cards the others certainly hold are left out: no deal has them."""
    available = _available(request, part.seats, seat)
    hands: Counter[int] = Counter()
    for alternative in part.seats[seat]:
        hands.update(card_sets(alternative, available))
    return hands


def weighted_hands(request: Request, seat: int) -> dict[int, float]:
    """Every hand `seat` may hold, as a card mask, with its weight: the weights of the
    alternatives that allow it, added up."""
    seats = [field.alternatives for field in request.seats]
    return field_hands(request.seats[seat], _available(request, seats, seat))


def field_hands(field: Field, available: int) -> dict[int, float]:
    """Every hand of `available` cards that `field` allows, as a card mask, with its weight: the
    weights of the alternatives that allow it, added up."""
    hands: dict[int, float] = {}
    for alternative, weight in zip(field.alternatives, field.weights):
        for hand in card_sets(alternative, available):
            hands[hand] = hands.get(hand, 0.0) + weight
    return hands


def _available(request: Request, seats: Sequence[Sequence[Masks]], seat: int) -> int:
    """The live cards `seat` may take: not on the board, and not certainly another seat's."""
    taken = request.dead | named(request.board)
    for other, alternatives in enumerate(seats):
        if other != seat:
            taken |= certainly_named(alternatives)
    return request.live & ~taken


def card_sets(slots: Masks, available: int) -> Iterator[int]:
    """Each set of cards of `available` that can be dealt to `slots`, one card a slot, once."""
    masks = [mask & available for mask in slots]
    singles = [mask for mask in masks if mask.bit_count() == 1]
    if any(mask == 0 for mask in masks) or len(set(singles)) < len(singles):
        return
    fixed = union(singles)
    rest = [mask & ~fixed for mask in masks if mask.bit_count() != 1]
    if not rest:
        yield fixed
        return
    everything = available & ~fixed
    pool = [card for card in range(52) if union(rest) >> card & 1]
    for chosen in combinations(pool, len(rest)):
        if all(mask == everything for mask in rest) or _fits(rest, chosen):
            yield fixed | union([1 << card for card in chosen])


def _fits(slots: list[int], cards: tuple[int, ...]) -> bool:
    """Whether each slot gets its own card of `cards` (augmenting paths)."""
    owner: dict[int, int] = {}

    def place(slot: int, seen: set[int]) -> bool:
        for card in cards:
            if slots[slot] >> card & 1 and card not in seen:
                seen.add(card)
                if card not in owner or place(owner[card], seen):
                    owner[card] = slot
                    return True
        return False

    return all(place(slot, set()) for slot in range(len(slots)))

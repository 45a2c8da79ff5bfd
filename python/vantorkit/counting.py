"""How many deals a request allows, counted without dealing them: what the exact walk reports as
`samples` (with every card a slot allows, before any pinning of ranks).

A deal gives every seat one of its hands (a hand is a set of cards one of its alternatives
allows; a set two alternatives allow counts twice) and the board a set of cards its slots allow,
every card live and none used twice. The walk lists them; sampling weighted ranges needs only
their number, per part of a request, which this counts in far less time:

- Cards that every slot of the request treats alike are interchangeable, so the live cards fall
  into atoms (the cards with the same answer to "which slots take me?"), and a hand is counted by
  how many cards it takes from each atom: a composition, worth the product of C(left, taken)
  over the atoms. Whether a set of cards fits an alternative's slots depends on its composition
  alone (Hall's condition over the slots' masks), so each set is counted once.
- Slots that take any live card (`*`, and the cards a short field leaves to be dealt) are
  counted last, together, where an alternative names all its other cards: once every named
  card is placed, the open cards of all seats and the board are any distinct cards left, a
  multinomial count.
- The rest is a sum over the entities (seats, then the board) of what each takes, kept per
  state of the atoms' counts left, so that hands taking alike cards are counted once.
"""

from __future__ import annotations

import math
from collections.abc import Iterator, Sequence
from dataclasses import dataclass
from itertools import combinations

from .masks import Masks

# Compositions one alternative may take before counting is refused: the count would take long.
MOST_COMPOSITIONS = 200_000


@dataclass(frozen=True)
class _Take:
    """What one alternative takes: cards per atom (atom index -> count) and cards left open."""

    atoms: tuple[tuple[int, int], ...]
    open_cards: int


def deal_count(live: int, seats: Sequence[Sequence[Masks]], board: Masks) -> int:
    """The deals of a request: `live` the cards in play (the deck less the dead cards), `seats`
    each seat's alternatives and `board` the board's slots, every alternative and the board
    padded to their full size with slots of every card (as the module completes them)."""
    entities = [list(alternatives) for alternatives in seats] + [[board]]
    masks = {m & live for alternatives in entities for slots in alternatives for m in slots}
    constrained = sorted(m for m in masks if m != live and m)
    atoms = _atoms(live, constrained)
    atom_sets = {m: frozenset(i for i, cards in enumerate(atoms) if cards & m) for m in constrained}
    sizes = tuple(cards.bit_count() for cards in atoms)
    takes = [
        [take for slots in alternatives for take in _takes(slots, live, atom_sets, sizes)]
        for alternatives in entities
    ]
    # The open cards are chosen at the end, all entities' at once: perm(left, open) ways, over
    # the orders of each take's own open cards, j!. To keep to whole numbers, each entity's count
    # is scaled by the largest j! among its takes, divided out at the end.
    scales = [
        math.factorial(max((take.open_cards for take in entity), default=0)) for entity in takes
    ]
    states: dict[tuple[tuple[int, ...], int], int] = {(sizes, 0): 1}
    for entity, scale in zip(takes, scales):
        following: dict[tuple[tuple[int, ...], int], int] = {}
        for (left, pending), value in states.items():
            for take in entity:
                ways = value * (scale // math.factorial(take.open_cards))
                after = list(left)
                for atom, count in take.atoms:
                    ways *= math.comb(after[atom], count)
                    after[atom] -= count
                if ways:
                    key = (tuple(after), pending + take.open_cards)
                    following[key] = following.get(key, 0) + ways
        states = following
    total = sum(value * math.perm(sum(left), pending) for (left, pending), value in states.items())
    scaled, remainder = divmod(total, math.prod(scales))
    assert remainder == 0
    return scaled


def _atoms(live: int, constrained: list[int]) -> list[int]:
    """The live cards grouped by which constrained masks hold them, as card masks."""
    signatures = dict.fromkeys((card for card in range(52) if live >> card & 1), 0)
    for index, mask in enumerate(constrained):
        for card in _cards(mask & live):
            signatures[card] |= 1 << index
    by_signature: dict[int, int] = {}
    for card, signature in signatures.items():
        by_signature[signature] = by_signature.get(signature, 0) | 1 << card
    return list(by_signature.values())


def _cards(mask: int) -> Iterator[int]:
    while mask:
        low = mask & -mask
        yield low.bit_length() - 1
        mask ^= low


def _takes(
    slots: Masks, live: int, atom_sets: dict[int, frozenset[int]], sizes: tuple[int, ...]
) -> list[_Take]:
    """Every way one alternative may take cards, as compositions over the atoms."""
    masks = [m & live for m in slots]
    if any(m == 0 for m in masks):
        return []
    fixed = [m for m in masks if m != live]
    open_cards = len(masks) - len(fixed)
    if all(m.bit_count() == 1 for m in fixed):
        if len(set(fixed)) < len(fixed):
            return []  # a card named twice
        return [_Take(tuple((_only(atom_sets[m]), 1) for m in fixed), open_cards)]
    # Open slots may take a card of any atom; the others only of their own.
    held = [atom_sets[m] for m in fixed]
    reach = list(range(len(sizes))) if open_cards else sorted(frozenset[int]().union(*held))
    distinct = sorted(set(fixed))
    needs = [
        (frozenset[int]().union(*(atom_sets[m] for m in group)), sum(map(fixed.count, group)))
        for size in range(1, len(distinct) + 1)
        for group in combinations(distinct, size)
    ]
    found: list[_Take] = []
    for composition in _compositions(reach, sizes, len(masks)):
        # Hall's condition: every group of slots finds as many cards as it has slots.
        if all(sum(composition.get(a, 0) for a in held) >= count for held, count in needs):
            found.append(_Take(tuple(sorted(composition.items())), 0))
            if len(found) > MOST_COMPOSITIONS:
                raise ValueError(
                    "this request has too many kinds of hands to count its deals; name more"
                    " of its cards"
                )
    return found


def _only(atoms: frozenset[int]) -> int:
    (atom,) = atoms
    return atom


def _compositions(reach: list[int], sizes: tuple[int, ...], total: int) -> Iterator[dict[int, int]]:
    """Every way to take `total` cards from the atoms in `reach`, at most each atom's size."""
    if total == 0:
        yield {}
        return
    if not reach:
        return
    first, rest = reach[0], reach[1:]
    room = sum(sizes[a] for a in rest)
    for count in range(max(0, total - room), min(sizes[first], total) + 1):
        for tail in _compositions(rest, sizes, total - count):
            yield {first: count, **tail} if count else tail

"""A slow, plainly written reference for the exact walk, independent of vantor.

Hands are ranked the way a player states the rules (best five of the cards, categories first,
then the ranks that matter), deals are listed by brute force, pots are split with exact fractions,
and the result dictionary is computed straight from the meaning of each figure. Nothing here
imports vantor or shares its tables: agreement between the two is evidence, not an echo.

Cards are rank * 4 + suit (ranks 2..A are 0..12, suits c, d, h, s are 0..3); a mask has bit i for
card i. Every evaluator returns a key that compares with ordinary tuple comparison; for the high
rankings a larger key is a better hand, for the low rankings a smaller key is.
"""

import math
from collections import Counter
from fractions import Fraction
from itertools import combinations

FULL_DECK = (1 << 52) - 1
SHORT_DECK = FULL_DECK & ~((1 << 16) - 1)  # sixes and up: cards 16..51
DEAL_LIMIT = 50_000_000
ACE = 12


def cards_in(mask):
    return [card for card in range(52) if mask >> card & 1]


def mask_of(cards):
    mask = 0
    for card in cards:
        mask |= 1 << card
    return mask


def rank(card):
    return card // 4


def suit(card):
    return card % 4


# ---------------------------------------------------------------------------------------------
# Hand rankings
# ---------------------------------------------------------------------------------------------


def _grouped(values):
    """Values ordered the way poker compares them: bigger groups first, then higher values."""
    counts = Counter(values)
    order = sorted(counts, key=lambda v: (counts[v], v), reverse=True)
    return [counts[v] for v in order], tuple(order)


def _straight_top(ranks, wheel_ranks, wheel_top):
    """Top rank of a five-card straight, or None. `wheel_ranks` is the one straight whose ace
    plays low; it ranks as the straight topped by `wheel_top`."""
    distinct = sorted(set(ranks), reverse=True)
    if len(distinct) != 5:
        return None
    if distinct[0] - distinct[4] == 4:
        return distinct[0]
    if set(distinct) == wheel_ranks:
        return wheel_top
    return None


# Categories of the standard high ranking, worst to best.
HIGH_CARD, PAIR, TWO_PAIR, TRIPS, STRAIGHT, FLUSH, FULL_HOUSE, QUADS, STRAIGHT_FLUSH = range(9)


def _category(shape, is_flush, top):
    if top is not None and is_flush:
        return STRAIGHT_FLUSH
    if shape == [4, 1]:
        return QUADS
    if shape == [3, 2]:
        return FULL_HOUSE
    if is_flush:
        return FLUSH
    if top is not None:
        return STRAIGHT
    if shape == [3, 1, 1]:
        return TRIPS
    if shape == [2, 2, 1]:
        return TWO_PAIR
    if shape == [2, 1, 1, 1]:
        return PAIR
    return HIGH_CARD


_high5_cache = {}


def high5(cards):
    """Standard high hand of exactly five cards; larger is better. A-5-4-3-2 is the lowest
    straight (five high)."""
    key = tuple(sorted(cards))
    known = _high5_cache.get(key)
    if known is None:
        ranks = [rank(c) for c in cards]
        shape, order = _grouped(ranks)
        top = _straight_top(ranks, {ACE, 0, 1, 2, 3}, 3)
        category = _category(shape, len({suit(c) for c in cards}) == 1, top)
        known = (category, (top,) if top is not None else order)
        _high5_cache[key] = known
    return known


# Short deck reorders two categories: a flush is rarer than a full house there, so it beats it.
_SHORT_DECK_ORDER = {
    HIGH_CARD: 0,
    PAIR: 1,
    TWO_PAIR: 2,
    TRIPS: 3,
    STRAIGHT: 4,
    FULL_HOUSE: 5,
    FLUSH: 6,
    QUADS: 7,
    STRAIGHT_FLUSH: 8,
}


def short_deck5(cards):
    """Short-deck high hand of five cards; larger is better. A-9-8-7-6 is a straight of the same
    height as 9-8-7-6-5, A-5-4-3-2 is not a straight, and a flush beats a full house."""
    ranks = [rank(c) for c in cards]
    shape, order = _grouped(ranks)
    top = _straight_top(ranks, {ACE, 4, 5, 6, 7}, 7)  # ranks 4..7 are six to nine
    category = _category(shape, len({suit(c) for c in cards}) == 1, top)
    return (_SHORT_DECK_ORDER[category], (top,) if top is not None else order)


def _low_value(card):
    """Ace-to-five counting: the ace is the lowest card (0), the deuce 1, ..., the king 12."""
    return (rank(card) + 1) % 13


# Shapes of a low hand by its group sizes, best first: no pair, one pair, two pair, trips,
# full house, quads.
_LOW_SHAPES = {
    (1, 1, 1, 1, 1): 0,
    (2, 1, 1, 1): 1,
    (2, 2, 1): 2,
    (3, 1, 1): 3,
    (3, 2): 4,
    (4, 1): 5,
}
_low5_cache = {}


def low_a5_5(cards):
    """Ace-to-five low of five cards; smaller is better. Straights and flushes do not count;
    any pair is worse than no pair, and hands of one shape compare like high hands turned upside
    down (the lower pair, then the lower kickers, win)."""
    key = tuple(sorted(cards))
    known = _low5_cache.get(key)
    if known is None:
        shape, order = _grouped([_low_value(c) for c in cards])
        known = (_LOW_SHAPES[tuple(shape)], order)
        _low5_cache[key] = known
    return known


def qualifies_eight(low_key):
    """An eight-or-better low: five different ranks, none above the eight (ace low)."""
    shape_index, order = low_key
    return shape_index == 0 and max(order) <= 7  # the eight counts as 7 when the ace is 0


def deuce_seven5(cards):
    """Deuce-to-seven low of five cards; smaller is better. It is the high ranking read
    backwards, with the ace always high, so A-5-4-3-2 is merely ace high."""
    ranks = [rank(c) for c in cards]
    shape, order = _grouped(ranks)
    top = _straight_top(ranks, set(), None)  # no wheel: only five consecutive ranks
    category = _category(shape, len({suit(c) for c in cards}) == 1, top)
    return (category, (top,) if top is not None else order)


def badugi(cards):
    """Best badugi among the cards; smaller is better. A badugi is a set of cards with no rank
    and no suit repeated; more cards beat fewer, then the lower top card wins, then the next."""
    best = None
    for size in range(min(4, len(cards)), 0, -1):
        for subset in combinations(cards, size):
            if len({rank(c) for c in subset}) < size or len({suit(c) for c in subset}) < size:
                continue
            values = tuple(sorted((_low_value(c) for c in subset), reverse=True))
            key = (4 - size, values)
            if best is None or key < best:
                best = key
        if best is not None:
            return best  # every bigger badugi beats every smaller one
    return best


def best_high(cards, five=high5):
    return max(five(hand) for hand in combinations(cards, 5))


def best_low_a5(cards):
    return min(low_a5_5(hand) for hand in combinations(cards, 5))


def omaha_high(hole, board):
    """Exactly two hole cards with exactly three board cards."""
    return max(
        high5(pair + triple) for pair in combinations(hole, 2) for triple in combinations(board, 3)
    )


def omaha_low(hole, board):
    return min(
        low_a5_5(pair + triple)
        for pair in combinations(hole, 2)
        for triple in combinations(board, 3)
    )


# ---------------------------------------------------------------------------------------------
# Games and pot shares
# ---------------------------------------------------------------------------------------------


class Game:
    """How a game deals and what wins: `high` and `low` take (hole cards, board) and return a
    key, `high_wins_by` is max or min; `low` is None for games without a low half."""

    def __init__(
        self, key, hole_cards, board_cards, high, high_wins_by=max, low=None, deck=FULL_DECK
    ):
        self.key = key
        self.hole_cards = hole_cards
        self.board_cards = board_cards
        self.high = high
        self.high_wins_by = high_wins_by
        self.low = low
        self.deck = deck

    def is_stud(self):
        return self.key in ("stud", "stud_hi_lo", "razz")

    def hole_count(self, seats):
        # Eight stud players cannot all get seven cards: each gets six and one is shared.
        return 6 if self.is_stud() and seats == 8 else self.hole_cards

    def board_count(self, seats):
        return 1 if self.is_stud() and seats == 8 else self.board_cards


def _whole(evaluate):
    return lambda hole, board: evaluate(list(hole) + list(board))


def _omaha(hole_cards, key, hi_lo):
    return Game(key, hole_cards, 5, omaha_high, low=omaha_low if hi_lo else None)


GAMES = {
    game.key: game
    for game in [
        Game("holdem", 2, 5, _whole(best_high)),
        Game(
            "short_deck", 2, 5, _whole(lambda cards: best_high(cards, short_deck5)), deck=SHORT_DECK
        ),
        _omaha(4, "omaha", False),
        _omaha(4, "omaha_hi_lo", True),
        _omaha(5, "omaha_five", False),
        _omaha(5, "omaha_five_hi_lo", True),
        _omaha(5, "courchevel", False),
        _omaha(5, "courchevel_hi_lo", True),
        _omaha(6, "omaha_six", False),
        Game("stud", 7, 0, _whole(best_high)),
        Game("stud_hi_lo", 7, 0, _whole(best_high), low=_whole(best_low_a5)),
        Game("razz", 7, 0, _whole(best_low_a5), high_wins_by=min),
        Game("deuce_seven", 5, 0, _whole(deuce_seven5), high_wins_by=min),
        Game("five_card_draw", 5, 0, _whole(best_high)),
        Game("badugi", 4, 0, _whole(badugi), high_wins_by=min),
    ]
}


def _winners(keys, wins_by):
    best = wins_by(keys)
    return [seat for seat, key in enumerate(keys) if key == best]


def pot_shares(game, holes, board):
    """Each seat's share of the pot and the part of it won with the low half, as Fractions.

    The low half goes first and only to lows of eight or better; without one the high hand takes
    the whole pot. Ties split their half equally."""
    seats = len(holes)
    share = [Fraction(0)] * seats
    low_share = [Fraction(0)] * seats
    high_amount = Fraction(1)
    if game.low is not None:
        lows = [game.low(hole, board) for hole in holes]
        qualified = [seat for seat in range(seats) if qualifies_eight(lows[seat])]
        if qualified:
            best = min(lows[seat] for seat in qualified)
            low_winners = [seat for seat in qualified if lows[seat] == best]
            for seat in low_winners:
                share[seat] += Fraction(1, 2 * len(low_winners))
                low_share[seat] += Fraction(1, 2 * len(low_winners))
            high_amount = Fraction(1, 2)
    high_winners = _winners([game.high(hole, board) for hole in holes], game.high_wins_by)
    for seat in high_winners:
        share[seat] += high_amount / len(high_winners)
    return share, low_share


# ---------------------------------------------------------------------------------------------
# Card sets and the deals of a request
# ---------------------------------------------------------------------------------------------


def fits(slots, cards):
    """Can every slot get its own card of `cards` that its mask accepts? (augmenting paths)"""
    if len(cards) < len(slots):
        return False
    owner = {}

    def place(slot, seen):
        for card in cards:
            if slots[slot] >> card & 1 and card not in seen:
                seen.add(card)
                if card not in owner or place(owner[card], seen):
                    owner[card] = slot
                    return True
        return False

    return all(place(slot, set()) for slot in range(len(slots)))


def _forced(slots, available):
    """Split off the slots that can only take one card. Returns (forced cards, other slots, the
    cards left for them), or None when no card set can exist."""
    slots = [m & available for m in slots]
    if any(m == 0 for m in slots):
        return None
    forced = [m for m in slots if m & (m - 1) == 0]
    if len(set(forced)) < len(forced):
        return None  # two slots need the same single card
    taken = mask_of(m.bit_length() - 1 for m in forced)
    rest = [m & ~taken for m in slots if m & (m - 1)]
    return taken, rest, available & ~taken


def card_sets(slots, available):
    """Every set of len(slots) distinct cards of `available` that can be handed out one per slot,
    each slot's mask accepting its card. Each set appears once, as a frozenset."""
    split = _forced(slots, available)
    if split is None:
        return []
    taken, rest, left = split
    pool = cards_in(left & mask_of(c for m in rest for c in cards_in(m)))
    sets = []
    for chosen in combinations(pool, len(rest)):
        if fits(rest, chosen):
            sets.append(frozenset(cards_in(taken)) | frozenset(chosen))
    return sets


def count_card_sets(slots, available):
    """len(card_sets(...)), without listing when the open slots accept every available card."""
    split = _forced(slots, available)
    if split is None:
        return 0
    _, rest, left = split
    if all(m & left == left for m in rest):
        return math.comb(bin(left).count("1"), len(rest))
    return len(card_sets(slots, available))


def _is_rank_mask(mask):
    return any(mask == 0xF << (4 * r) for r in range(13))


def complete_request(game, seats, board, dead):
    """The request as the walk sees it: short hands and the board padded with wildcards, and
    the razz rewrite applied. Returns (seats, board slots, live cards)."""
    count = len(seats)
    hole = game.hole_count(count)
    if game.is_stud():
        sizes = {len(alt) for seat in seats for alt in seat}
        assert len(sizes) == 1, "stud seats all show the same number of cards"
    live = game.deck & ~dead
    seats = [[list(alt) + [FULL_DECK] * (hole - len(alt)) for alt in seat] for seat in seats]
    board = list(board) + [FULL_DECK] * (game.board_count(count) - len(board))
    if game.key == "razz" and all(len(seat) == 1 for seat in seats):
        # "Any seven" in razz: suits never matter there, so one particular unseen seven stands
        # for all of them without changing a share; the count of deals is what changes, and the
        # walk reports it, so the reference must pin the same card: the lowest live seven that
        # nothing names.
        named = mask_of(
            m.bit_length() - 1
            for alt in [s[0] for s in seats] + [board]
            for m in alt
            if m and m & (m - 1) == 0
        )
        pinned = [list(seat[0]) for seat in seats] + [list(board)]
        complete = True
        for masks in pinned:
            for position, m in enumerate(masks):
                if _is_rank_mask(m):
                    free = m & live & ~named
                    if not free:
                        complete = False
                        break
                    card = free & -free
                    masks[position] = card
                    named |= card
            if not complete:
                break
        if complete:
            seats = [[masks] for masks in pinned[:-1]]
            board = pinned[-1]
    return seats, board, live


def seat_candidates(seat, live):
    """Every hand the seat may hold: the card sets of each alternative, alternatives in order.
    A set two alternatives both allow is listed once for each."""
    return [hand for alt in seat for hand in card_sets(alt, live)]


def deal_count(game, seats, board, dead):
    """How many deals the request allows, or None when the seats' candidate counts alone
    multiply past the limit or a seat has no candidate. Counts without scoring anything."""
    seats, board_slots, live = complete_request(game, seats, board, dead)
    product = 1
    for seat in seats:
        counts = [count_card_sets(alt, live) for alt in seat]
        if any(c > DEAL_LIMIT for c in counts) or sum(counts) == 0:
            return None
        product *= sum(counts)
        if product > DEAL_LIMIT:
            return None
    candidates = [seat_candidates(seat, live) for seat in seats]
    total = 0

    def walk(index, used):
        nonlocal total
        if index == len(candidates):
            total += count_card_sets(board_slots, live & ~used) if board_slots else 1
            return
        for hand in candidates[index]:
            if not mask_of(hand) & used:
                walk(index + 1, used | mask_of(hand))

    walk(0, 0)
    return total


def deals(game, seats, board, dead):
    """Yield every deal as (hole card tuples per seat, board tuple), each concrete deal once for
    every way the seats' alternatives allow it."""
    seats, board_slots, live = complete_request(game, seats, board, dead)
    candidates = [seat_candidates(seat, live) for seat in seats]
    chosen = []

    def walk(index, used):
        if index == len(candidates):
            boards = card_sets(board_slots, live & ~used) if board_slots else [frozenset()]
            for runout in boards:
                yield [tuple(sorted(hand)) for hand in chosen], tuple(sorted(runout))
            return
        for hand in candidates[index]:
            hand_mask = mask_of(hand)
            if not hand_mask & used:
                chosen.append(hand)
                yield from walk(index + 1, used | hand_mask)
                chosen.pop()

    yield from walk(0, 0)


# ---------------------------------------------------------------------------------------------
# Tally and result dictionary
# ---------------------------------------------------------------------------------------------

WHOLE_POT = 0.9999999999999998  # 1 - 2**-52: a total share this large wins the whole pot
PART = 1e-9  # the smallest share that counts as part of a pot
HALF = 0.499999999  # a low share this large wins the whole low half
WHOLE_HIGH = 0.999999999  # high part that wins the high side when there is no low


SUM_NAMES = (
    "share_sum",
    "share_square_sum",
    "square_weight_share_sum",
    "low_share_sum",
    "win_count",
    "tie_count",
    "scoop_count",
    "high_win_count",
    "high_tie_count",
    "low_win_count",
    "low_tie_count",
)


def deal_terms(share, low, high_bound):
    """What one deal of weight 1 adds to each per-seat sum, for a seat with total share `share`
    and low share `low` (Fractions)."""
    s, l, h = float(share), float(low), float(share - low)
    return {
        "share_sum": s,
        "share_square_sum": s * s,
        "square_weight_share_sum": s,
        "low_share_sum": l,
        "win_count": 1.0 if s >= WHOLE_POT else 0.0,
        "tie_count": 1.0 if 0 < s < WHOLE_POT else 0.0,
        "scoop_count": 1.0 if s >= WHOLE_POT else 0.0,
        "high_win_count": 1.0 if h >= high_bound else 0.0,
        "high_tie_count": 1.0 if PART < h < high_bound else 0.0,
        "low_win_count": 1.0 if l >= HALF else 0.0,
        "low_tie_count": 1.0 if PART < l < HALF else 0.0,
    }


def tally(outcomes, seats):
    """The result dictionary for a list of deal outcomes, each (shares, low shares) per seat,
    every deal weighing 1. Every figure is summed from its definition."""
    n = len(outcomes)
    terms = {name: [[] for _ in range(seats)] for name in SUM_NAMES}
    for shares, lows in outcomes:
        # When a low half is awarded, winning "high" means taking the whole other half.
        high_bound = HALF if any(float(low) > PART for low in lows) else WHOLE_HIGH
        for seat in range(seats):
            for name, value in deal_terms(shares[seat], lows[seat], high_bound).items():
                terms[name][seat].append(value)
    sums = {name: [math.fsum(values) for values in terms[name]] for name in SUM_NAMES}
    result = {
        "samples": n,
        "exact": True,
        "attempts": 0,
        "acceptance": 1.0,
        "weighted": None,  # the sampler choice; filled in by `exact` when it can be known
        "weight_sum": float(n),
        "weight_square_sum": float(n),
        "effective_samples": float(n) if n else 0.0,
        **sums,
    }
    denominator = float(n) if n else 1.0
    figures = [
        ("equity", "share_sum"),
        ("win", "win_count"),
        ("tie", "tie_count"),
        ("low_equity", "low_share_sum"),
        ("scoop", "scoop_count"),
        ("high_win", "high_win_count"),
        ("high_tie", "high_tie_count"),
        ("low_win", "low_win_count"),
        ("low_tie", "low_tie_count"),
    ]
    result["players"] = [
        {
            **{figure: sums[column][seat] / denominator for figure, column in figures},
            "std_error": 0.0,
        }  # nothing is uncertain about a count of every deal
        for seat in range(seats)
    ]
    return result


def _all_named(masks):
    return all(m and m & (m - 1) == 0 for m in masks)


def sampler_choice(game, seats, board, dead):
    """The sampler a request is prepared with, when it can be known without the engine's random
    stream: False (plain rejection) when every seat holds named cards only and at least a fifth
    of independent alternative choices are compatible, else None (unknown).

    With named cards only a rejection draw succeeds exactly when the alternatives chosen share
    no card and avoid the dead and board cards; at a rate of 1/5 the 800 trial draws that choose
    the sampler see about 160 successes, far past the 40 that settle on rejection."""
    seats, board_slots, live = complete_request(game, seats, board, dead)
    if not all(_all_named(alt) for seat in seats for alt in seat):
        return None
    if not all(_all_named([m]) or m & live == live for m in board_slots):
        return None
    board_named = mask_of(m.bit_length() - 1 for m in board_slots if _all_named([m]))
    rate = Fraction(0)

    def walk(index, used, weight):
        nonlocal rate
        if index == len(seats):
            rate += weight
            return
        for alt in seats[index]:
            hand = mask_of(m.bit_length() - 1 for m in alt)
            if bin(hand).count("1") == len(alt) and hand & live == hand and not hand & used:
                walk(index + 1, used | hand, weight / len(seats[index]))

    walk(0, board_named, Fraction(1))
    return False if rate >= Fraction(1, 5) else None


def exact(game_key, seats, board, dead):
    """What `exact` must answer: the result dictionary, or None when the walk would need more
    than 50,000,000 deals (or a seat can hold nothing at all)."""
    game = GAMES[game_key]
    count = deal_count(game, seats, board, dead)
    if count is None or count > DEAL_LIMIT:
        return None
    outcomes = [
        pot_shares(game, holes, runout) for holes, runout in deals(game, seats, board, dead)
    ]
    assert len(outcomes) == count
    result = tally(outcomes, len(seats))
    result["weighted"] = sampler_choice(game, seats, board, dead)
    return result

"""Weighted ranges by brute force: every deal listed, its seats' weights multiplied.

A seat is a list of (piece, weight) pairs, each piece in the module's notation, or a pair of
(the kit's text, the module's text of the same hands) for a piece only the kit reads. The pieces
are read by the module's own reader (the weights are this file's to apply), every deal of the
request is listed with tests/brute_force.py (an independent evaluator), and every sum of the
result is added up from its definition in the README, each deal weighing the product of the
weights of the pieces its seats' hands came from. Nothing here imports vantorkit.
"""

import math
from itertools import product

import brute_force as bf
import vantor

SQUARE_SUMS = {"share_square_sum", "square_weight_share_sum"}


def weighted_text(seat):
    """The seat as one hand field with weights: `AA:0.5, KK`."""
    texts = [(piece if isinstance(piece, str) else piece[0], weight) for piece, weight in seat]
    return ", ".join(text if weight == 1 else f"{text}:{weight}" for text, weight in texts)


def hands(game, seat, seats, live):
    """Each hand the seat may hold, as (cards, weight), once per piece and alternative."""
    slots = game.hole_count(seats)
    short = game.is_stud() or game.board_cards == 0
    found = []
    for piece, weight in seat:
        text = piece if isinstance(piece, str) else piece[1]
        for alternative in vantor.parse_hand_field(text, slots, short):
            padded = list(alternative) + [bf.FULL_DECK] * (slots - len(alternative))
            found += [(frozenset(cards), weight) for cards in bf.card_sets(padded, live)]
    return found


def _request(game_key, seats, board, dead):
    game = bf.GAMES[game_key]
    live = game.deck & ~vantor.parse_dead_cards(dead)
    board_slots = list(vantor.parse_hand_field(board, 5, True)[0]) if board.strip() else []
    board_slots += [bf.FULL_DECK] * (game.board_count(len(seats)) - len(board_slots))
    return game, live, board_slots, [hands(game, seat, len(seats), live) for seat in seats]


def _dealt_hands(candidates):
    """Every choice of a hand per seat with no card twice, and its weight."""
    for choice in product(*candidates):
        used = frozenset().union(*(cards for cards, _ in choice))
        if len(used) == sum(len(cards) for cards, _ in choice):
            yield choice, used, math.prod(w for _, w in choice)


def weighted_deal_count(game_key, seats, board="", dead=""):
    """The deals, each counted with its weight, without scoring them."""
    _, live, board_slots, candidates = _request(game_key, seats, board, dead)
    return math.fsum(
        weight * (bf.count_card_sets(board_slots, live & ~bf.mask_of(used)) if board_slots else 1)
        for _, used, weight in _dealt_hands(candidates)
    )


def enumerate_weighted(game_key, seats, board="", dead=""):
    """The result's sums (as a dict of the README's keys) over every deal, weighted."""
    game, live, board_slots, candidates = _request(game_key, seats, board, dead)
    terms = {name: [[] for _ in seats] for name in bf.SUM_NAMES}
    weights, squares = [], []
    for choice, used, weight in _dealt_hands(candidates):
        remaining = live & ~bf.mask_of(used)
        runouts = bf.card_sets(board_slots, remaining) if board_slots else [frozenset()]
        holes = [tuple(sorted(cards)) for cards, _ in choice]
        for runout in runouts:
            shares, lows = bf.pot_shares(game, holes, tuple(sorted(runout)))
            high_bound = bf.HALF if any(float(low) > bf.PART for low in lows) else bf.WHOLE_HIGH
            weights.append(weight)
            squares.append(weight * weight)
            for seat in range(len(seats)):
                for name, value in bf.deal_terms(shares[seat], lows[seat], high_bound).items():
                    scale = weight * weight if name in SQUARE_SUMS else weight
                    terms[name][seat].append(value * scale)
    return {
        "samples": len(weights),
        "weight_sum": math.fsum(weights),
        "weight_square_sum": math.fsum(squares),
        **{name: [math.fsum(values) for values in terms[name]] for name in bf.SUM_NAMES},
    }

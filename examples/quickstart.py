"""A first look at vantor: cards, their indices and masks.

Run it with `python examples/quickstart.py` after `pip install .`.
"""

import vantor

# A card is rank * 4 + suit; a mask is a 64-bit int with one bit per card.
ace_of_hearts = vantor.card_index("Ah")
print(f"Ah is card {ace_of_hearts}, and card 51 is {vantor.card_name(51)}")

hand = [vantor.card_index(name) for name in ("Ah", "Kh")]
hand_mask = sum(1 << card for card in hand)
print(f"AhKh as one mask: {hand_mask:#x}")

any_ace = 0xF << (4 * 12)  # the four cards of rank 12, the ace: "any ace" in one slot
print(f"any ace: {any_ace:#x}, named cards: {[vantor.card_name(c) for c in range(48, 52)]}")

deck = vantor.full_deck()
print(f"the full deck holds {bin(deck).count('1')} cards: {deck}")

try:
    vantor.card_index("AhKh")
except ValueError as error:
    print(f"card_index refuses two cards: {error}")

# The games this library plays, and hands scored in one batch by a ranking kernel.
print("games:", ", ".join(game["key"] for game in vantor.variants()))
royal, queens = vantor.score_batch("high", ["AhKhQhJhTh", "AhKhQsQd2c7d9s"])
print(f"a royal flush scores {royal}, a pair of queens {queens}: lower is better")

# An exact answer: ace-king of hearts against two queens before the flop, every board walked.
result = vantor.exact_from_text("holdem", ["AhKh", "QsQd"])
for seat, player in zip(("AhKh", "QsQd"), result["players"]):
    print(
        f"{seat}: equity {player['equity']:.4f}, wins {player['win']:.4f}, ties {player['tie']:.4f}"
    )
print(f"{result['samples']:,} boards walked")

# The same question sampled: a million deals over two threads. Each seat's figure comes with a
# standard error; the same seed and thread count repeat the same numbers.
sampled = vantor.chunk_from_text("holdem", ["AhKh", "QsQd"], samples=1_000_000, seed=7, threads=2)
for seat, player in zip(("AhKh", "QsQd"), sampled["players"]):
    print(f"{seat}: sampled equity {player['equity']:.4f} +- {player['std_error']:.4f}")
print(
    f"{sampled['samples']:,} deals sampled, {vantor.default_thread_count()} threads by default here"
)

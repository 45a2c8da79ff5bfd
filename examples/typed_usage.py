"""vantor from typed code: every function, and every key of the dictionaries it returns; and
vantorkit's equity, merge and names.

The module carries no types of its own; they come from the `vantor-stubs` package installed beside
it, which mypy and pyright both find. vantorkit ships its own (`py.typed`). CI checks this file
with `mypy --strict` and basedpyright and then runs it: `python examples/typed_usage.py`.
"""

from __future__ import annotations

from typing import TYPE_CHECKING

import vantor
import vantorkit

if TYPE_CHECKING:
    # Names for type checkers only: at runtime the module holds its twelve functions and nothing
    # else, so these imports must not run.
    from vantor import GameKey, KernelName, Result, Seat, Variant


def game(key: GameKey) -> Variant:
    """The catalogue entry of a game; the literal type catches a misspelt key before running."""
    for entry in vantor.variants():
        if entry["key"] == key:
            return entry
    raise LookupError(key)


def describe(entry: Variant) -> str:
    deck = "full deck" if entry["deck"] == vantor.full_deck() else f"{entry['deck_size']} cards"
    board = f"{entry['board_cards']} on the board" if entry["board_cards"] else "no board"
    return f"{entry['label']}: {entry['hole_cards']} cards a seat, {board}, {deck}"


def seat_line(name: str, seat: Seat) -> str:
    """Every figure of a seat: shares of the pot, outcome rates, and the equity's standard
    error."""
    return (
        f"{name}: equity {seat['equity']:.4f} +- {seat['std_error']:.4f}"
        f" (win {seat['win']:.4f} = scoop {seat['scoop']:.4f}, tie {seat['tie']:.4f};"
        f" high {seat['high_win']:.4f}/{seat['high_tie']:.4f},"
        f" low {seat['low_win']:.4f}/{seat['low_tie']:.4f}, low equity {seat['low_equity']:.4f})"
    )


def batch_lines(result: Result) -> list[str]:
    """The batch-wide values, then each seat's sums next to the figures derived from them."""
    kind = "every deal walked" if result["exact"] else "sampled"
    weights = "weighted deals" if result["weighted"] else "every deal weighs 1"
    lines = [
        f"{result['samples']} deals, {kind}; {result['attempts']} draws tried"
        f" (acceptance {result['acceptance']:.3f}, {weights})",
        f"weights: sum {result['weight_sum']:.1f}, sum of squares"
        f" {result['weight_square_sum']:.1f}, effective samples {result['effective_samples']:.1f}",
    ]
    sums: dict[str, list[float]] = {
        "share_sum": result["share_sum"],
        "share_square_sum": result["share_square_sum"],
        "square_weight_share_sum": result["square_weight_share_sum"],
        "low_share_sum": result["low_share_sum"],
        "win_count": result["win_count"],
        "tie_count": result["tie_count"],
        "scoop_count": result["scoop_count"],
        "high_win_count": result["high_win_count"],
        "high_tie_count": result["high_tie_count"],
        "low_win_count": result["low_win_count"],
        "low_tie_count": result["low_tie_count"],
    }
    for index, seat in enumerate(result["players"]):
        # Every rate is its weighted sum over the weight sum.
        assert seat["equity"] == result["share_sum"][index] / result["weight_sum"]
        row = ", ".join(f"{name} {values[index]:.2f}" for name, values in sums.items())
        lines += [seat_line(f"seat {index}", seat), f"  sums: {row}"]
    return lines


def exact_or_sampled(key: GameKey, hands: list[str], board: str) -> Result:
    """The exact answer where the walk is small enough, else a sampled batch."""
    result = vantor.exact_from_text(key, hands, board)
    if result is None:
        result = vantor.chunk_from_text(key, hands, board, samples=20_000, seed=11, threads=1)
    return result


def kit_lines() -> list[str]:
    """vantorkit from typed code: an equity to a precision, its batches merged again, names."""
    progress: list[int] = []

    def note(estimate: vantorkit.Equity) -> None:
        progress.append(estimate.deals)

    found = vantorkit.equity(
        "holdem", ["AhKh", "**"], precision=0.005, seed=1, threads=1, progress=note
    )
    seats = ", ".join(
        f"{seat.hand} {seat.equity:.3f} +- {seat.std_error:.3f}" for seat in found.seats
    )
    lines = [f"{found.method} ({found.reason}) after {found.deals} deals: {seats}"]
    merged: Result = vantorkit.merge(found.batches)
    assert merged == found.raw and progress[-1] == found.deals
    spot = vantorkit.Spot("holdem", ["AhKh", "QsQd"], "Qh Jh 2c")
    record: vantorkit.Batch = vantorkit.batch(spot, 1000, seed=found.seed or 0)
    lines.append(f"batch seeded {record.seed}: generators {record.generator_seeds}")
    try:
        vantorkit.equity("holdem", ["AhKh", "QsQd"], exact="never", progress=_stop)
    except vantorkit.Interrupted as stop:
        estimate: vantorkit.Equity | None = stop.result
        lines.append(f"interrupted: {estimate.deals if estimate else 0} deals kept")
    (value,) = vantor.score_batch("high", ["AhAdKsKd2c"])
    lines.append(
        f"{vantorkit.hand_category('high', value)}; {', '.join(vantorkit.hands('AKs', 2))}"
    )
    return lines


def _stop(estimate: vantorkit.Equity) -> None:
    raise KeyboardInterrupt


def main() -> None:
    for key in ("holdem", "omaha_hi_lo", "razz"):
        print(describe(game(key)))

    # Masks from text: the hand field and dead-card readers give what the mask forms take.
    ace_king = vantor.parse_hand_field("AhKh", 2)
    queens = vantor.parse_hand_field("QQ", 2)
    flop = [1 << vantor.card_index(name) for name in ("Kd", "7c", "2s")]
    dead = vantor.parse_dead_cards("Qh")
    print("flop:", " ".join(vantor.card_name(card.bit_length() - 1) for card in flop))

    exact = vantor.exact("holdem", [ace_king, queens], flop, dead)
    if exact is not None:
        print("\n".join(batch_lines(exact)))
    threads = min(2, vantor.default_thread_count())
    sampled = vantor.chunk(
        "holdem", [ace_king, queens], flop, dead, 50_000, seed=3, threads=threads
    )
    print("\n".join(batch_lines(sampled)))

    # A hi/lo spot, answered whichever way fits.
    split = exact_or_sampled("omaha_hi_lo", ["Ac 3d Jh Jc", "Kc Kd 9s 8h"], "Ks Qd 7c 2h")
    print("\n".join(batch_lines(split)))

    print("\n".join(kit_lines()))

    kernel: KernelName = "high"
    royal, queens_up = vantor.score_batch(kernel, ["AhKhQhJhTh", "QsQd7c2h9d"])
    print(f"{kernel}: a royal flush scores {royal}, a pair of queens {queens_up}")


if __name__ == "__main__":
    main()

"""What the `vantor` command shows, drawn with rich: the equity table, the live view while
sampling, and the list of games. Imported only when rich is there."""

from __future__ import annotations

import math
from collections.abc import Sequence

from rich import box
from rich.console import Group, RenderableType
from rich.progress_bar import ProgressBar
from rich.table import Table
from rich.text import Text

from .catalogue import games
from .estimate import LEAST_DEALS_TIMES_PRECISION, Equity, SeatEquity


def decimals(finest: float | None) -> int:
    """Decimals of a percentage that the precision asked for (or reached) can carry: two at the
    default 0.001, one more for every tenfold finer target."""
    finest = finest or 0.001
    return min(6, max(2, math.ceil(-math.log10(100 * finest) - 1e-9) + 1))


def percent(value: float, places: int) -> str:
    return f"{100 * value:.{places}f}%"


def equity_view(result: Equity) -> Group:
    """The table of `equity_table` between a line naming the spot and one saying how the figures
    were found."""
    spot = result.spot
    return Group(
        Text(title(spot.game, spot.hands, spot.board, spot.dead), style="bold"),
        equity_table(result),
        Text(_caption(result), style="dim"),
    )


def title(game: str, hands: Sequence[str], board: str, dead: str) -> str:
    """A line naming the spot: the game, the seats' fields, the board and the dead cards."""
    found = games().get(game)
    line = f"  {found.label if found else game}: " + " vs ".join(hands)
    if board:
        line += f", board {board}"
    if dead:
        line += f", dead {dead}"
    return line


def equity_table(result: Equity) -> Table:
    """Seat, hand, equity with its standard error, win and tie; scoop, high and low for hi/lo."""
    places = decimals(result.precision or result.error)
    sampled = result.method == "sampled"
    table = Table(box=box.SIMPLE_HEAD)
    table.add_column("Seat", justify="right")
    table.add_column("Hand")
    add_figure_columns(table, sampled, result.hi_lo)
    for number, seat in enumerate(result.seats, 1):
        table.add_row(str(number), seat.hand, *figure_cells(seat, sampled, result.hi_lo, places))
    return table


def add_figure_columns(table: Table, sampled: bool, hi_lo: bool) -> None:
    """Equity (with its standard error, when sampled), then win and tie, or for hi/lo scoop,
    tie, and the whole high (High) and low (Low) halves."""
    table.add_column("Equity", justify="right")
    if sampled:
        table.add_column("±", justify="right")
    for name in ("Scoop", "Tie", "High", "Low") if hi_lo else ("Win", "Tie"):
        table.add_column(name, justify="right")


def figure_cells(seat: SeatEquity, sampled: bool, hi_lo: bool, places: int) -> list[str]:
    """A seat's cells under `add_figure_columns`."""
    cells = [percent(seat.equity, places)]
    if sampled:
        cells.append(f"{100 * seat.std_error:.{places}f}")
    halves = [seat.scoop, seat.tie, seat.high_win, seat.low_win]
    return cells + [percent(value, places) for value in (halves if hi_lo else [seat.win, seat.tie])]


def _caption(result: Equity) -> str:
    if result.method == "exact":
        return f"  Exact: every one of {result.deals:,} deals."
    line = (
        f"  Sampled: {result.deals:,} deals in {result.seconds:.2f} s"
        f" (seed {result.seed}, {result.threads} threads)"
    )
    return line + (", interrupted." if result.reason == "interrupted" else ".")


def fraction_done(result: Equity, seconds: float | None) -> float:
    """How far a sampling run is towards stopping: the standard error falls as one over the
    square root of the deals, so (target / error)² is the share of the deals drawn that reaching
    the target needs; with a time limit, whichever stops the run first counts."""
    shares: list[float] = []
    if result.precision is not None:
        target = result.precision
        error = result.error
        least = result.raw["effective_samples"] * target / LEAST_DEALS_TIMES_PRECISION
        shares.append(min(1.0, (target / error) ** 2 if error > 0 else 1.0, least))
    if seconds is not None:
        shares.append(min(1.0, result.seconds / seconds))
    return max(shares, default=0.0)


def live_view(result: Equity, seconds: float | None) -> RenderableType:
    """The table with a progress bar towards the target under it."""
    done = fraction_done(result, seconds)
    status = Text(f" {100 * done:3.0f}%  error {100 * result.error:.3f}%")
    if result.precision is not None:
        status.append(f", target {100 * result.precision:.3f}%")
    if seconds is not None:
        status.append(f", {result.seconds:.1f} of {seconds:g} s")
    bar = Table.grid(padding=(0, 1))
    bar.add_row(ProgressBar(total=1.0, completed=done, width=40), status)
    return Group(equity_view(result), bar)


def games_table() -> Table:
    """Every game with how it deals: cards a seat, board cards, and what sets it apart."""
    table = Table(title="Games", box=box.SIMPLE_HEAD)
    table.add_column("Key")
    table.add_column("Game")
    table.add_column("Cards", justify="right")
    table.add_column("Board", justify="right")
    table.add_column("Notes")
    for game in games().values():
        table.add_row(game.key, game.label, str(game.hole_cards), str(game.board_cards), game.notes)
    return table

"""What the `vantor` command shows, drawn with rich: the equity table, the live view while
sampling, and the list of games. Imported only when rich is there."""

from __future__ import annotations

import math

from rich import box
from rich.console import Group, RenderableType
from rich.progress_bar import ProgressBar
from rich.table import Table
from rich.text import Text

from .catalogue import Game, games
from .estimate import LEAST_DEALS_TIMES_PRECISION, Equity


def decimals(result: Equity) -> int:
    """Decimals of a percentage that the precision asked for (or reached) can carry: two at the
    default 0.001, one more for every tenfold finer target."""
    finest = result.precision or result.error or 0.001
    return min(6, max(2, math.ceil(-math.log10(100 * finest) - 1e-9) + 1))


def equity_view(result: Equity) -> Group:
    """The table of `equity_table` between a line naming the spot and one saying how the figures
    were found."""
    return Group(
        Text(_title(result), style="bold"),
        equity_table(result),
        Text(_caption(result), style="dim"),
    )


def _title(result: Equity) -> str:
    spot = result.spot
    game = games().get(spot.game)
    title = f"  {game.label if game else spot.game}: " + " vs ".join(spot.hands)
    if spot.board:
        title += f", board {spot.board}"
    if spot.dead:
        title += f", dead {spot.dead}"
    return title


def equity_table(result: Equity) -> Table:
    """Seat, hand, equity with its standard error, win and tie; scoop, high and low for hi/lo."""
    places = decimals(result)

    def percent(value: float) -> str:
        return f"{100 * value:.{places}f}%"

    table = Table(box=box.SIMPLE_HEAD)
    sampled = result.method == "sampled"
    table.add_column("Seat", justify="right")
    table.add_column("Hand")
    table.add_column("Equity", justify="right")
    if sampled:
        table.add_column("±", justify="right")
    if result.hi_lo:
        for name in ("Scoop", "Tie", "High", "Low"):
            table.add_column(name, justify="right")
    else:
        for name in ("Win", "Tie"):
            table.add_column(name, justify="right")
    for number, seat in enumerate(result.seats, 1):
        row = [str(number), seat.hand, percent(seat.equity)]
        if sampled:
            row.append(f"{100 * seat.std_error:.{places}f}")
        if result.hi_lo:
            row += [percent(seat.scoop), percent(seat.tie), percent(seat.high_win)]
            row.append(percent(seat.low_win))
        else:
            row += [percent(seat.win), percent(seat.tie)]
        table.add_row(*row)
    return table


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
        table.add_row(
            game.key, game.label, str(game.hole_cards), str(game.board_cards), notes(game)
        )
    return table


def notes(game: Game) -> str:
    found: list[str] = []
    if game.facts.hi_lo:
        found.append("hi/lo")
    if game.deck_size != 52:
        found.append(f"{game.deck_size}-card deck")
    if game.facts.short_fields:
        found.append("partial hands")
    return ", ".join(found)

"""What `vantor --breakdown N` shows, drawn with rich: the seat's hands best first with their
weights and shares, its starting-hand classes, and a progress bar while it works. Imported only
when rich is there."""

from __future__ import annotations

from rich import box
from rich.console import Group, RenderableType
from rich.progress_bar import ProgressBar
from rich.table import Table
from rich.text import Text

from .breakdown_result import Breakdown, Progress
from .catalogue import games
from .estimate import SeatEquity
from .view import add_figure_columns, decimals, figure_cells, percent, title


def breakdown_view(result: Breakdown) -> Group:
    """The spot, the seat's hands, its classes (hold'em and short deck) and how it was found."""
    parts: list[RenderableType] = [
        Text(f"{title(result.game, result.fields, result.board, result.dead)}", style="bold"),
        Text(f"  Seat {result.seat + 1}'s hands, best first"),
        hands_table(result),
    ]
    if result.classes:
        parts += [Text("  By starting hand"), hands_table(result, by_class=True)]
    parts.append(Text(_caption(result), style="dim"))
    return Group(*parts)


def hands_table(result: Breakdown, by_class: bool = False) -> Table:
    """Hand (its class beside it in hold'em), its weight in the field, its share of the seat,
    and its figures; or per class: how many hands, their share, their figures."""
    places = decimals(result.precision)
    sampled = result.method == "sampled"
    game = games().get(result.game)
    hi_lo = game is not None and game.facts.hi_lo
    table = Table(box=box.SIMPLE_HEAD)
    table.add_column("Class" if by_class else "Hand")
    if by_class:
        table.add_column("Hands", justify="right")
    elif result.classes:
        table.add_column("Class")
    if not by_class:
        table.add_column("Weight", justify="right")
    table.add_column("Share", justify="right")
    add_figure_columns(table, sampled, hi_lo)
    rows: list[tuple[SeatEquity, list[str]]] = []
    if by_class:
        rows = [(group, [group.hand, str(group.hands), percent(group.share, 2)])
                for group in result.classes]  # fmt: skip
    else:
        for hand in result.hands:
            cells = [hand.hand] + ([hand.hand_class or ""] if result.classes else [])
            rows.append((hand, [*cells, f"{hand.weight:g}", percent(hand.share, 2)]))
    for figures, cells in rows:
        table.add_row(*cells, *figure_cells(figures, sampled, hi_lo, places))
    return table


def _caption(result: Breakdown) -> str:
    overall = result.overall
    line = f"  Seat {result.seat + 1} over its hands: equity {percent(overall.equity, 2)}"
    if result.method == "exact":
        return f"{line}. Exact: every one of {result.deals:,} deals."
    return (
        f"{line} ± {100 * overall.std_error:.2f}. Sampled: {result.deals:,} deals in"
        f" {result.seconds:.2f} s (seed {result.seed}, {result.threads} threads)."
    )


def progress_view(progress: Progress) -> RenderableType:
    """A bar of the hands answered so far."""
    done = progress.hands_done / max(progress.hands, 1)
    status = Text(
        f" {progress.hands_done} of {progress.hands} hands, {progress.deals:,} deals,"
        f" {progress.seconds:.1f} s"
    )
    bar = Table.grid(padding=(0, 1))
    bar.add_row(ProgressBar(total=1.0, completed=done, width=40), status)
    return bar

"""The `vantor` command: a spot's equities as a table, a seat's hands one by one, or the games.

    vantor holdem AhKh QsQd --board "Qh Jh 2c"
    vantor omaha_hi_lo "A2**" "KK**" --precision 0.002
    vantor holdem "QQ+,AKs:0.5" "**" --board "Ks 7h 2c" --breakdown 1
    vantor games
    vantor serve --open

Exit status: 0 with an answer, 2 for any error (one line, with a pointer under the offending
field for notation errors), 130 when Ctrl-C stops a run (the table so far stays on the screen, or
with --json the estimate so far is printed). The table needs rich (`pip install 'vantor[cli]'`);
--json does not. `vantor serve` runs the calculator in the browser until Ctrl-C; it needs
starlette and uvicorn (`pip install 'vantor[web]'`).
"""

from __future__ import annotations

import argparse
import contextlib
import json
import sys
from collections.abc import Callable, Sequence
from typing import TYPE_CHECKING, Literal, NoReturn

import vantor

from .breakdown import breakdown
from .breakdown_result import Progress, plain_data
from .estimate import Equity, Interrupted, equity, equity_data
from .pointing import point
from .spots import Spot

if TYPE_CHECKING:
    from rich.console import Console
    from rich.live import Live

INTERRUPTED = 130
FAILED = 2
NEEDS_RICH = "vantor: the table needs the rich package: pip install 'vantor[cli]' (or pass --json)"
NEEDS_WEB = "vantor: serve needs starlette and uvicorn: pip install 'vantor[web]'"
WEB_PACKAGES = ("starlette", "uvicorn")


class Options(argparse.Namespace):
    """The command's arguments, typed."""

    game: str
    hands: list[str]
    board: str
    dead: str
    precision: float | None
    seconds: float | None
    exact: Literal["auto", "always", "never"]
    json: bool
    threads: int
    seed: int | None
    breakdown: int | None


class ServeOptions(argparse.Namespace):
    """`vantor serve`'s arguments, typed."""

    host: str
    port: int
    open: bool
    threads: int


class _Parser(argparse.ArgumentParser):
    def error(self, message: str) -> NoReturn:
        print(f"vantor: {message} (vantor --help shows the usage)", file=sys.stderr)
        raise SystemExit(FAILED)


def _parser() -> _Parser:
    parser = _Parser(
        prog="vantor",
        description="Every seat's equity in a poker spot: exact where that is cheap, otherwise"
        " sampled to a chosen precision. `vantor games` lists the games.",
    )
    parser.add_argument("game", help="the game's key, e.g. holdem, omaha_hi_lo, razz")
    parser.add_argument(
        "hands", nargs="+", metavar="HAND", help="one hand field per seat: AhKh, 'QQ+, AKs', '**'"
    )
    parser.add_argument("-b", "--board", default="", help="the board so far, e.g. 'Qh Jh 2c'")
    parser.add_argument("-d", "--dead", default="", help="cards out of play")
    parser.add_argument(
        "-p", "--precision", type=float, help="the standard error to reach (default 0.001)"
    )
    parser.add_argument("-s", "--seconds", type=float, help="sample for at most this long")
    parser.add_argument(
        "--exact",
        choices=("auto", "always", "never"),
        default="auto",
        help="walk every deal: when cheap (auto), always, or never",
    )
    parser.add_argument("--json", action="store_true", help="print the result as JSON")
    parser.add_argument(
        "-t", "--threads", type=int, default=0, help="pieces per batch (0: the default)"
    )
    parser.add_argument(
        "--seed", type=_whole_number, help="seed of the batch sequence (default: fresh)"
    )
    parser.add_argument(
        "--breakdown",
        type=int,
        metavar="SEAT",
        help="list this seat's hands (counted from 1) with their weights, shares and equities",
    )
    return parser


def _whole_number(text: str) -> int:
    return int(text, 0)


def main(argv: Sequence[str] | None = None) -> int:
    arguments = list(sys.argv[1:] if argv is None else argv)
    try:
        if arguments[:1] == ["games"]:
            return _games(arguments[1:])
        if arguments[:1] == ["serve"]:
            return _serve(arguments[1:])
        return _equity(_parser().parse_args(arguments, Options()))
    except KeyboardInterrupt:
        return INTERRUPTED


def _games(arguments: list[str]) -> int:
    parser = _Parser(prog="vantor games", description="The games vantor plays.")
    parser.add_argument("--json", action="store_true", help="print the catalogue as JSON")
    if parser.parse_args(arguments, Options()).json:
        print(json.dumps(vantor.variants(), indent=2))
        return 0
    console = _console()
    if console is None:
        return FAILED
    from . import view

    console.print(view.games_table())
    return 0


def _serve(arguments: list[str]) -> int:
    parser = _Parser(
        prog="vantor serve",
        description="The equity calculator in the browser, and its JSON API, until Ctrl-C.",
    )
    parser.add_argument("--host", default="127.0.0.1", help="the address to listen on")
    parser.add_argument("--port", type=int, default=0, help="the port (default: a free one)")
    parser.add_argument("--open", action="store_true", help="open the page in the browser")
    parser.add_argument(
        "-t", "--threads", type=int, default=0, help="pieces per batch (0: the default)"
    )
    options = parser.parse_args(arguments, ServeOptions())
    if options.threads < 0:
        parser.error(f"argument -t/--threads: must be 0 or more, not {options.threads}")
    try:
        from .web.server import address, listen, serve
        from .web.settings import Settings
    except ModuleNotFoundError as missing:
        if (missing.name or "").partition(".")[0] not in WEB_PACKAGES:
            raise
        print(NEEDS_WEB, file=sys.stderr)
        return FAILED
    try:
        listener = listen(options.host, options.port)
    except OSError as error:
        print(f"vantor: cannot listen on {options.host} port {options.port}: {error}",
              file=sys.stderr)  # fmt: skip
        return FAILED
    print(f"vantor serve: {address(listener)} (Ctrl-C stops it)", flush=True)
    serve(listener, Settings(threads=options.threads), options.open)
    return 0


def _console() -> Console | None:
    try:
        from rich.console import Console
    except ImportError:
        print(NEEDS_RICH, file=sys.stderr)
        return None
    return Console()


def _equity(options: Options) -> int:
    console = None if options.json else _console()
    if console is None and not options.json:
        return FAILED
    spot = Spot(options.game, options.hands, options.board, options.dead)
    if options.breakdown is not None:
        return _breakdown(options, console, spot)
    live = console is not None and console.is_terminal
    try:
        result = _run_live(console, options, spot) if console and live else _run(options, spot)
    except Interrupted as stop:
        if stop.result is None:
            print("vantor: interrupted before the first estimate", file=sys.stderr)
        elif not live:
            _show(console, stop.result)
        return INTERRUPTED
    except ValueError as error:
        for line in error_lines(str(error), spot):
            print(line, file=sys.stderr)
        return FAILED
    if not live:
        _show(console, result)
    return 0


def _breakdown(options: Options, console: Console | None, spot: Spot) -> int:
    """`--breakdown`: the seat's hands as a table (a progress bar while on a terminal) or JSON."""
    seat = options.breakdown
    if seat is None or not 1 <= seat <= len(spot.hands):
        print(f"vantor: --breakdown takes a seat from 1 to {len(spot.hands)}", file=sys.stderr)
        return FAILED
    live = None
    if console is not None and console.is_terminal:
        from rich.live import Live
        from rich.text import Text

        live = Live(Text("working..."), console=console, auto_refresh=False, transient=True)
    try:
        with live or contextlib.nullcontext():
            result = breakdown(
                spot.game,
                spot.hands,
                spot.board,
                spot.dead,
                seat - 1,
                precision=options.precision,
                seconds=options.seconds,
                exact=options.exact,
                threads=options.threads,
                seed=options.seed,
                progress=None if live is None else _painter(live),
            )
    except Interrupted:
        print("vantor: interrupted", file=sys.stderr)
        return INTERRUPTED
    except ValueError as error:
        for line in error_lines(str(error), spot):
            print(line, file=sys.stderr)
        return FAILED
    if console is None:
        print(json.dumps(plain_data(result), indent=2))
    else:
        from .breakdown_view import breakdown_view

        console.print(breakdown_view(result))
    return 0


def _painter(live: Live) -> Callable[[Progress], None]:
    from .breakdown_view import progress_view

    def paint(progress: Progress) -> None:
        live.update(progress_view(progress), refresh=True)

    return paint


def _run(options: Options, spot: Spot, progress: Callable[[Equity], None] | None = None) -> Equity:
    return equity(
        spot.game,
        spot.hands,
        spot.board,
        spot.dead,
        precision=options.precision,
        seconds=options.seconds,
        exact=options.exact,
        threads=options.threads,
        seed=options.seed,
        progress=progress,
    )


def _run_live(console: Console, options: Options, spot: Spot) -> Equity:
    """The run with its table repainted after every batch, a progress bar under it; the last
    table stays on the screen."""
    from rich.live import Live
    from rich.text import Text

    from . import view

    with Live(Text("working..."), console=console, auto_refresh=False) as live:

        def show(estimate: Equity) -> None:
            live.update(view.live_view(estimate, options.seconds), refresh=True)

        try:
            result = _run(options, spot, show)
        except Interrupted as stop:
            live.update(view.equity_view(stop.result) if stop.result else Text(""), refresh=True)
            raise
        except ValueError:
            live.update(Text(""), refresh=True)
            raise
        live.update(view.equity_view(result), refresh=True)
    return result


def _show(console: Console | None, result: Equity) -> None:
    """The result as JSON (no console) or as the table, printed once."""
    if console is None:
        print(json.dumps(equity_data(result), indent=2))
        return
    from . import view

    console.print(view.equity_view(result))


def error_lines(message: str, spot: Spot) -> list[str]:
    """The module's error as the command shows it: one line, and for a notation error ("...
    (at byte N)") the offending field under it with a pointer at byte N."""
    message = message.replace("; call variants() for the list", "; `vantor games` lists them")
    pointer = point(message, spot)
    if pointer is None:
        return [f"vantor: {message}"]
    return [
        f"vantor: {pointer.name}: {pointer.reason}",
        f"  {pointer.text}",
        "  " + " " * pointer.column + "^",
    ]

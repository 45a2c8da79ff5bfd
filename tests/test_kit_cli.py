"""The `vantor` command, run as a person runs it: in a subprocess for its output and exit status,
and in a pseudo-terminal for the live view and Ctrl-C."""

import dataclasses
import json
import os
import pathlib
import re
import shlex
import shutil
import subprocess
import sys

import pytest

import vantor
import vantorkit
from optional import optional

README = pathlib.Path(__file__).resolve().parent.parent / "README.md"
ENV = {**os.environ, "COLUMNS": "80", "NO_COLOR": "1"}
ENV.pop("FORCE_COLOR", None)


@pytest.fixture
def rich():
    """The table needs rich; without it the command says what to install (tested below)."""
    return optional("rich")


def vantor_command(*arguments, env=ENV):
    return subprocess.run(
        [sys.executable, "-m", "vantorkit", *arguments],
        capture_output=True,
        text=True,
        env=env,
        timeout=120,
    )


def rows(output):
    """The table's rows as lists of cells."""
    return [line.split() for line in output.splitlines() if re.match(r"\s+\d+\s", line)]


@pytest.mark.usefixtures("rich")
def test_an_exact_spot_prints_its_table():
    run = vantor_command("holdem", "AhKh", "QsQd", "--board", "Qh Jh 2c")
    assert run.returncode == 0 and run.stderr == ""
    exact = vantor.exact_from_text("holdem", ["AhKh", "QsQd"], "Qh Jh 2c")
    expected = [
        [str(seat), hand, *(f"{100 * p[figure]:.2f}%" for figure in ("equity", "win", "tie"))]
        for seat, (hand, p) in enumerate(zip(["AhKh", "QsQd"], exact["players"]), 1)
    ]
    assert rows(run.stdout) == expected
    assert "Exact: every one of 990 deals." in run.stdout


@pytest.mark.usefixtures("rich")
def test_a_sampled_hi_lo_spot_shows_errors_and_both_halves():
    spot = ("omaha_hi_lo", ["A2**", "KK**"], "Qh Jh 2c")
    run = vantor_command(spot[0], *spot[1], "-b", spot[2], "--seed", "4", "-t", "2", "-p", "0.004")
    assert run.returncode == 0, run.stderr
    result = vantorkit.equity(*spot, precision=0.004, seed=4, threads=2)
    assert "Equity      ±    Scoop      Tie     High      Low" in run.stdout
    for cells, seat in zip(rows(run.stdout), result.seats):
        figures = [seat.equity, seat.scoop, seat.tie, seat.high_win, seat.low_win]
        assert cells[2:] == [f"{100 * figures[0]:.2f}%", f"{100 * seat.std_error:.2f}"] + [
            f"{100 * value:.2f}%" for value in figures[1:]
        ]
    assert f"Sampled: {result.deals:,} deals in" in run.stdout
    assert "(seed 4, 2 threads)." in run.stdout


def test_json_carries_the_figures_and_the_mergeable_result():
    spot = ("holdem", ["AhKh", "**"], "Kd 7c 2s")
    run = vantor_command(spot[0], *spot[1], "-b", spot[2], "--json", "--seed", "8",
                         "--threads", "2", "--exact", "never", "--precision", "0.01")  # fmt: skip
    assert run.returncode == 0, run.stderr
    printed = json.loads(run.stdout)
    expected = vantorkit.equity(*spot, exact="never", precision=0.01, seed=8, threads=2)
    assert printed["result"] == expected.raw
    assert printed["seats"] == [dataclasses.asdict(seat) for seat in expected.seats]
    assert (printed["method"], printed["reason"], printed["seed"]) == ("sampled", "precision", 8)
    assert vantorkit.merge([printed["result"]]) == expected.raw


def test_a_hand_against_any_hand_is_walked_when_asked():
    run = vantor_command("holdem", "AhKh", "**", "--exact", "always", "--json", "-t", "1")
    assert run.returncode == 0, run.stderr
    printed = json.loads(run.stdout)
    assert (printed["method"], printed["deals"]) == ("exact", 2_097_572_400)
    assert round(printed["seats"][0]["equity"], 4) == 0.6704


BREAKDOWN = ("holdem", ["QQ+,AKs:0.5", "**"], "Ks 7h 2c")


@pytest.mark.usefixtures("rich")
def test_a_breakdown_lists_the_hands_best_first_with_their_weights():
    run = vantor_command(BREAKDOWN[0], *BREAKDOWN[1], "--board", BREAKDOWN[2], "--breakdown", "1")
    assert run.returncode == 0 and run.stderr == ""
    result = vantorkit.breakdown(*BREAKDOWN, exact="always")
    hands = [
        line.split() for line in run.stdout.splitlines() if re.match(r"  [2-9TJQKA][cdhs]", line)
    ]
    assert hands == [
        [row.hand, row.hand_class, f"{row.weight:g}", f"{100 * row.share:.2f}%",
         *(f"{100 * figure:.2f}%" for figure in (row.equity, row.win, row.tie))]
        for row in result.hands
    ]  # fmt: skip
    classes = [line.split()[0] for line in run.stdout.splitlines()
               if re.match(r"  (KK|AKs|AA|QQ) ", line)]  # fmt: skip
    assert classes == [group.hand for group in result.classes] == ["KK", "AKs", "AA", "QQ"]
    assert f"equity {100 * result.overall.equity:.2f}%" in run.stdout
    assert "Exact: every one of 19,263,420 deals." in run.stdout


def test_a_breakdown_in_json_is_the_result_as_data():
    options = ["--json", "--exact", "never", "-p", "0.02", "--seed", "5", "-t", "2"]
    run = vantor_command(
        BREAKDOWN[0], *BREAKDOWN[1], "-b", BREAKDOWN[2], "--breakdown", "1", *options
    )
    assert run.returncode == 0, run.stderr
    result = vantorkit.breakdown(*BREAKDOWN, exact="never", precision=0.02, seed=5, threads=2)
    printed = json.loads(run.stdout)
    expected = json.loads(json.dumps(dataclasses.asdict(result)))
    for data in (printed, expected):
        del data["seconds"]  # the one figure that is not the same twice
    assert printed == expected
    assert (printed["method"], printed["seed"], printed["seat"]) == ("sampled", 5, 0)


def test_the_console_script_is_installed():
    script = shutil.which("vantor", path=os.path.dirname(sys.executable))
    if script is None:
        pytest.skip("vantorkit runs from the source tree, not from an installed wheel")
    run = subprocess.run([script, "games", "--json"], capture_output=True, text=True, env=ENV)
    assert run.returncode == 0 and json.loads(run.stdout) == vantor.variants()


@pytest.mark.usefixtures("rich")
def test_games_lists_every_game():
    run = vantor_command("games")
    assert run.returncode == 0
    listed = [line.split()[0] for line in run.stdout.splitlines() if re.match(r"  [a-z]", line)]
    assert listed == [game["key"] for game in vantor.variants()]
    assert re.search(r"short_deck .* 2 +5 +36-card deck", run.stdout)
    assert re.search(r"razz .* 7 +0 +partial hands", run.stdout)


@pytest.mark.parametrize(
    "arguments, lines",
    [
        (["holdem", "AhKh", "QsQx"],
         ["vantor: seat 2's hand: 'x' is not a rank, a suit, or '*'", "  QsQx", "     ^"]),
        (["holdem", "AhKh", "QsQd", "--board", "Qh Jx 2c"],
         ["vantor: the board: 'x' is not a rank, a suit, or '*'", "  Qh Jx 2c", "      ^"]),
        (["holdem", "AhKh", "QsQd", "--dead", "2c  é x"],
         ["vantor: the dead cards: 'é' is not a rank, a suit, or '*'", "  2c  é x", "      ^"]),
        (["deuce_seven", "7c5d4h", "9c8d6h", "--board", "Kd"],
         ["vantor: the board: at most 0 cards fit here, but 1 were written", "  Kd", "  ^"]),
        (["omaha", "AhKh", "QsQd"],
         ["vantor: seat 1's hand: this game deals 4 cards, but 2 were written", "  AhKh", "  ^"]),
        (["holdm", "AhKh", "QsQd"], ['vantor: no game called "holdm"; `vantor games` lists them']),
        (["holdem", "AhKh", "QQ+, AKs:1.5"],
         ["vantor: seat 2's hand: a weight is at most 1, not 1.5; for a percentage write 1.5%",
          "  QQ+, AKs:1.5", "           ^"]),
        (["holdem", "AhKh", "A5s-A2o"],
         ["vantor: seat 2's hand: both ends of a range must share the same gap", "  A5s-A2o",
          "  ^"]),
        (["holdem", "AhKh", "**", "--breakdown", "3"],
         ["vantor: --breakdown takes a seat from 1 to 2"]),
        (["stud", "A** K", "***Q", "--breakdown", "1"],
         ["vantor: seat 1's field writes some cards to a rank or a suit and leaves others to be"
          " dealt, so its hands cannot be listed apart; name those cards, or write them all"]),
        (["holdem", "AA", "AA", "AA"],
         ["vantor: No deal can satisfy the hands, board and dead cards together"]),
        (["holdem", "**", "**", "**", "--exact", "always"],
         ["vantor: this spot is too large to walk: cut by the hands of 2 seats, a part of it still"
          " has more than 50,000,000 deals; sample it (exact 'auto' or 'never') or name more"
          " cards"]),
        (["holdem", "AhKh", "QsQd", "--precision", "0"],
         ["vantor: precision must be a positive number, not 0.0"]),
    ],
)  # fmt: skip
def test_errors_are_one_line_and_exit_2(arguments, lines):
    run = vantor_command(*arguments)
    assert (run.returncode, run.stdout) == (2, "")
    assert run.stderr.splitlines() == lines


@pytest.mark.parametrize(
    "arguments, line",
    [(["holdem", "AhKh", "QsQd", "--seconds", "soon"], "argument -s/--seconds: invalid float"),
     (["holdem"], "the following arguments are required: HAND"),
     (["holdem", "AhKh", "QsQd", "--exact", "maybe"], "argument --exact: invalid choice: 'maybe'"),
     (["games", "--all"], "unrecognized arguments: --all")],
)  # fmt: skip
def test_usage_errors_are_one_line_and_exit_2(arguments, line):
    run = vantor_command(*arguments)
    assert (run.returncode, run.stdout) == (2, "")
    (error,) = run.stderr.splitlines()
    assert error.startswith(f"vantor: {line}") and error.endswith("(vantor --help shows the usage)")


def test_help_exits_0():
    run = vantor_command("--help")
    assert run.returncode == 0 and "--precision" in run.stdout and "vantor games" in run.stdout


WITHOUT_RICH = (
    "import sys; sys.modules['rich'] = None; from vantorkit.cli import main; sys.exit(main())"
)


@pytest.mark.parametrize("arguments", [["holdem", "AhKh", "QsQd"], ["games"]])
def test_without_rich_the_table_says_what_to_install(arguments):
    run = subprocess.run([sys.executable, "-c", WITHOUT_RICH, *arguments], capture_output=True,
                         text=True, env=ENV)  # fmt: skip
    assert run.returncode == 2 and run.stdout == ""
    assert run.stderr == (
        "vantor: the table needs the rich package: pip install 'vantor[cli]' (or pass --json)\n"
    )
    with_json = subprocess.run([sys.executable, "-c", WITHOUT_RICH, *arguments, "--json"],
                               capture_output=True, text=True, env=ENV)  # fmt: skip
    assert with_json.returncode == 0 and json.loads(with_json.stdout)


@pytest.mark.usefixtures("rich")
def test_the_readme_quick_start_shows_what_the_command_prints():
    text = README.read_text(encoding="utf-8")
    start = text.index("## Quick start")
    section = text[start : text.index("\n## ", start + 1)]
    command = next(line for line in section.splitlines() if line.startswith("vantor "))
    shown = re.search(r"```text\n(.*?)```", section, re.S).group(1)
    run = vantor_command(*shlex.split(command)[1:])
    assert run.returncode == 0
    assert [line.rstrip() for line in run.stdout.splitlines()] == shown.splitlines()


@pytest.mark.usefixtures("rich")
class TestLiveView:
    def spawn(self, *arguments):
        self.pexpect = optional("pexpect")
        env = {**ENV, "TERM": "xterm-256color", "COLUMNS": "100", "LINES": "40"}
        env.pop("NO_COLOR")
        return self.pexpect.spawn(sys.executable, ["-m", "vantorkit", *arguments], env=env,
                                  encoding="utf-8", dimensions=(40, 100), timeout=60)  # fmt: skip

    def test_the_table_is_repainted_with_progress_until_the_target(self):
        child = self.spawn("holdem", "AhKh", "**", "--precision", "0.0005", "--seed", "3")
        child.expect(r"error [\d.]+%, target 0\.050%")
        child.expect(self.pexpect.EOF)
        child.close()
        assert child.exitstatus == 0
        # The last paint is the final table, without the progress bar.
        final = child.before.rsplit("Hold'em: AhKh vs **", 1)[1]
        assert "Sampled:" in final and "target" not in final and "interrupted" not in final

    def test_a_breakdown_shows_its_progress_then_its_tables(self):
        child = self.spawn(BREAKDOWN[0], *BREAKDOWN[1], "-b", BREAKDOWN[2], "--breakdown", "1",
                           "--exact", "never", "-p", "0.003", "--seed", "2")  # fmt: skip
        child.expect(r"\d+ of 18 hands")
        child.expect(self.pexpect.EOF)
        child.close()
        assert child.exitstatus == 0
        assert "Seat 1's hands, best first" in child.before and "By starting hand" in child.before

    def test_ctrl_c_keeps_the_last_table_and_exits_130(self):
        child = self.spawn("omaha_hi_lo", "A2**", "KK**", "--precision", "0.00001")
        child.expect("target 0.001%")
        child.sendintr()
        child.expect(self.pexpect.EOF)
        child.close()
        assert child.exitstatus == 130
        final = child.before.rsplit("Omaha Hi/Lo: A2** vs KK**", 1)[1]
        assert re.search(
            r"Sampled: [\d,]+ deals in [\d.]+ s \(seed \d+, \d threads\), interrupted", final
        )
        assert len(rows(re.sub(r"\x1b\[[0-9;?]*[A-Za-z]", "", final))) == 2
        assert "Traceback" not in child.before


class TestInterruptsWithoutATerminal:
    """Ctrl-C as `equity` reports it, in the process: the table or JSON so far, and status 130."""

    def interrupt_after(self, batches, monkeypatch):
        from vantorkit import cli

        def impatient(*args, **keywords):
            def stop(estimate):
                if len(estimate.batches) == batches:
                    raise KeyboardInterrupt

            return vantorkit.equity(*args, **{**keywords, "progress": stop})

        monkeypatch.setattr(cli, "equity", impatient)
        return cli

    def test_json_prints_the_estimate_so_far(self, monkeypatch, capsys):
        cli = self.interrupt_after(2, monkeypatch)
        status = cli.main(["holdem", "AhKh", "**", "--json", "--seed", "1", "-p", "0.0001"])
        printed = json.loads(capsys.readouterr().out)
        assert status == 130
        assert (printed["reason"], printed["deals"]) == ("interrupted", 4096 + 16384)

    @pytest.mark.usefixtures("rich")
    def test_the_table_so_far_is_printed(self, monkeypatch, capsys):
        cli = self.interrupt_after(1, monkeypatch)
        assert cli.main(["holdem", "AhKh", "**", "--seed", "1"]) == 130
        output = capsys.readouterr().out
        assert "Sampled: 4,096 deals in" in output and output.rstrip().endswith("interrupted.")

    def test_before_the_first_estimate_there_is_nothing_to_show(self, monkeypatch, capsys):
        from vantorkit import cli

        def interrupted(*args, **keywords):
            raise vantorkit.Interrupted(None)

        monkeypatch.setattr(cli, "equity", interrupted)
        assert cli.main(["holdem", "AhKh", "QsQd", "--json"]) == 130
        assert capsys.readouterr().err == "vantor: interrupted before the first estimate\n"

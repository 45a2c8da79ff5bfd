"""The page of `vantor serve` in a real browser: Debian's Chromium, driven by Playwright, against
the server on a free port of the loopback. A spot is entered by typing, on the grid and on the
deck; the equities that settle are vantorkit's; errors show under their fields; the game changes;
a link opens the same spot; a breakdown lists the hands and draws their curve; a change or the
stop button stops the calculation on the server. The screenshots of the main view and of a
breakdown are kept in build/web-screenshots/."""

import pathlib
import random
import re

import pytest

import vantorkit
from optional import optional, optional_program

optional("starlette")
optional("uvicorn")
sync_api = optional("playwright.sync_api")

from vantorkit.web.calculations import Calculations  # noqa: E402
from vantorkit.web.settings import Settings  # noqa: E402
from web_service import running_server  # noqa: E402

pytestmark = pytest.mark.browser
CHROMIUM = "/usr/bin/chromium"
SCREENSHOTS = pathlib.Path(__file__).resolve().parent.parent / "build" / "web-screenshots"
SETTINGS = Settings(threads=2, running=8, waiting=8, most_seconds=30)
# Bounds on waiting for the page, in milliseconds: far above what a step takes, so that a page
# that never gets there fails instead of hanging.
WAIT = 20_000


@pytest.fixture(scope="module")
def calculations():
    found = Calculations(SETTINGS.running, SETTINGS.waiting)
    yield found
    found.close()


@pytest.fixture(scope="module")
def server(calculations):
    with running_server(SETTINGS, calculations) as url:
        yield url


@pytest.fixture(scope="module")
def browser():
    executable = optional_program(CHROMIUM)
    with sync_api.sync_playwright() as playwright:
        launched = playwright.chromium.launch(executable_path=executable)
        yield launched
        launched.close()


@pytest.fixture
def page(browser, server):
    """A fresh page on the server, which must neither log an error nor ask another host."""
    context = browser.new_context(viewport={"width": 1360, "height": 1000})
    context.grant_permissions(["clipboard-read", "clipboard-write"], origin=server.rstrip("/"))
    opened = context.new_page()
    opened.set_default_timeout(WAIT)
    problems = []
    opened.on("pageerror", lambda error: problems.append(f"page error: {error}"))
    opened.on(
        "console",
        lambda message: (
            message.type == "error"
            and "status of 400" not in message.text  # a refused spot, which the page shows
            and problems.append(f"console: {message.text}")
        ),
    )
    opened.on(
        "request",
        lambda request: (
            request.url.startswith(server)
            or problems.append(f"a request to another host: {request.url}")
        ),
    )
    opened.server = server
    yield opened
    context.close()
    assert problems == []


def open_spot(page, **spot):
    """The page opened on a spot given as its address would give it."""
    params = [(key, value) for key, value in spot.items() if key != "hand"]
    params += [("hand", hand) for hand in spot.get("hand", [])]
    page.goto(page.server + "#" + "&".join(f"{key}={quote(value)}" for key, value in params))


def quote(text):
    from urllib.parse import quote as url_quote

    return url_quote(str(text), safe="")


def settled(page, hands):
    """Waits until the equity table shows `hands` with the figures final."""
    page.wait_for_function(
        """(hands) => {
            const results = document.querySelector("#results");
            const shown = [...results.querySelectorAll("td.hand")].map((cell) => cell.textContent);
            const same = JSON.stringify(shown) === JSON.stringify(hands);
            return results.dataset.state === "final" && same;
        }""",
        arg=hands,
    )


def table(page, selector="#results table"):
    """The table's rows as lists of cell texts."""
    return page.eval_on_selector_all(
        f"{selector} tbody tr:not([hidden])",
        "rows => rows.map(row => [...row.cells].map(cell => cell.textContent.trim()))",
    )


def shown(value, places=2):
    return f"{100 * value:.{places}f}%"


def type_into(page, selector, text):
    page.fill(selector, "")
    page.type(selector, text, delay=5)


class TestEntering:
    def test_a_typed_spot_settles_on_vantorkits_figures(self, page):
        page.goto(page.server)
        settled(page, ["AhKh", "QsQd"])
        assert page.text_content(".status") == "Exact: every one of 1,712,304 deals."
        type_into(page, "#hand-1", "QQ+, AKs:0.5")
        type_into(page, "#board", "Kd 7c 2s")
        settled(page, ["AhKh", "QQ+, AKs:0.5"])
        walked = vantorkit.equity("holdem", ["AhKh", "QQ+, AKs:0.5"], "Kd 7c 2s")
        assert walked.method == "exact"
        assert [row[2:] for row in table(page)] == [
            [shown(seat.equity), shown(seat.win), shown(seat.tie)] for seat in walked.seats
        ]
        assert page.text_content(".status") == f"Exact: every one of {walked.deals:,} deals."

    def test_a_sampled_spot_converges_within_its_errors(self, page):
        open_spot(page, game="holdem", hand=["AhKh", "**", "**"], precision="0.0005")
        page.wait_for_selector('#results[data-state="running"] td.equity')
        settled(page, ["AhKh", "**", "**"])
        rows = table(page)
        expected = vantorkit.equity("holdem", ["AhKh", "**", "**"], exact="never", seed=1)
        for row, seat in zip(rows, expected.seats):
            equity, error = float(row[2].rstrip("%")) / 100, float(row[3]) / 100
            assert 0 < error <= 0.0005
            assert abs(equity - seat.equity) < 4 * (error + seat.std_error)
        assert re.fullmatch(
            r"Sampled: [\d,]+ deals in [\d.]+ s, every error at most 0\.050%\.",
            page.text_content(".status"),
        )

    def test_the_grid_paints_the_field_and_counts_the_hands(self, page):
        open_spot(page, game="holdem", hand=["AhKh", "QsQd"], board="Kd 7c 2s")
        settled(page, ["AhKh", "QsQd"])
        page.click("#seats .seat:nth-child(2) .grid-toggle")
        page.wait_for_function(
            "() => document.querySelector('.cell[data-class=\"QQ\"]').title.includes('1 of 6')"
        )
        page.click(".picks button:has-text('Pairs')")
        assert page.input_value("#hand-1") == "22+"
        corner = page.locator('.cell[data-class="AKs"]').bounding_box()
        end = page.locator('.cell[data-class="ATs"]').bounding_box()
        page.mouse.move(corner["x"] + 5, corner["y"] + 5)
        page.mouse.down()
        page.mouse.move(end["x"] + 5, end["y"] + 5, steps=6)
        page.mouse.up()
        assert page.input_value("#hand-1") == "22+, ATs+"
        page.fill(".grid-weight", "50")
        page.click('.cell[data-class="KQo"]')
        page.click('.cell[data-class="KQs"]')
        assert page.input_value("#hand-1") == "22+, ATs+, KQ:50%"
        # 78 pairs, 16 suited aces, and 16 king-queens at a half.
        assert page.text_content(".grid-count") == "102 hands · 7.69% of all 1,326"
        settled(page, ["AhKh", "22+, ATs+, KQ:50%"])
        walked = vantorkit.equity("holdem", ["AhKh", "22+, ATs+, KQ:50%"], "Kd 7c 2s")
        assert walked.method == "exact"
        assert [row[2] for row in table(page)] == [shown(seat.equity) for seat in walked.seats]

    def test_a_painted_range_reads_back_as_painted(self, page):
        page.goto(page.server)
        page.wait_for_selector("#results td.hand")
        generator = random.Random(27)
        ranges = []
        for ranks in ["23456789TJQKA"] * 20 + ["6789TJQKA"] * 10:
            cards = [rank + suit for rank in ranks for suit in "cdhs"]
            hands = {}
            for _ in range(generator.randrange(1, 60)):
                first, second = sorted(generator.sample(cards, 2), key=index, reverse=True)
                hands[first + second] = generator.choice([1, 1, 0.5, 0.25, 0.125])
            ranges.append((ranks, hands))
        # Whole classes and runs of them too, since those are what the writer joins.
        ranges.append(("23456789TJQKA", hands_of("holdem", "TT+, A2s+, KTo+, 65s")))
        ranges.append(("6789TJQKA", hands_of("short_deck", "99-66:50%, A6+:50%, K9-K7:50%")))
        written = page.evaluate(
            """async (ranges) => {
                const { rangeText } = await import("/ranges.js");
                const write = ([ranks, hands]) => rangeText(new Map(Object.entries(hands)), ranks);
                return ranges.map(write);
            }""",
            ranges,
        )
        assert written[-2:] == ["TT+, A2s+, KTo+, 65s", "99-66:50%, A6+:50%, K9-K7:50%"]
        for (ranks, hands), field in zip(ranges, written):
            game = "holdem" if len(ranks) == 13 else "short_deck"
            read = page.evaluate(
                """async ([game, field]) => {
                    const answer = await fetch("/api/range", {method: "POST",
                        headers: {"Content-Type": "application/json"},
                        body: JSON.stringify({game, field})});
                    return answer.json();
                }""",
                [game, field],
            )
            assert read["hands"] == hands, field

    def test_the_deck_deals_the_board_and_the_dead_cards(self, page):
        page.goto(page.server)
        settled(page, ["AhKh", "QsQd"])
        assert page.is_disabled('.card[data-card="Ah"]') and page.is_disabled(
            '.card[data-card="Qs"]'
        )
        for card in ["Qh", "Jh", "2c", "9d"]:
            page.click(f'.card[data-card="{card}"]')
        page.click('input[value="dead"]')
        page.click('.card[data-card="3c"]')
        page.click('.card[data-card="9d"]')  # on the board: taken off
        assert (page.input_value("#board"), page.input_value("#dead")) == ("Qh Jh 2c", "3c")
        assert page.get_attribute('.card[data-card="Qh"]', "data-where") == "board"
        assert page.get_attribute('.card[data-card="3c"]', "data-where") == "dead"
        settled(page, ["AhKh", "QsQd"])
        page.wait_for_function(
            "() => document.querySelector('.status').textContent.includes('946')"
        )
        walked = vantorkit.equity("holdem", ["AhKh", "QsQd"], "Qh Jh 2c", "3c")
        assert walked.deals == 946
        assert [row[2] for row in table(page)] == [shown(seat.equity) for seat in walked.seats]


def index(card):
    return "23456789TJQKA".index(card[0]) * 4 + "cdhs".index(card[1])


def hands_of(game, field):
    """The hands of a two-card field with their weights, as the kit reads them."""
    from vantorkit.web.ranges import range_data

    return range_data(vantorkit.catalogue.games()[game], field)["hands"]


class TestErrors:
    @pytest.mark.parametrize(
        "selector, text, error, caret, reason, mended",
        [
            ("#hand-1", "QsQx", "#seats .seat:nth-child(2) .field-error", "   ^",
             "'x' is not a rank, a suit, or '*'", "QsQd"),
            ("#hand-1", "QQ+, AKs:1.5", "#seats .seat:nth-child(2) .field-error", "         ^",
             "a weight is at most 1, not 1.5; for a percentage write 1.5%", "QQ+, AKs:15%"),
            ("#board", "Qh Jx", "#board-error", "    ^", "'x' is not a rank, a suit, or '*'",
             "Qh Jc"),
            ("#dead", "2c K", "#dead-error", "   ^",
             "a dead card must name one card, since every reading changes the answer", "2c Kd"),
        ],
    )  # fmt: skip
    def test_a_notation_error_points_under_its_field(self, page, selector, text, error, caret,
                                                     reason, mended):  # fmt: skip
        page.goto(page.server)
        settled(page, ["AhKh", "QsQd"])
        type_into(page, selector, text)
        page.wait_for_selector(error)
        assert page.text_content(f"{error} pre") == f"{text}\n{caret}"
        assert page.text_content(f"{error} p") == reason
        assert page.get_attribute(selector, "aria-invalid") == "true"
        assert page.get_attribute("#results", "data-state") == "error"
        type_into(page, selector, mended)
        page.wait_for_selector(error, state="hidden")
        assert page.get_attribute(selector, "aria-invalid") is None
        page.wait_for_selector('#results[data-state="final"]')

    def test_a_spot_the_engine_refuses_is_said_over_the_figures(self, page):
        page.goto(page.server)
        settled(page, ["AhKh", "QsQd"])
        type_into(page, "#hand-1", "AhQd")
        page.wait_for_selector(".results-error:not([hidden])")
        assert page.text_content(".results-error") == "Found duplicated card: Ah"


class TestGamesAndLinks:
    def test_changing_the_game_deals_its_hands(self, page):
        page.goto(page.server)
        settled(page, ["AhKh", "QsQd"])
        page.select_option("#game", "omaha_hi_lo")
        settled(page, ["Ac3dJhJc", "KcKd9s8h"])
        assert "eight-or-better low" in page.text_content("#dealing")
        headings = page.eval_on_selector_all(
            "#results th", "cells => cells.map(c => c.textContent)"
        )
        assert headings == ["Seat", "Hand", "Equity", "Scoop", "Tie", "High", "Low", "Low eq."]
        assert page.locator(".grid-toggle").count() == 0
        walked = vantorkit.equity("omaha_hi_lo", ["Ac3dJhJc", "KcKd9s8h"], "Ks Qd 7c")
        assert [row[2:] for row in table(page)] == [
            [shown(s.equity), shown(s.scoop), shown(s.tie), shown(s.high_win), shown(s.low_win),
             shown(s.low_equity)]
            for s in walked.seats
        ]  # fmt: skip
        page.select_option("#game", "short_deck")
        settled(page, ["AhKh", "QsQd"])
        assert page.locator('.card[data-card="5s"]').count() == 0
        page.click("#add-seat")
        settled(page, ["AhKh", "QsQd", "**"])

    def test_a_shared_link_opens_the_same_spot(self, page):
        page.goto(page.server)
        settled(page, ["AhKh", "QsQd"])
        page.select_option("#game", "short_deck")
        type_into(page, "#hand-1", "QQ, 99:50%")
        for card in ["Qh", "9c"]:
            page.click(f'.card[data-card="{card}"]')
        page.click('input[value="dead"]')
        page.click('.card[data-card="6d"]')
        page.select_option("#precision", "0.002")
        page.select_option("#exact", "always")
        settled(page, ["AhKh", "QQ, 99:50%"])
        page.click("#copy-link")
        link = page.evaluate("navigator.clipboard.readText()")
        assert link == page.url and "#game=short_deck" in link
        other = page.context.new_page()
        other.goto(link)
        settled(other, ["AhKh", "QQ, 99:50%"])
        for field in ["#game", "#board", "#dead", "#precision", "#exact", "#hand-1"]:
            assert other.input_value(field) == page.input_value(field)
        assert table(other) == table(page)
        assert other.text_content(".status") == page.text_content(".status")


class TestBreakdown:
    def test_a_ranges_hands_by_class_and_their_curve(self, page):
        SCREENSHOTS.mkdir(parents=True, exist_ok=True)
        open_spot(page, game="holdem", hand=["AhKh", "QQ+,AKs:0.5,A5s-A4s:25%", "**"],
                  board="Ks 7h 2c", breakdown="2")  # fmt: skip
        page.wait_for_selector('#breakdown[data-state="final"]')
        expected = vantorkit.breakdown(
            "holdem", ["AhKh", "QQ+,AKs:0.5,A5s-A4s:25%", "**"], "Ks 7h 2c", seat=1
        )
        rows = table(page, "#breakdown")
        assert [row[0].split()[0] for row in rows] == [group.hand for group in expected.classes]
        assert [row[3] for row in rows] == [shown(group.equity) for group in expected.classes]
        points = page.get_attribute(".curve-chart .curve", "points").split()
        assert len(points) == 2 * len(expected.hands)
        # The curve falls from the best hand to the worst, as wide as the seat's hands.
        heights = [float(point.split(",")[1]) for point in points]
        assert heights == sorted(heights)
        assert float(points[-1].split(",")[0]) == pytest.approx(640 - 14, abs=0.01)
        page.click(".class-row >> nth=0")
        hands = [row[0] for row in table(page, "#breakdown") if "hand" not in row[0]]
        assert hands == [row.hand for row in expected.hands if row.hand_class == "KK"]
        page.hover(".curve-chart .pointer-area", position={"x": 3, "y": 50})
        assert page.text_content(".marker-label").startswith(expected.hands[0].hand)
        page.locator("#breakdown").screenshot(path=SCREENSHOTS / "breakdown.png")


# A spot sampled to a precision it takes far longer than a test to reach.
SLOW = {"game": "omaha_hi_lo", "hand": ["A2**", "KK**", "****"], "precision": "0.0001",
        "exact": "never"}  # fmt: skip


class TestStopping:
    def test_the_stop_button_stops_the_calculation_on_the_server(self, page, calculations):
        stopped = calculations.ended["stopped"]
        open_spot(page, **SLOW)
        page.wait_for_selector('#results[data-state="running"] td.equity')
        page.click("#stop")
        page.wait_for_selector('#results[data-state="stopped"]')
        assert page.text_content(".status").startswith("Stopped: ")
        assert page.is_disabled("#stop")
        wait_until(lambda: calculations.ended["stopped"] == stopped + 1)

    def test_a_change_stops_the_running_calculation_and_starts_the_next(self, page, calculations):
        stopped = calculations.ended["stopped"]
        open_spot(page, **SLOW)
        page.wait_for_selector('#results[data-state="running"] td.equity')
        type_into(page, "#hand-2", "Ac2c3d4h")
        wait_until(lambda: calculations.ended["stopped"] >= stopped + 1)
        page.select_option("#precision", "0.002")
        settled(page, ["A2**", "KK**", "Ac2c3d4h"])


def wait_until(condition, seconds=20):
    """Waits for a condition the server's thread makes true; fails after `seconds` (a bound
    against hanging, far above what it takes)."""
    import time

    deadline = time.monotonic() + seconds
    while not condition():
        assert time.monotonic() < deadline, "waited too long"
        time.sleep(0.02)


def test_the_main_view(page):
    """The screenshot of the main view: a three-way spot with a weighted range on the grid."""
    SCREENSHOTS.mkdir(parents=True, exist_ok=True)
    open_spot(page, game="holdem", hand=["AhKh", "QQ+, AKs:0.5, A5s-A2s:25%", "**"],
              board="Ks 7h 2c")  # fmt: skip
    page.click("#seats .seat:nth-child(2) .grid-toggle")
    page.wait_for_function(
        "() => document.querySelector('.cell[data-class=\"AKs\"]').classList.contains('held')"
    )
    settled(page, ["AhKh", "QQ+, AKs:0.5, A5s-A2s:25%", "**"])
    # 18 hands of QQ+, 4 of AKs at a half and 16 of A5s-A2s at a quarter.
    assert page.text_content(".grid-count") == "24 hands · 1.81% of all 1,326"
    page.screenshot(path=SCREENSHOTS / "main.png", full_page=True)

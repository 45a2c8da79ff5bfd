"""The JSON API of `vantor serve`, through an ASGI client: every route against vantorkit's own
answers (a seed reproduces them, streamed or not), bad input of every kind refused with its status
and message before any calculation is submitted, and calculations stopped by a client's next
request, by a client that hangs up, and refused when too many wait."""

import asyncio
import importlib.resources
import json
import re
import signal
import socket
import subprocess
import sys

import pytest

import vantorkit
from optional import optional
from vantorkit.breakdown_result import plain_data
from vantorkit.estimate import equity_data

optional("starlette")
httpx = optional("httpx")

from vantorkit.web.app import create_app  # noqa: E402
from vantorkit.web.calculations import Calculations  # noqa: E402
from vantorkit.web.settings import Settings  # noqa: E402
from web_service import events, running_server  # noqa: E402

THREADS = 2
SETTINGS = Settings(threads=THREADS, running=4, waiting=4, most_seconds=30)
JSON = {"Content-Type": "application/json"}
# Sampled, and long at the precision asked: it runs until something stops it.
LONG = {
    "game": "omaha_hi_lo",
    "hands": ["A2**", "KK**", "****"],
    "precision": 1e-6,
    "exact": "never",
}


@pytest.fixture
def calculations():
    found = Calculations(SETTINGS.running, SETTINGS.waiting)
    yield found
    found.close()


@pytest.fixture
def app(calculations):
    return create_app(SETTINGS, calculations)


def client(app):
    return httpx.AsyncClient(transport=httpx.ASGITransport(app=app), base_url="http://vantor")


def ask(app, path, body=None, *, method="POST", content=None, headers=JSON):
    """One request, answered whole."""

    async def go():
        async with client(app) as session:
            content_sent = json.dumps(body) if body is not None else content
            return await session.request(method, path, content=content_sent, headers=headers)

    return asyncio.run(go())


def without_seconds(data):
    """The answer's data less its timings, the one part that differs between two runs."""
    data = json.loads(json.dumps(data))
    data.pop("seconds", None)
    return data


async def until(condition, timeout=30):
    """Waits for `condition()` on the event loop; fails after `timeout` seconds (a bound against
    hanging, far above what any step here takes)."""
    deadline = asyncio.get_running_loop().time() + timeout
    while not condition():
        assert asyncio.get_running_loop().time() < deadline, "waited too long"
        await asyncio.sleep(0.005)


class TestGames:
    def test_every_game_with_how_it_deals_and_the_limits(self, app):
        answer = ask(app, "/api/games", method="GET", headers={})
        assert answer.status_code == 200
        data = answer.json()
        listed = {game["key"]: game for game in data["games"]}
        assert list(listed) == list(vantorkit.catalogue.games())
        for key, game in vantorkit.catalogue.games().items():
            assert listed[key]["most_seats"] == game.most_seats
            assert listed[key]["hi_lo"] == game.facts.hi_lo
            assert listed[key]["label"] == game.label
        assert listed["razz"]["partial_hands"] and listed["razz"]["shared_card_seats"] == 8
        assert data["threads"] == THREADS and data["limits"]["seconds"] == 30


SPOTS = [
    pytest.param({"game": "holdem", "hands": ["AhKh", "QsQd"], "board": "Qh Jh 2c"}, id="exact"),
    pytest.param(
        {"game": "holdem", "hands": ["AhKh", "QQ+,AKs:0.5", "**"], "precision": 0.004, "seed": 9},
        id="weighted",
    ),
    pytest.param(
        {
            "game": "omaha_hi_lo",
            "hands": ["A2**", "KK**"],
            "board": "Qh Jh 2c",
            "seed": 3,
            "exact": "never",
            "precision": 0.003,
            "dead": "3c",
        },
        id="hi-lo",
    ),
    pytest.param(
        {"game": "stud", "hands": ["AhAd9c", "**Ks", "**Qs"], "seconds": 0.05, "seed": 5},
        id="seconds",
    ),
]


def kit_equity(body, progress=None):
    """What vantorkit answers for the request `body` (with its seed and the server's threads)."""
    return vantorkit.equity(
        body["game"],
        body["hands"],
        body.get("board", ""),
        body.get("dead", ""),
        precision=body.get("precision"),
        seconds=body.get("seconds"),
        exact=body.get("exact", "auto"),
        threads=THREADS,
        seed=body.get("seed"),
        progress=progress,
    )


class TestEquity:
    @pytest.mark.parametrize("body", SPOTS[:3])
    def test_the_answer_is_vantorkits(self, app, body):
        answer = ask(app, "/api/equity", body)
        assert answer.status_code == 200, answer.text
        assert without_seconds(answer.json()) == without_seconds(equity_data(kit_equity(body)))

    @pytest.mark.parametrize("body", SPOTS[:3])
    def test_the_stream_ends_with_vantorkits_answer(self, app, body):
        answer = ask(app, "/api/equity/stream", body)
        assert answer.status_code == 200
        assert answer.headers["content-type"].startswith("text/event-stream")
        stream = events(answer.text)
        expected = []
        final = kit_equity(body, lambda estimate: expected.append(estimate.raw))
        names = [name for name, _ in stream]
        assert names == ["estimate"] * (len(names) - 1) + ["result"]
        assert without_seconds(stream[-1][1]) == without_seconds(equity_data(final))
        # The estimates are the same run's, in order; a reader that falls behind skips some.
        estimates = [data["result"] for name, data in stream if name == "estimate"]
        assert all(estimate in expected for estimate in estimates)
        assert [expected.index(estimate) for estimate in estimates] == sorted(
            expected.index(estimate) for estimate in estimates
        )
        assert final.method == "exact" or estimates  # a sampled run gives one at least

    def test_a_time_limit_samples_that_long(self, app):
        body = SPOTS[3].values[0]
        answer = ask(app, "/api/equity", body)
        data = answer.json()
        assert (answer.status_code, data["reason"], data["method"]) == (200, "seconds", "sampled")
        assert data["seconds"] >= 0.05 and data["precision"] is None

    def test_a_spot_without_a_seed_gets_one_and_says_which(self, app):
        body = {"game": "holdem", "hands": ["AhKh", "**"], "precision": 0.01, "exact": "never"}
        data = ask(app, "/api/equity", body).json()
        assert without_seconds(data) == without_seconds(
            equity_data(kit_equity({**body, "seed": data["seed"]}))
        )


BREAKDOWN = {"game": "holdem", "hands": ["QQ+,AKs:0.5", "**"], "board": "Ks 7h 2c"}


def kit_breakdown(body):
    return vantorkit.breakdown(
        body["game"], body["hands"], body.get("board", ""), body.get("dead", ""),
        body.get("seat", 0), precision=body.get("precision"), exact=body.get("exact", "auto"),
        threads=THREADS, seed=body.get("seed"),
    )  # fmt: skip


class TestBreakdown:
    @pytest.mark.parametrize(
        "body",
        [BREAKDOWN, {**BREAKDOWN, "exact": "never", "precision": 0.01, "seed": 4, "seat": 1}],
        ids=["walked", "sampled"],
    )
    def test_the_answer_is_vantorkits(self, app, body):
        answer = ask(app, "/api/breakdown", body)
        assert answer.status_code == 200, answer.text
        assert without_seconds(answer.json()) == without_seconds(plain_data(kit_breakdown(body)))

    def test_the_stream_counts_the_hands_then_answers(self, app):
        body = {**BREAKDOWN, "hands": ["TT+,AJs+,KQs", "**"]}
        stream = events(ask(app, "/api/breakdown/stream", body).text)
        *progress, (last, data) = stream
        assert last == "result" and progress
        assert {name for name, _ in progress} == {"progress"}
        done = [report["hands_done"] for _, report in progress]
        assert done == sorted(done) and progress[-1][1]["hands"] >= done[-1]
        assert without_seconds(data) == without_seconds(plain_data(kit_breakdown(body)))


class TestRange:
    def test_a_weighted_field_with_a_span(self, app):
        data = ask(app, "/api/range", {"game": "holdem", "field": "QQ+,AKs:0.5,A5s-A4s:25%"}).json()
        hands = data["hands"]
        assert len(hands) == data["combinations"] == 18 + 4 + 8
        assert hands["AsAh"] == 1.0 and hands["KhKc"] == 1.0 and hands["AhKh"] == 0.5
        assert hands["Ad5d"] == 0.25 and "Ad5c" not in hands
        assert data["count"] == 18 + 2 + 2 and data["all"] == 1326
        assert data["share"] == pytest.approx(22 / 1326)

    @pytest.mark.parametrize(
        "field, hands, count",
        [("**", 630, 630), ("A*", 8 * 4 * 4 + 6, 134), ("AKs, AhKh", 4, 5), ("55", 0, 0)],
    )
    def test_short_deck_counts_its_own_deck(self, app, field, hands, count):
        data = ask(app, "/api/range", {"game": "short_deck", "field": field}).json()
        assert (data["combinations"], data["count"], data["all"]) == (hands, count, 630)

    def test_a_field_that_does_not_read_points_at_its_column(self, app):
        answer = ask(app, "/api/range", {"game": "holdem", "field": "QQ+, AKs:1.5"})
        assert answer.status_code == 400
        reason = "a weight is at most 1, not 1.5; for a percentage write 1.5%"
        assert answer.json() == {"error": reason, "field": "field", "column": 9, "reason": reason}


def pointed(name, reason, field, seat, column):
    """The answer to a notation error: the message names the field, the rest says where."""
    error = f"{name}: {reason}"
    return {"error": error, "field": field, "seat": seat, "column": column, "reason": reason}


def long_text(characters):
    return "**, " * (characters // 4 + 1)


# Each: the route, the request's body (a dict sent as JSON, or bytes as they are), the status
# and the JSON answer.
REFUSALS = [
    ("/api/equity", b'{"game": "holdem", "hands": ["AhKh" "QsQd"]}', 400,
     {"error": "the request is not JSON: Expecting ',' delimiter: line 1 column 37 (char 36)"}),
    ("/api/equity", b"\xff\xfe", 400, None),
    ("/api/equity", b'["holdem"]', 400,
     {"error": 'the request is one JSON object, such as {"game": "holdem", ...}'}),
    ("/api/equity", {"game": "holdem", "hands": ["AhKh", "QsQd"], "precison": 0.01}, 400,
     {"error": "unknown key 'precison'; this request takes game, hands, board, dead, precision,"
               " seconds, exact, seed, client"}),
    ("/api/breakdown", {"game": "holdem", "hands": ["AA", "KK"], "sead": 1}, 400, None),
    ("/api/equity", {"game": "holdm", "hands": ["AhKh", "QsQd"]}, 400,
     {"error": "no game called 'holdm'; GET /api/games lists them"}),
    ("/api/equity", {"hands": ["AhKh", "QsQd"]}, 400,
     {"error": 'game is the key of a game, such as "holdem", not None'}),
    ("/api/equity", {"game": "holdem", "hands": "AhKh QsQd"}, 400,
     {"error": "hands is a list of hand fields, one a seat, not 'AhKh QsQd'"}),
    ("/api/equity", {"game": "holdem", "hands": "Ah" * 200}, 400,
     {"error": f"hands is a list of hand fields, one a seat, not {repr('Ah' * 200)[:57]}..."}),
    ("/api/equity", {"game": "holdem", "hands": ["AhKh", 7]}, 400,
     {"error": "seat 2's hand is a string, not 7"}),
    ("/api/equity", {"game": "holdem", "hands": ["AhKh", "QsQx"]}, 400,
     pointed("seat 2's hand", "'x' is not a rank, a suit, or '*'", "hands", 1, 3)),
    ("/api/equity", {"game": "holdem", "hands": ["AhKh", "QQ+, AKs:2"]}, 400,
     pointed("seat 2's hand", "a weight is at most 1, not 2; for a percentage write 2%", "hands",
             1, 9)),
    ("/api/equity", {"game": "holdem", "hands": ["AhKh", "QsQd"], "board": "Qh Jé 2c"}, 400,
     pointed("the board", "'é' is not a rank, a suit, or '*'", "board", None, 4)),
    ("/api/equity", {"game": "holdem", "hands": ["AhKh", "QsQd"], "dead": "2c K"}, 400,
     pointed("the dead cards",
             "a dead card must name one card, since every reading changes the answer", "dead",
             None, 3)),
    ("/api/equity", {"game": "omaha", "hands": ["AA**", "KK+"]}, 400,
     pointed("seat 2's hand", "ranges are only written where a hand holds two cards", "hands",
             1, 0)),
    ("/api/equity", {"game": "holdem", "hands": ["AhKh", "AhQd"]}, 400,
     {"error": "Found duplicated card: Ah"}),
    ("/api/equity", {"game": "holdem", "hands": ["AhKh"]}, 400,
     {"error": "a spot needs at least two seats to have an answer"}),
    ("/api/equity", {"game": "holdem", "hands": ["**"] * 24}, 400,
     {"error": "Hold'em seats at most 23 players, and this spot has 24"}),
    ("/api/equity", {"game": "holdem", "hands": ["AhKh", long_text(16_384)]}, 413,
     {"error": "seat 2's hand is longer than 16,384 characters", "field": "hands", "seat": 1}),
    ("/api/equity", {"game": "holdem", "hands": ["AhKh", "QsQd"], "board": "Qh " * 100}, 413,
     {"error": "board is longer than 256 characters", "field": "board", "seat": None}),
    ("/api/equity", {"game": "holdem", "hands": ["AhKh", "QsQd"] + [long_text(16_000)] * 5},
     413, {"error": "the request is larger than 65,536 bytes"}),
    ("/api/equity", {"game": "holdem", "hands": ["AhKh", "QsQd"], "precision": 0}, 400,
     {"error": "precision must be a positive number, not 0"}),
    ("/api/equity", {"game": "holdem", "hands": ["AhKh", "QsQd"], "precision": "fine"}, 400,
     {"error": "precision must be a positive number, not 'fine'"}),
    ("/api/equity", {"game": "holdem", "hands": ["AhKh", "QsQd"], "seconds": 31}, 400,
     {"error": "seconds is at most 30 here, not 31"}),
    ("/api/equity", {"game": "holdem", "hands": ["AhKh", "QsQd"], "exact": "maybe"}, 400,
     {"error": "exact must be 'auto', 'always' or 'never', not 'maybe'"}),
    ("/api/equity", {"game": "holdem", "hands": ["AhKh", "QsQd"], "seed": -1}, 400,
     {"error": "a seed is a whole number from 0 to 2**64 - 1, not -1"}),
    ("/api/equity", {"game": "holdem", "hands": ["AhKh", "QsQd"], "client": "x" * 101}, 400,
     None),
    ("/api/breakdown", {"game": "holdem", "hands": ["QQ", "**"], "seat": 2}, 400,
     {"error": "seat must be from 0 to 1, not 2"}),
    ("/api/range", {"game": "omaha", "field": "AA**"}, 400,
     {"error": "the range grid is for games of two-card hands, and Omaha is not one"}),
]  # fmt: skip


@pytest.mark.parametrize(
    "path, body, status, expected",
    REFUSALS,
    ids=[f"{index}-{status}" for index, (_, _, status, _) in enumerate(REFUSALS)],
)
@pytest.mark.parametrize("stream", [False, True], ids=["whole", "stream"])
def test_bad_input_is_refused_before_any_work(app, calculations, path, body, status, expected,
                                              stream):  # fmt: skip
    if stream and path != "/api/range":
        path += "/stream"
    raw = body if isinstance(body, bytes) else json.dumps(body).encode()
    answer = ask(app, path, content=raw)
    assert answer.status_code == status
    assert answer.headers["content-type"] == "application/json"
    assert "error" in answer.json()
    if expected is not None:
        assert answer.json() == expected
    assert calculations.submitted == 0


@pytest.mark.parametrize(
    "path, content_type",
    [
        ("/api/equity", None),
        ("/api/equity", "text/plain"),
        ("/api/range", "application/x-www-form-urlencoded"),
    ],
)
def test_a_request_not_sent_as_json_is_refused(app, calculations, path, content_type):
    headers = {} if content_type is None else {"Content-Type": content_type}
    answer = ask(app, path, content=b'{"game": "holdem", "field": "AA"}', headers=headers)
    assert (answer.status_code, answer.json()) == (
        400, {"error": "send the request as JSON, with Content-Type: application/json"}
    )  # fmt: skip
    assert calculations.submitted == 0


@pytest.mark.parametrize(
    "path, method, status, message",
    [("/api/nothing", "GET", 404, "Not Found"), ("/api/equity", "GET", 405, "Method Not Allowed"),
     ("/api/games", "POST", 405, "Method Not Allowed")],
)  # fmt: skip
def test_routes_and_methods_unknown_are_json_errors(app, path, method, status, message):
    answer = ask(app, path, method=method, content=b"{}")
    assert (answer.status_code, answer.json()) == (status, {"error": message})


@pytest.mark.parametrize(
    "body, message",
    [({"game": "holdem", "hands": ["**", "**", "**"], "exact": "always"},
      "this spot is too large to walk: cut by the hands of 2 seats, a part of it still has more"
      " than 50,000,000 deals; sample it (exact 'auto' or 'never') or name more cards")],
)  # fmt: skip
@pytest.mark.parametrize("stream", [False, True], ids=["whole", "stream"])
def test_a_refusal_of_the_calculation_itself_is_a_400(app, body, message, stream):
    answer = ask(app, "/api/equity" + "/stream" * stream, body)
    assert (answer.status_code, answer.json()) == (400, {"error": message})


def test_a_breakdown_of_a_seat_that_cannot_be_listed_is_a_400(app):
    body = {"game": "stud", "hands": ["A** K", "***Q"]}
    answer = ask(app, "/api/breakdown/stream", body)
    assert answer.status_code == 400
    assert answer.json()["error"].startswith("seat 1's field writes some cards to a rank")


class TestStopping:
    def test_a_clients_new_request_stops_its_previous_one(self, app, calculations):
        async def go():
            async with client(app) as session:
                first = asyncio.ensure_future(
                    session.post("/api/equity/stream", json={**LONG, "client": "tab"})
                )
                await until(lambda: calculations.admitted == 1)
                second = await session.post(
                    "/api/equity",
                    json={"game": "holdem", "hands": ["AhKh", "QsQd"], "client": "tab"},
                )
                answers = await first, second
                await until(lambda: calculations.admitted == 0)  # both threads have ended
                return answers

        first, second = asyncio.run(go())
        assert second.status_code == 200 and second.json()["method"] == "exact"
        *estimates, (last, data) = events(first.text)
        assert last == "stopped"
        # What it had found when stopped: its last estimate, if it had got so far.
        assert data is None or (data["reason"], data["method"]) == ("stopped", "sampled")
        assert calculations.ended == {"stopped": 1, "result": 1}

    def test_other_clients_are_not_stopped(self, app, calculations):
        async def go():
            async with client(app) as session:
                # Long enough to be running when the other client asks: half a second.
                first = asyncio.ensure_future(
                    session.post("/api/equity", json={**LONG, "seconds": 0.5, "client": "a"})
                )
                await until(lambda: calculations.admitted == 1)
                await session.post("/api/equity", json={**LONG, "precision": 0.01, "client": "b"})
                answer = await first
                await until(lambda: calculations.admitted == 0)
                return answer

        assert asyncio.run(go()).json()["reason"] == "seconds"
        assert calculations.ended == {"result": 2}

    @pytest.mark.parametrize("path", ["/api/equity", "/api/equity/stream", "/api/breakdown"])
    def test_a_client_that_goes_away_stops_its_calculation(self, app, calculations, path):
        body = LONG if "equity" in path else {**LONG, "game": "holdem", "hands": ["22+", "**"]}

        async def go():
            async with client(app) as session:
                request = asyncio.ensure_future(session.post(path, json=body))
                await until(lambda: calculations.admitted == 1)
                request.cancel()  # as the server sees a client hang up: its handler cancelled
                await until(lambda: calculations.admitted == 0)

        asyncio.run(go())
        assert calculations.ended == {"stopped": 1}

    def test_past_the_waiting_calculations_the_server_is_busy(self):
        calculations = Calculations(running=1, waiting=1)
        app = create_app(SETTINGS, calculations)

        async def go():
            async with client(app) as session:
                held = [
                    asyncio.ensure_future(session.post("/api/equity", json=LONG)) for _ in range(2)
                ]
                await until(lambda: calculations.admitted == 2)
                refused = await session.post("/api/equity", json=LONG)
                for request in held:
                    request.cancel()
                await until(lambda: calculations.admitted == 0)
                return refused

        try:
            refused = asyncio.run(go())
        finally:
            calculations.close()
        assert refused.status_code == 503 and refused.headers["retry-after"] == "1"
        assert refused.json() == {
            "error": "the server is busy: 1 calculations are running and 1 waiting; try again in"
            " a moment"
        }
        assert calculations.submitted == 2


def test_a_stream_whose_reader_hangs_up_is_stopped_on_a_real_connection(calculations):
    with running_server(SETTINGS, calculations) as url:
        with httpx.stream("POST", url + "api/equity/stream", json=LONG, timeout=30) as answer:
            lines = answer.iter_lines()
            assert next(lines) == "event: estimate"
        # The connection is closed: the server sees the reader gone.
        asyncio.run(until(lambda: calculations.ended["stopped"] == 1))
    assert calculations.ended == {"stopped": 1}


@pytest.mark.parametrize(
    ("host", "served"),
    [
        ("127.0.0.1:8765", True),
        ("localhost:8765", True),
        ("[::1]:8765", True),
        ("localhost", True),
        ("evil.example:8765", False),
        ("127.0.0.1.evil.example", False),
        ("", False),
    ],
)
def test_a_loopback_server_answers_only_its_own_names(calculations, host, served):
    # A page of another site that makes a name of its own resolve here sends that name: the
    # server on loopback refuses it before any route runs.
    from vantorkit.web.app import LOOPBACK_HOSTS

    app = create_app(SETTINGS, calculations, hosts=LOOPBACK_HOSTS)
    answer = ask(app, "/api/games", method="GET", headers={"Host": host})
    if served:
        assert answer.status_code == 200
    else:
        assert answer.status_code == 400
        assert (
            "this server answers requests to 127.0.0.1, localhost, [::1]"
            in (answer.json()["error"])
        )
    assert calculations.submitted == 0


def test_the_page_is_served_from_the_installed_package(app):
    static = importlib.resources.files("vantorkit.web") / "static"
    page = (static / "index.html").read_text(encoding="utf-8")
    linked = re.findall(r'(?:src|href)="/?([\w./-]+)"', page)
    modules = [path for path in static.iterdir() if path.name.endswith(".js")]
    assert "style.css" in linked and "main.js" in linked and modules
    for name in linked + [module.name for module in modules]:
        assert (static / name).is_file(), name
        answer = ask(app, "/" + name, method="GET", headers={})
        assert answer.status_code == 200 and answer.content == (static / name).read_bytes()
    assert ask(app, "/", method="GET", headers={}).text == page
    # Nothing from another host: no address in any of the page's files (SVG's namespace is a
    # name, never fetched).
    for path in static.iterdir():
        text = path.read_text("utf-8").replace("http://www.w3.org/2000/svg", "")
        assert not re.search(r"\bhttps?://|//[a-z0-9.-]+\.[a-z]{2,}/", text), path.name


class TestCommand:
    """`vantor serve` as a person starts it: the address it prints answers, Ctrl-C stops it."""

    def serve(self, *arguments, prelude=""):
        code = f"import sys; {prelude}from vantorkit.cli import main; sys.exit(main(sys.argv[1:]))"
        return subprocess.Popen(
            [sys.executable, "-c", code, "serve", *arguments],
            stdout=subprocess.PIPE,
            stderr=subprocess.PIPE,
            text=True,
        )

    def test_it_prints_its_address_serves_the_page_and_stops_on_ctrl_c(self):
        with self.serve() as run:
            line = run.stdout.readline()
            found = re.fullmatch(
                r"vantor serve: (http://127\.0\.0\.1:\d+/) \(Ctrl-C stops it\)\n", line
            )
            assert found, line
            page = httpx.get(found[1], timeout=30)
            games = httpx.get(found[1] + "api/games", timeout=30).json()
            run.send_signal(signal.SIGINT)
            out, errors = run.communicate(timeout=30)
        assert page.status_code == 200 and "<title>vantor" in page.text
        assert [game["key"] for game in games["games"]] == list(vantorkit.catalogue.games())
        assert (run.returncode, out, errors) == (130, "", "")

    def test_a_port_taken_is_one_line_and_exit_2(self):
        with socket.create_server(("127.0.0.1", 0)) as taken:
            port = taken.getsockname()[1]
            with self.serve("--port", str(port)) as run:
                out, errors = run.communicate(timeout=30)
        assert (run.returncode, out) == (2, "")
        assert errors.startswith(f"vantor: cannot listen on 127.0.0.1 port {port}: ")
        assert errors.count("\n") == 1

    def test_without_starlette_it_says_what_to_install(self):
        with self.serve(prelude="sys.modules['starlette'] = None; ") as run:
            out, errors = run.communicate(timeout=30)
        assert (run.returncode, out) == (2, "")
        assert errors == "vantor: serve needs starlette and uvicorn: pip install 'vantor[web]'\n"

"""What a request may expand to is bounded, and a request past a bound is refused with a
ValueError that names the bound, before the memory is spent: at most 300,000 alternatives in a
hand field (a range counts each of its hands), 600,000 in all seats, and 256 MB for preparing
them for dealing."""

import json
import os
import subprocess
import sys
import textwrap

import pytest

import vantor

FIELD_LIMIT = 300_000
REQUEST_LIMIT = 600_000
FULL = (1 << 52) - 1
DECK = [r + s for r in "23456789TJQKA" for s in "cdhs"]

FIELD_MESSAGE = (
    f"a hand field may hold at most {FIELD_LIMIT} alternatives, and this one holds "
    "more (a range counts one for each of its hands); write the seat with fewer, "
    "using ranks, suits and '*' for the cards it need not name"
)
SEAT_MESSAGE = (
    f"a seat has more than the {FIELD_LIMIT} alternatives one seat may have; write "
    "fewer, leaving open the cards that need not be named (a rank, a suit or any "
    "card)"
)
REQUEST_MESSAGE = (
    f"the seats have more than the {REQUEST_LIMIT} alternatives a request may have "
    "in all; write fewer, leaving open the cards that need not be named (a rank, a "
    "suit or any card)"
)
PREPARED_MESSAGE = (
    "the seats' alternatives would take more than 256 MB to prepare for dealing. "
    "An alternative that holds cards to a rank or a suit without naming them "
    '("hdcs" in badugi) is prepared as the list of hands it allows, which can '
    "take megabytes; write fewer such alternatives, or name more of their cards"
)

# Runs `call` in a fresh interpreter and reports what it raised (or returned), the seconds it took
# and how far it raised the process's peak memory. Unsanitized, the address space is capped, so
# that a module that expands without bound fails here instead of exhausting the machine.
SCRIPT = textwrap.dedent("""
    import json, os, resource, sys, time
    import vantor
    if "asan" not in os.environ.get("LD_PRELOAD", ""):
        resource.setrlimit(resource.RLIMIT_AS, (4 << 30, 4 << 30))
    setup, call = sys.stdin.read().split("\\n#call\\n")
    exec(setup)
    before = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss
    start = time.perf_counter()
    try:
        outcome = repr(eval(call))
    except (ValueError, MemoryError) as error:
        outcome = f"{type(error).__name__}: {error}"
    seconds = time.perf_counter() - start
    grown = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss - before
    print(json.dumps([outcome, seconds, grown / 1024]))
""")


# A sanitized build keeps freed memory in quarantine and pads every block, so its peak says
# little about the module's own: there only the outcome and the time are checked.
SANITIZED = "asan" in os.environ.get("LD_PRELOAD", "")


def within(megabytes, bound):
    return SANITIZED or megabytes < bound


def measured(setup, call):
    done = subprocess.run(
        [sys.executable, "-c", SCRIPT],
        input=f"{setup}\n#call\n{call}",
        capture_output=True,
        text=True,
        timeout=300,
    )
    assert done.returncode == 0, done.stderr
    outcome, seconds, megabytes = json.loads(done.stdout)
    return outcome, seconds, megabytes


# Fields of about a megabyte in both forms: each would expand to gigabytes.
OVERSIZED = [
    (
        "ranges",
        'field = ",".join(["22+"] * 200_000)',
        'vantor.chunk_from_text("holdem", [field, "AhKh"], samples=1000)',
        FIELD_MESSAGE,
    ),
    (
        "wildcards-walked",
        'field = ",".join(["A*"] * 340_000)',
        'vantor.exact_from_text("holdem", [field, "KhKd"])',
        FIELD_MESSAGE,
    ),
    (
        "parse-only",
        'field = ",".join(["22+"] * 200_000)',
        "vantor.parse_hand_field(field, 2).__len__()",
        None,
    ),
    (
        "masks",
        f"seat = [[{FULL}, {FULL}]] * 1_000_000",
        'vantor.chunk("holdem", [seat, [[1, 2]]], [], 0, 1000)',
        SEAT_MESSAGE,
    ),
    (
        "masks-walked",
        f"seat = [[{FULL}, {FULL}]] * 1_000_000",
        'vantor.exact("holdem", [[[1, 2]], seat], [], 0)',
        SEAT_MESSAGE,
    ),
    (
        "several-seats",
        "import itertools\n"
        'field = ",".join(itertools.islice(itertools.cycle(["AhKh", "QsQd", "2c7d"]), 250_000))',
        'vantor.chunk_from_text("holdem", [field] * 3, samples=1000)',
        REQUEST_MESSAGE,
    ),
]


@pytest.mark.parametrize(
    "setup, call, message", [case[1:] for case in OVERSIZED], ids=[case[0] for case in OVERSIZED]
)
def test_an_oversized_field_is_refused_quickly_and_small(setup, call, message):
    outcome, seconds, megabytes = measured(setup, call)
    if message is None:  # parse_hand_field shows the field itself, then the message
        assert outcome.startswith("ValueError: ") and outcome.endswith(FIELD_MESSAGE), outcome[
            -300:
        ]
    else:
        assert outcome.startswith(f"ValueError: {message}"), outcome[:300]
    assert within(megabytes, 64)
    assert seconds < 2


def test_alternatives_that_are_costly_to_prepare_are_refused_at_the_budget():
    # Badugi hands of one card of each suit: each alternative is prepared as the 28,561 hands it
    # allows, about 360 KB. A thousand of them (5 KB of text) are refused once 256 MB are spent.
    outcome, seconds, megabytes = measured(
        'field = ",".join(["hdcs"] * 1000)',
        'vantor.chunk_from_text("badugi", [field, "****"], samples=100)',
    )
    assert outcome == f"ValueError: {PREPARED_MESSAGE}"
    assert within(megabytes, 256 + 128)


def test_one_seat_may_hold_every_omaha_hand():
    # The largest field anybody plausibly writes, at the limits: 270,725 alternatives in a few
    # hundred megabytes.
    outcome, seconds, megabytes = measured(
        "import itertools\n"
        'deck = [r + s for r in "23456789TJQKA" for s in "cdhs"]\n'
        'field = ",".join("".join(hand) for hand in itertools.combinations(deck, 4))',
        'vantor.chunk_from_text("omaha", [field, "****"], samples=1000, seed=1)["samples"]',
    )
    assert outcome == "1000"
    assert within(megabytes, 400)


@pytest.mark.parametrize("extra", [0, 1])
def test_a_field_holds_at_most_the_limit(extra):
    # Named hands, ranges counted by their hands: the limit exactly is read, one more is not.
    hands = ["AhKh"] * (FIELD_LIMIT - 6 + extra) + ["QQ"]
    field = ",".join(hands)
    if extra:
        with pytest.raises(ValueError) as raised:
            vantor.parse_hand_field(field, 2)
        text, pointer, message = str(raised.value).split("\n")
        assert message == FIELD_MESSAGE
        # The pointer marks the alternative that went past the limit, the range at the end.
        assert pointer == " " * (len(field) - 2) + "^^"
    else:
        assert len(vantor.parse_hand_field(field, 2)) == FIELD_LIMIT


def test_a_request_holds_at_most_the_limit_in_all():
    hands = [[1 << 50, 1 << 46]] * (REQUEST_LIMIT // 3)
    with pytest.raises(ValueError) as raised:
        vantor.chunk("holdem", [hands, hands, hands, [[[1, 2]]]], [], 0, 10)
    assert str(raised.value) == REQUEST_MESSAGE


def test_a_walk_at_the_limits_declines_small():
    # Just under the field limit, 270,000 alternatives "A*" list 55 million hands: more than the
    # walk keeps (and the deal limit). It declines having stored none of them.
    outcome, seconds, megabytes = measured(
        'field = ",".join(["A*"] * 270_000)', 'vantor.exact_from_text("holdem", [field, "KhKd"])'
    )
    assert outcome == "None"
    assert within(megabytes, 400)


def test_the_walk_keeps_only_hands_that_can_be_dealt():
    # An unknown six-card Omaha hand against a known one on the river: 20 million hands listed,
    # 4.5 million of them possible with the other cards out. The walk keeps only those (it kept
    # every listed one, about a gigabyte, before) and its answer is the count of possible deals.
    outcome, seconds, megabytes = measured(
        "",
        'vantor.exact_from_text("omaha_six", ["******", "AhKhQhJhTh9h"], "2c 3c 4c 5d 6d")'
        '["samples"]',
    )
    assert outcome == str(41 * 40 * 39 * 38 * 37 * 36 // 720)
    assert within(megabytes, 512)

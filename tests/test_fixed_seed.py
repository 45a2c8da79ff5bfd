"""The equity functions against the answers recorded in tests/data/fixed_seed_results.json: every
game, named hands and ranges, wildcards and alternatives, both samplers, one and two threads, the
mask and text forms, the exact walk and a few refusals. A sampled batch is a function of its
request, samples, seed and thread count, and an exact walk of its request, so any change to the
generator stream, the deal drawing, the scoring or the order of a sum shows here as a changed
figure. scripts/fixed_seed_results.py wrote the file; it is rewritten only when an answer is meant
to change.
"""

import json
import os
import pathlib
import subprocess
import sys

import pytest

import vantor
from fixed_seed import RECORDED, answer

CASES = json.loads(RECORDED.read_text())["cases"]


def test_every_game_is_covered():
    games = {entry["key"] for entry in vantor.variants()}
    for function in ("chunk_from_text", "exact_from_text"):
        answered = {
            case["args"][0]
            for case in CASES
            if case["function"] == function and case["result"] and "error" not in case["result"]
        }
        assert answered == games, function
    weighted = {
        case["args"][0]
        for case in CASES
        if case["function"] == "chunk_from_text" and case["result"].get("weighted")
    }
    assert weighted == games


@pytest.mark.parametrize("case", CASES, ids=[case["id"] for case in CASES])
def test_same_answer_as_recorded(case):
    got = answer(case)
    assert got == case["result"]
    # Written out the same way, too: the dictionary's key order, and doubles by their repr, which
    # tells -0.0 from 0.0.
    assert json.dumps(got) == json.dumps(case["result"])


# The same sampled answers with the cards picked the portable way, as a processor without a fast
# pdep picks them: the two ways must deal the same cards. (Where this processor has no fast pdep
# both runs take the portable way, and this only repeats the test above.)
PORTABLE_RUN = """
import json, sys
from fixed_seed import RECORDED, answer
cases = [case for case in json.loads(RECORDED.read_text())["cases"]
         if case["function"].startswith("chunk")]
differing = [case["id"] for case in cases if answer(case) != case["result"]]
print(json.dumps({"compared": len(cases), "differing": differing}))
"""


def test_portable_card_picking_gives_the_recorded_answers():
    environment = dict(os.environ, VANTOR_CARD_PICKING="broadword")
    run = subprocess.run(
        [sys.executable, "-c", PORTABLE_RUN],
        capture_output=True,
        text=True,
        env=environment,
        cwd=pathlib.Path(__file__).parent,
        timeout=300,
    )
    assert run.returncode == 0, run.stderr
    outcome = json.loads(run.stdout)
    assert outcome["compared"] > 50
    assert outcome["differing"] == []

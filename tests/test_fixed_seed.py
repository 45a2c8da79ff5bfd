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
# pdep picks them, and with the stream consumed each way the module can take it: output by output
# and read ahead with each instruction set this processor has. Every way must deal the same cards.
# (Where this processor lacks an instruction set, the path falls to the next one down and the run
# would only repeat another; it is skipped.)
OTHER_WAY_RUN = """
import json, sys
from fixed_seed import RECORDED, answer
cases = [case for case in json.loads(RECORDED.read_text())["cases"]
         if case["function"].startswith("chunk")]
differing = [case["id"] for case in cases if answer(case) != case["result"]]
print(json.dumps({"compared": len(cases), "differing": differing}))
"""


def processor_flags() -> set[str]:
    try:
        cpuinfo = pathlib.Path("/proc/cpuinfo").read_text()
    except OSError:
        return set()
    for line in cpuinfo.splitlines():
        if line.startswith("flags"):
            return set(line.split(":", 1)[1].split())
    return set()


NEEDS = {
    "avx2": {"avx2", "bmi1", "bmi2"},
    "avx512": {"avx2", "bmi1", "bmi2", "avx512f", "avx512bw", "avx512dq", "avx512vl"},
}


@pytest.mark.parametrize(
    ("variable", "value"),
    [
        ("VANTOR_CARD_PICKING", "broadword"),
        ("VANTOR_STREAM_PATH", "portable"),
        ("VANTOR_STREAM_PATH", "avx2"),
        ("VANTOR_STREAM_PATH", "avx512"),
    ],
)
def test_every_way_of_dealing_gives_the_recorded_answers(variable, value):
    if not NEEDS.get(value, set()) <= processor_flags():
        pytest.skip(f"this processor cannot take the {value} path")
    environment = dict(os.environ, **{variable: value})
    run = subprocess.run(
        [sys.executable, "-c", OTHER_WAY_RUN],
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

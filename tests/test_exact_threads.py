"""The exact walk runs with the interpreter lock released, so other Python threads keep going."""

import vantor
from lock_release import run_while_another_thread_ticks


def test_another_thread_runs_while_a_long_walk_works():
    # About 28 million deals: long enough that a held lock would starve the other thread.
    result = run_while_another_thread_ticks(lambda: vantor.exact_from_text("holdem", ["AhKh", "JJ+"], "", ""))
    assert result is not None and result["samples"] > 20_000_000

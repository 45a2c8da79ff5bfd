"""The exact walk runs with the interpreter lock released, so other Python threads keep going."""

import vantor
from lock_release import run_while_another_thread_ticks


def test_another_thread_runs_while_a_long_walk_works():
    # About 41 million deals, each scored (every suit is named and one card is to come): long
    # enough that a held lock would starve the other thread.
    result = run_while_another_thread_ticks(
        lambda: vantor.exact_from_text("holdem", ["AhKh", "**", "**"], "2c 7d Ts 9h", "")
    )
    assert result is not None and result["samples"] > 40_000_000

"""What tests/test_fixed_seed.py and scripts/fixed_seed_results.py share: where the recorded
answers live and how one recorded call is answered."""

import pathlib

import vantor

RECORDED = pathlib.Path(__file__).parent / "data" / "fixed_seed_results.json"


def answer(case):
    """The call's result dictionary (None when the exact walk declines), or its refusal's type
    and message."""
    function = getattr(vantor, case["function"])
    try:
        return function(*case["args"], **case["kwargs"])
    except ValueError as error:
        return {"error": type(error).__name__, "message": str(error)}

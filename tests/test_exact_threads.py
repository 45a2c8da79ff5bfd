"""The exact walk runs with the interpreter lock released, so other Python threads keep going."""

import threading
import time

import vantor


def test_another_thread_runs_while_a_long_walk_works():
    # About 28 million deals: long enough that a held lock would starve the other thread.
    game, hands = "holdem", ["AhKh", "JJ+"]
    ticks = []
    stop = threading.Event()

    def spin():
        while not stop.is_set():
            ticks.append(time.perf_counter())

    spinner = threading.Thread(target=spin)
    spinner.start()
    try:
        time.sleep(0.01)
        start = time.perf_counter()
        result = vantor.exact_from_text(game, hands, "", "")
        end = time.perf_counter()
    finally:
        stop.set()
        spinner.join()
    assert result is not None and result["samples"] > 20_000_000
    # Ticks strictly inside the call, away from its edges where the lock changes hands anyway.
    margin = (end - start) / 10
    inside = [t for t in ticks if start + margin < t < end - margin]
    assert end - start > 0.02
    assert len(inside) > 100

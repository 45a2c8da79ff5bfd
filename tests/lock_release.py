"""A check shared by the tests of the long-running calls: while one works, another Python thread
keeps running, which it could not if the call held the interpreter lock."""

import threading
import time


def run_while_another_thread_ticks(call):
    """Runs call() while a second thread records ticks; asserts that it kept ticking throughout,
    and returns what call() returned. The call must last long enough (tens of milliseconds) that
    a held lock would visibly starve the other thread."""
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
        result = call()
        end = time.perf_counter()
    finally:
        stop.set()
        spinner.join()
    # Ticks strictly inside the call, away from its edges where the lock changes hands anyway.
    margin = (end - start) / 10
    inside = [t for t in ticks if start + margin < t < end - margin]
    assert end - start > 0.02
    assert len(inside) > 100
    return result

"""Long calls can be interrupted: the calling thread looks for signals while the call works, a
handler that raises (Ctrl-C's KeyboardInterrupt) stops the call promptly with its exception, and
nothing of the call keeps running. A handler that does not raise changes nothing."""

import os
import signal
import subprocess
import sys
import textwrap
import threading
import time

import pytest

import vantor

pytestmark = pytest.mark.skipif(not hasattr(signal, "pthread_kill"), reason="POSIX signals")

# Each script runs in its own interpreter, so that a call that cannot be interrupted fails the
# test by its timeout instead of hanging the test run. It sends SIGINT to its main thread from
# another thread `delay` seconds into the call and prints how long the exception took after it.
SCRIPT = textwrap.dedent("""
    import os, signal, sys, threading, time
    import vantor

    call, delay = {call}, {delay}
    sent = []

    def interrupt():
        time.sleep(delay)
        sent.append(time.perf_counter())
        os.kill(os.getpid(), signal.SIGINT)

    threading.Thread(target=interrupt, daemon=True).start()
    try:
        call()
    except KeyboardInterrupt:
        late = time.perf_counter() - sent[0]
    else:
        sys.exit("the call finished")
    # Nothing of the call may still run: over a quiet spell the process uses no processor time.
    cpu = time.process_time()
    time.sleep(0.3)
    idle_cpu = time.process_time() - cpu
    # And the module still answers, as it did before.
    again = vantor.chunk_from_text("holdem", ["AhKh", "QsQd"], samples=1000, seed=3, threads=2)
    print(late, idle_cpu, again["samples"])
""")

LONG_BATCH = (
    'lambda: vantor.chunk_from_text("holdem", ["AhKh", "QsQd"], samples=2**64 - 1, '
    "seed=1, threads=2)"
)
LONG_WEIGHTED_BATCH = (
    'lambda: vantor.chunk_from_text("stud", ["A******"] * 4 + ["K******"] * 3, '
    "samples=2**64 - 1, seed=1, threads=3)"
)
# About 30 million six-card Omaha deals, each scored (every suit is named, so no renaming of
# suits makes deals alike, and one board card to come leaves no boards to group by ranks): a
# second or more of walking.
LONG_WALK = 'lambda: vantor.exact_from_text("omaha_six", ["AhKhQhJhTh9h", "T8****"], "2c 3c 4d 5s")'

# Listing a shaped seat's 1.7 million hands before a walk that then declines: half a second of
# listing alone.
LONG_LISTING = 'lambda: vantor.exact_from_text("omaha_six", ["A*****", "AhKhQhJhTh9h"], "2c 3c 4d")'

# A batch stops within 100 ms of the signal (the caller looks every 50 ms, a piece within a few
# thousand deals), and so does a walk, listing its seats' hands or walking its deals; the rest is
# slack for a loaded test machine. The sanitized module runs unoptimised work several times
# slower.
SANITIZED = "asan" in os.environ.get("LD_PRELOAD", "")
BOUND = (0.1 + 0.4) * (4 if SANITIZED else 1)


def interrupted(call, delay):
    done = subprocess.run(
        [sys.executable, "-c", SCRIPT.format(call=call, delay=delay)],
        capture_output=True,
        text=True,
        timeout=120,
    )
    assert done.returncode == 0, done.stderr
    late, idle_cpu, samples = done.stdout.split()
    assert int(samples) == 1000
    return float(late), float(idle_cpu)


@pytest.mark.parametrize("call", [LONG_BATCH, LONG_WEIGHTED_BATCH], ids=["rejection", "weighted"])
def test_ctrl_c_stops_an_endless_batch(call):
    late, idle_cpu = interrupted(call, delay=0.3)
    assert late < BOUND
    assert idle_cpu < 0.05, "a worker kept running the interrupted batch"


@pytest.mark.parametrize("call", [LONG_WALK, LONG_LISTING], ids=["walking", "listing"])
def test_ctrl_c_stops_a_long_walk(call):
    # The walk runs on the calling thread; uninterrupted it goes on for the bound or more.
    late, _ = interrupted(call, delay=0.1)
    assert late < BOUND


def test_a_handler_that_does_not_raise_changes_nothing():
    # Signals arrive every few milliseconds during a batch and a walk; their handler only notes
    # when it ran. The handlers run while the calls work (the calling thread looks for them), and
    # the answers are the ones given without any signal.
    def batch():
        return vantor.chunk_from_text(
            "omaha", ["AhKhQdJd", "****"], samples=2_000_000, seed=2, threads=2
        )

    def walk():
        return vantor.exact_from_text("omaha_five_hi_lo", ["AhKhQhJhTh", "AcAd***"], "2c 3c 4d")

    quiet = [batch(), walk()]

    handled = []
    previous = signal.signal(
        signal.SIGUSR1, lambda number, frame: handled.append(time.perf_counter())
    )
    stop = threading.Event()
    main = threading.main_thread().ident

    def pester():
        while not stop.wait(0.005):
            signal.pthread_kill(main, signal.SIGUSR1)

    pesterer = threading.Thread(target=pester)
    pesterer.start()
    try:
        spans = []
        answers = []
        for call in (batch, walk):
            start = time.perf_counter()
            answers.append(call())
            spans.append((start, time.perf_counter()))
    finally:
        stop.set()
        pesterer.join()
        signal.signal(signal.SIGUSR1, previous)
    assert answers == quiet
    for start, end in spans:
        # Away from the edges, where the handlers run anyway as the interpreter enters and
        # leaves the call.
        margin = (end - start) / 4
        assert any(start + margin < t < end - margin for t in handled), (
            "no handler ran while the call worked"
        )


def test_any_exception_a_handler_raises_stops_the_call():
    # In the test's own interpreter, with a handler that raises an exception of its own. The batch
    # is finite (seconds long) so that a call that cannot be interrupted still ends the test.
    class Stop(Exception):
        pass

    sent = []

    def raise_stop(number, frame):
        raise Stop

    def send():
        sent.append(time.perf_counter())
        signal.pthread_kill(threading.main_thread().ident, signal.SIGUSR1)

    previous = signal.signal(signal.SIGUSR1, raise_stop)
    timer = threading.Timer(0.2, send)
    try:
        timer.start()
        with pytest.raises(Stop):
            vantor.chunk_from_text("holdem", ["AhKh", "**"], samples=200_000_000, seed=5, threads=2)
        late = time.perf_counter() - sent[0]
    finally:
        timer.join()
        signal.signal(signal.SIGUSR1, previous)
    assert late < BOUND
    after = vantor.chunk_from_text("holdem", ["AhKh", "QsQd"], samples=20_000, seed=3, threads=2)
    assert after == vantor.chunk_from_text(
        "holdem", ["AhKh", "QsQd"], samples=20_000, seed=3, threads=2
    )

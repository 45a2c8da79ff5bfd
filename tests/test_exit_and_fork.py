"""A program may end while a batch or walk still runs in another thread, and may fork while
other threads run batches: neither may crash, abort or hang the process."""

import os
import subprocess
import sys
import textwrap

import pytest

# A daemon thread starts a long call and the main thread ends the program after `delay` seconds,
# while the call works: the interpreter shuts down around it, and the process runs its exit
# handlers while the pool's workers may still be dealing.
EXIT_SCRIPT = textwrap.dedent("""
    import sys, threading, time
    import vantor

    calls = {{
        "batch": lambda: vantor.chunk_from_text("holdem", ["AhKh", "QsQd"], samples=2**64 - 1,
                                                seed=1, threads=2),
        "omaha batch": lambda: vantor.chunk_from_text("omaha", ["AA**", "KK**"], samples=2**64 - 1,
                                                      seed=1, threads=4),
        "walk": lambda: vantor.exact_from_text("omaha_six", ["AhKhQhJhTh9h", "T8****"],
                                               "2c 3c 4d 5s"),
    }}
    threading.Thread(target=calls[{kind!r}], daemon=True).start()
    time.sleep({delay})
""")

# Delays that end the program while the call starts, while it works, and at the moments the
# calling thread looks at the interpreter (every 50 ms).
DELAYS = [0.0, 0.01, 0.03, 0.05, 0.08, 0.1, 0.15, 0.2]


@pytest.mark.parametrize("kind", ["batch", "omaha batch", "walk"])
def test_the_program_may_end_during_a_call(kind):
    for delay in DELAYS:
        done = subprocess.run(
            [sys.executable, "-c", EXIT_SCRIPT.format(kind=kind, delay=delay)],
            capture_output=True,
            text=True,
            timeout=60,
        )
        assert (done.returncode, done.stderr) == (0, ""), f"ending after {delay} s"


# Threads run small batches back to back (each takes the pool) while the main thread forks; every
# child runs a batch of its own and must finish, with the same answer the parent gets.
FORK_SCRIPT = textwrap.dedent("""
    import os, signal, sys, threading, time, warnings
    warnings.simplefilter("ignore")  # forking a process that runs threads warns on newer Pythons
    import vantor

    ask = lambda: vantor.chunk_from_text("holdem", ["AhKh", "QsQd"], samples=1000, seed=2,
                                         threads=2)
    expected = ask()
    stop = threading.Event()

    def busy():
        while not stop.is_set():
            vantor.chunk_from_text("holdem", ["AhKh", "QsQd"], samples=1, seed=1, threads=2)

    threads = [threading.Thread(target=busy) for _ in range(4)]
    for thread in threads:
        thread.start()
    forks, failures, deadline = 0, [], time.monotonic() + {seconds}
    while forks < {forks} and time.monotonic() < deadline and not failures:
        pid = os.fork()
        if pid == 0:
            signal.alarm(10)  # a child that waits on a lock inherited held ends here
            os._exit(0 if ask() == expected else 1)
        forks += 1
        _, status = os.waitpid(pid, 0)
        if status != 0:
            failures.append(status)
    stop.set()
    for thread in threads:
        thread.join()
    print(forks, failures)
""")


# The sanitizer runtime keeps locks of its own (its allocator's, its stack depot's), which every
# allocation of a sanitized run takes, and this toolchain's runtime (GCC 12's libasan) does not
# intercept fork() to hold them across it: a child may inherit one held and wait on it, whatever
# the module does.
SANITIZED = "asan" in os.environ.get("LD_PRELOAD", "")


@pytest.mark.skipif(not hasattr(os, "fork"), reason="no fork on this platform")
@pytest.mark.skipif(SANITIZED, reason="the sanitizer runtime's own locks are not fork-safe")
def test_a_child_forked_while_batches_run_gets_a_working_pool():
    done = subprocess.run(
        [sys.executable, "-c", FORK_SCRIPT.format(forks=200, seconds=20)],
        capture_output=True,
        text=True,
        timeout=120,
    )
    assert done.returncode == 0, done.stderr
    forks, failures = done.stdout.split(maxsplit=1)
    assert failures.strip() == "[]", f"after {forks} forks"
    assert int(forks) >= 50

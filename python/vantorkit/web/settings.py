"""What one request may hold, and how much the server works at once.

The sizes are checked on the raw request, before anything is read into cards: a body past its
bound is refused while it arrives, a field past its bound before the notation reader sees it.
"""

from __future__ import annotations

from dataclasses import dataclass

# A request's body, in bytes: room for a few seats of ranges written hand by hand with weights.
MOST_BODY_BYTES = 65_536
# A hand field, in characters: every one of the 1,326 hold'em hands with a weight
# ("AhKh:0.25,", ten characters a hand) fits.
MOST_FIELD_CHARACTERS = 16_384
# The board and the dead cards, in characters: every card of the deck, spaced, fits.
MOST_CARDS_CHARACTERS = 256
# A client's name for itself (see `Calculations`).
MOST_CLIENT_CHARACTERS = 100


@dataclass(frozen=True)
class Settings:
    """How the server runs calculations.

    `threads`: pieces per sampled batch, as `vantorkit.equity` takes them (0: the module's
    default count); the answers record the number, which with the seed reproduces them.
    `running`: calculations at once, each on a thread of its own (the module works with the
    interpreter lock released, so they share the processors as the system schedules them).
    `waiting`: calculations that may wait for a thread beyond those; a request past both is
    refused with status 503. `most_seconds`: the longest a calculation runs; a request may ask
    for less (`seconds`) but not more.
    """

    threads: int = 0
    running: int = 32
    waiting: int = 64
    most_seconds: float = 60.0

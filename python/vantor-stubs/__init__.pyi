# Types for the `vantor` extension module, which carries none of its own. Only the twelve
# functions exist at runtime; every other name here (the dictionaries' shapes and the name
# aliases) is for type checkers alone, so import them under `if TYPE_CHECKING:`.

from collections.abc import Sequence
from typing import Literal, SupportsIndex, TypeAlias, TypedDict

GameKey: TypeAlias = Literal[
    "holdem",
    "short_deck",
    "omaha",
    "omaha_five",
    "omaha_six",
    "omaha_hi_lo",
    "omaha_five_hi_lo",
    "courchevel",
    "courchevel_hi_lo",
    "stud",
    "stud_hi_lo",
    "razz",
    "deuce_seven",
    "five_card_draw",
    "badugi",
]
"""The keys of `variants()`, in its order. `variant` parameters take any `str`."""

KernelName: TypeAlias = Literal["high", "short_deck", "low_a5", "deuce_seven", "badugi", "omaha"]
"""The ranking kernels `score_batch` knows. `kernel` takes any `str`."""

class Variant(TypedDict):
    """One game of `variants()`."""

    key: GameKey
    label: str
    hole_cards: int
    board_cards: int
    deck: int
    deck_size: int

class Seat(TypedDict):
    """One seat's figures: weighted sums of the result divided by its `weight_sum`."""

    equity: float
    win: float
    tie: float
    low_equity: float
    scoop: float
    high_win: float
    high_tie: float
    low_win: float
    low_tie: float
    std_error: float

class Result(TypedDict):
    """What `chunk`, `chunk_from_text`, `exact` and `exact_from_text` return. The eleven lists
    hold one weighted sum per seat, in seat order; `players` the figures derived from them."""

    samples: int
    exact: bool
    attempts: int
    acceptance: float
    weighted: bool
    weight_sum: float
    weight_square_sum: float
    effective_samples: float
    share_sum: list[float]
    share_square_sum: list[float]
    square_weight_share_sum: list[float]
    low_share_sum: list[float]
    win_count: list[float]
    tie_count: list[float]
    scoop_count: list[float]
    high_win_count: list[float]
    high_tie_count: list[float]
    low_win_count: list[float]
    low_tie_count: list[float]
    players: list[Seat]

def variants() -> list[Variant]: ...
def chunk(
    variant: str,
    hands: Sequence[Sequence[Sequence[SupportsIndex]]],
    board: Sequence[SupportsIndex],
    dead: SupportsIndex,
    samples: SupportsIndex,
    seed: SupportsIndex = 0,
    threads: SupportsIndex = 0,
) -> Result: ...
def chunk_from_text(
    variant: str,
    hands: Sequence[str],
    board: str = "",
    dead: str = "",
    samples: SupportsIndex = 100000,
    seed: SupportsIndex = 0,
    threads: SupportsIndex = 0,
) -> Result: ...
def exact(
    variant: str,
    hands: Sequence[Sequence[Sequence[SupportsIndex]]],
    board: Sequence[SupportsIndex],
    dead: SupportsIndex,
) -> Result | None: ...
def exact_from_text(
    variant: str, hands: Sequence[str], board: str = "", dead: str = ""
) -> Result | None: ...
def default_thread_count() -> int: ...
def parse_hand_field(
    text: str, slots: SupportsIndex, allow_short: bool = False
) -> list[list[int]]: ...
def parse_dead_cards(text: str) -> int: ...
def card_index(text: str) -> int: ...
def card_name(index: SupportsIndex) -> str: ...
def score_batch(kernel: str, hands: Sequence[str]) -> list[int]: ...
def full_deck() -> int: ...

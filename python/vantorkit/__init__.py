"""vantorkit: the vantor engine for people and front ends.

`equity` answers a spot to a chosen precision (exactly where that is cheap), `merge` merges
results of one request as the engine does, `hand_category` and `hands` name what the module
returns, and the `vantor` command (`python -m vantorkit`) prints a table a person reads at a
glance. `vantorkit.distributed` runs large jobs on any `concurrent.futures` executor, a Dask
cluster's among them.
"""

from .batches import Batch, batch, batches, plan
from .breakdown import breakdown
from .breakdown_result import Breakdown, ClassEquity, HandEquity, Progress
from .estimate import DEFAULT_PRECISION, Equity, Interrupted, SeatEquity, Stopped, equity
from .merging import merge
from .names import alternative_name, hand_category, hands, slot_name
from .seeds import batch_seed
from .spots import Spot, deal_bound

__all__ = [
    "DEFAULT_PRECISION",
    "Batch",
    "Breakdown",
    "ClassEquity",
    "Equity",
    "HandEquity",
    "Interrupted",
    "Progress",
    "SeatEquity",
    "Spot",
    "Stopped",
    "alternative_name",
    "batch",
    "batch_seed",
    "batches",
    "breakdown",
    "deal_bound",
    "equity",
    "hand_category",
    "hands",
    "merge",
    "plan",
    "slot_name",
]

"""Exact answers in parts: a request cut by the hands of one seat or two, parts alike up to a
renaming of suits walked once, adds up to the single walk in every figure; past the walk's limit
it gives the published equities against a random hand."""

import threading

import pytest

import vantor
import vantorkit
from vantorkit.figures import SUMS
from vantorkit.parts import split, split_seat, weight_classes
from vantorkit.requests import read_request
from vantorkit.sums import total
from vantorkit.walks import walk_parts

# Spots one walk answers, of every kind of seat a part can be cut by: named hands, ranges,
# wildcards, short fields of named cards (stud, draw), and a hi/lo pot.
WALKABLE = [
    ("holdem", ["AhKh", "QQ"], "", ""),
    ("holdem", ["AhKh", "**"], "Kd 7c 2s", ""),
    ("holdem", ["QQ+, AKs", "JJ-88", "**"], "Kd 7c 2s 5h", ""),
    ("holdem", ["A*", "K*"], "Kd 7c 2s", ""),
    ("short_deck", ["AhKh", "**"], "Qh Jh 9c", ""),
    ("omaha_hi_lo", ["Ac3dJhJc", "AA**"], "Ks Qd 7c 2h", ""),
    ("stud", ["AhKh9c7c2d", "QsQd8d2c5h, QsQd8d2c6h"], "", "3c"),
    ("deuce_seven", ["7c5d4h3s, 8c5d4h3s", "9c8d6h4c2s"], "", "Kd"),
    ("badugi", ["Ac2d * *", "As2c4h7d"], "", ""),
]


def cut(spot, seats):
    """The spot's answer from its parts, cut by the hands of `seats` seats in turn."""
    request = read_request(vantorkit.Spot(*spot))
    (part,) = weight_classes(request)
    pending = [(part, 0)]
    for _ in range(seats):
        pending = [(piece, cuts + 1) for whole, cuts in pending
                   for piece in split(request, whole, split_seat(request, whole))]  # fmt: skip
    return total(walk_parts(request, pending, threads=2, stop=None), request.weighted), pending


# Spots where two seats allow more than one hand, to be cut by both.
TWO_SEATS = [
    ("holdem", ["Ah *", "Kh *"], "Kd 7c 2s 5h 9d", ""),
    ("holdem", ["QQ+, AKs", "JJ-88", "AcQc"], "Kd 7c 2s 5h", ""),
    ("omaha_hi_lo", ["Ac 3d Jh *", "Kc Kd 9s *"], "Ks Qd 7c 2h 5s", ""),
    ("deuce_seven", ["7c5d4h3s, 8c5d4h3s", "9c8d6h4c2s, 9s8d6h4c2s"], "", "Kd"),
]
CUTS = [(spot, 1) for spot in WALKABLE] + [(spot, 2) for spot in TWO_SEATS]


@pytest.mark.parametrize("spot, seats", CUTS, ids=[f"{s[0]}-{n}" for s, n in CUTS])
def test_the_parts_add_up_to_the_single_walk(spot, seats):
    whole = vantor.exact_from_text(*spot)
    result, parts = cut(spot, seats)
    assert len(parts) > 1
    assert (result["samples"], result["exact"], result["weighted"]) == (
        whole["samples"], True, whole["weighted"]
    )  # fmt: skip
    assert result["weight_sum"] == whole["weight_sum"]
    for name in SUMS:
        if name.endswith("_count"):
            assert result[name] == whole[name], name  # whole numbers, added exactly
        else:
            assert result[name] == pytest.approx(whole[name], rel=1e-12), name
    for ours, theirs in zip(result["players"], whole["players"]):
        assert ours == pytest.approx(theirs, rel=1e-12, abs=1e-15)


def test_parts_alike_are_walked_once(monkeypatch):
    walks = []

    def counted(*arguments):
        walks.append(arguments)
        return vantor_exact(*arguments)

    vantor_exact = vantor.exact
    monkeypatch.setattr(vantor, "exact", counted)
    result = vantorkit.equity("holdem", ["AhKh", "**"], exact="always", threads=1)
    # 1,225 hands of the second seat, but only the renamings of clubs, diamonds and spades keep
    # the request: 367 classes of hands alike.
    assert result.deals == 2_097_572_400 == 1225 * 1_712_304
    assert len(walks) == 367


# Preflop all-in equity against a random hand, as PokerStove lists the 169 starting hands and
# strategy books quote it (the tie share split, as the module reports equity): AA 85.2%,
# KK 82.4%, AKs 67.0%, AKo 65.3%, 72o 34.6%.
PUBLISHED = [("AA", 0.852), ("KK", 0.824), ("AKs", 0.670), ("AKo", 0.653), ("72o", 0.346)]


@pytest.mark.parametrize("hand, published", PUBLISHED, ids=[hand for hand, _ in PUBLISHED])
def test_published_equities_against_a_random_hand(hand, published):
    result = vantorkit.equity("holdem", [hand, "**"], exact="always", threads=2)
    combinations = len(vantor.parse_hand_field(hand, 2))
    assert result.method == "exact"
    assert result.deals == combinations * 1225 * 1_712_304
    assert round(result.seats[0].equity, 3) == published
    assert result.seats[0].equity + result.seats[1].equity == pytest.approx(1.0, abs=1e-12)


def test_threads_change_nothing():
    spot = ("holdem", ["AhKh", "**"], "Kd 7c 2s")
    one, two = (cut(spot, 1)[0], cut(spot, 1)[0])
    assert one == two
    walked = [vantorkit.equity("holdem", ["QQ+:0.5, AKs", "**"], "Kd 7c", exact="always",
                               threads=threads).raw for threads in (1, 2)]  # fmt: skip
    assert walked[0] == walked[1]


class TestStopping:
    def test_a_walk_in_parts_stops_when_told(self):
        stop = threading.Event()
        stop.set()
        with pytest.raises(vantorkit.Stopped) as caught:
            vantorkit.equity("holdem", ["AhKh", "**"], exact="always", stop=stop)
        assert caught.value.result is None

    def test_sampling_stops_from_another_thread_with_the_estimate_so_far(self):
        stop = threading.Event()

        def second_batch(estimate):
            if len(estimate.batches) == 2:
                threading.Thread(target=stop.set).start()

        with pytest.raises(vantorkit.Stopped) as caught:
            vantorkit.equity("holdem", ["AhKh", "**"], precision=1e-5, exact="never", seed=1,
                             progress=second_batch, stop=stop)  # fmt: skip
        estimate = caught.value.result
        assert estimate.reason == "stopped" and len(estimate.batches) >= 2
        assert estimate.raw == vantorkit.merge(estimate.batches)

"""vantorkit.breakdown: every hand of a seat against single walks of that hand, its share against
a brute-force weighted enumeration, the whole against `equity`, and sampled hands within their
errors of the walked ones."""

import dataclasses
import json
import math
import threading

import pytest

import vantor
import vantorkit
from vantorkit.breakdown_result import plain_data
from weighted_enumeration import weighted_deal_count

FLOP = ("holdem", ["QQ+, AKs:0.5, A5s-A2s:25%", "JJ-99, KQs:0.4"], "Ks 7h 2c", "")


@pytest.fixture(scope="module")
def flop_breakdown():
    return vantorkit.breakdown(*FLOP, exact="always", threads=2)


class TestExact:
    def test_each_hand_is_its_own_walk(self, flop_breakdown):
        for row in flop_breakdown.hands:
            hands = [row.hand, "JJ, TT, 99, KQs"]
            # The other seat's weights change the hand's figures: weigh them by walking the
            # weighted spot with the hand named.
            alone = vantorkit.equity("holdem", [row.hand, FLOP[1][1]], FLOP[2], exact="always")
            assert row.deals == vantor.exact_from_text("holdem", hands, FLOP[2])["samples"]
            assert row.equity == pytest.approx(alone.seats[0].equity, rel=1e-12)
            assert (row.win, row.tie) == pytest.approx((alone.seats[0].win, alone.seats[0].tie))
            assert row.std_error == 0.0

    def test_shares_are_the_weighted_deals_of_each_hand(self, flop_breakdown):
        # By brute force: the deals in which the seat holds the hand, each weighing the other
        # seat's weight, times the hand's own weight; shares are those over their sum.
        other = [("JJ-99", 1), ("KQs", 0.4)]
        masses = {}
        for row in flop_breakdown.hands:
            deals = weighted_deal_count("holdem", [[(row.hand, 1)], other], FLOP[2])
            masses[row.hand] = row.weight * deals
        whole = math.fsum(masses.values())
        for row in flop_breakdown.hands:
            assert row.share == pytest.approx(masses[row.hand] / whole, rel=1e-12)
        weights = {row.hand_class: row.weight for row in flop_breakdown.hands}
        assert weights == {"AA": 1.0, "KK": 1.0, "QQ": 1.0, "AKs": 0.5, "A5s": 0.25, "A4s": 0.25,
                           "A3s": 0.25, "A2s": 0.25}  # fmt: skip

    def test_the_whole_is_equitys_answer(self, flop_breakdown):
        whole = vantorkit.equity(*FLOP, exact="always")
        for seat, expected in zip(flop_breakdown.seats, whole.seats):
            assert dataclasses.asdict(seat) == pytest.approx(
                dataclasses.asdict(expected), rel=1e-12, abs=1e-15
            )
        assert flop_breakdown.overall == flop_breakdown.seats[0]
        assert flop_breakdown.deals == whole.deals

    def test_classes_gather_their_hands(self, flop_breakdown):
        rows = flop_breakdown.hands
        for group in flop_breakdown.classes:
            members = [row for row in rows if row.hand_class == group.hand]
            share = math.fsum(row.share for row in members)
            assert (group.hands, group.share) == (len(members), pytest.approx(share))
            mean = math.fsum(row.share * row.equity for row in members) / share
            assert group.equity == pytest.approx(mean, rel=1e-12)
        assert [row.equity for row in rows] == sorted((row.equity for row in rows), reverse=True)
        assert {row.hand_class for row in rows} == {c.hand for c in flop_breakdown.classes}
        assert math.fsum(row.share for row in rows) == pytest.approx(1.0)

    @pytest.mark.parametrize(
        "spot, seat, rows",
        [
            (("omaha_hi_lo", ["Ac3dJhJc", "Kc Kd 9s *"], "Ks Qd 7c 2h", ""), 1, 52 - 11),
            (("deuce_seven", ["7c5d4h3s:0.5, 8c5d4h3s, 8c6d4h3s", "9c8d6h4c2s"], "", "Kd"), 0, 3),
            (("stud", ["AhKh9c7c2d", "QsQd8d2c5h, QsQd8d2c6h"], "", "3c"), 1, 2),
        ],
        ids=["omaha_hi_lo", "deuce_seven", "stud"],
    )
    def test_other_games_list_hands_without_classes(self, spot, seat, rows):
        result = vantorkit.breakdown(*spot, seat=seat, exact="always")
        assert len(result.hands) == rows and result.classes == ()
        assert all(row.hand_class is None for row in result.hands)
        for row in result.hands:
            hands = list(spot[1])
            hands[seat] = row.hand
            alone = vantor.exact_from_text(spot[0], hands, spot[2], spot[3])
            assert row.equity == pytest.approx(alone["players"][seat]["equity"], rel=1e-12)
        whole = vantorkit.equity(*spot, exact="always").seats[seat].equity
        assert result.overall.equity == pytest.approx(whole, rel=1e-12)


def test_sampled_hands_are_within_their_errors(flop_breakdown):
    sampled = vantorkit.breakdown(*FLOP, exact="never", precision=0.01, seed=3, threads=2)
    assert (sampled.method, sampled.reason, sampled.seed) == ("sampled", "precision", 3)
    exact = {row.hand: row for row in flop_breakdown.hands}
    for row in sampled.hands:
        assert 0 < row.std_error <= 0.01
        assert abs(row.equity - exact[row.hand].equity) <= 4.5 * row.std_error
        # Shares come from counted deals, not from the samples: exact.
        assert row.share == pytest.approx(exact[row.hand].share, rel=1e-12)
        assert row.deals == exact[row.hand].deals
    overall = sampled.overall
    assert abs(overall.equity - flop_breakdown.overall.equity) <= 4.5 * overall.std_error
    again = vantorkit.breakdown(*FLOP, exact="never", precision=0.01, seed=3, threads=2)
    assert again.hands == sampled.hands


def test_a_breakdown_goes_to_json_as_it_is(flop_breakdown):
    printed = json.loads(json.dumps(dataclasses.asdict(flop_breakdown)))
    # The typed copy the command prints is field for field the same.
    assert json.loads(json.dumps(plain_data(flop_breakdown))) == printed
    assert printed["hands"][0].keys() >= {"hand", "hand_class", "weight", "share", "equity",
                                          "win", "tie", "std_error", "low_win"}  # fmt: skip
    assert printed["classes"][0]["hand"] == flop_breakdown.classes[0].hand
    assert printed["seats"][0]["equity"] == flop_breakdown.overall.equity


class TestRunning:
    def test_progress_hears_of_every_hand(self):
        seen = []
        result = vantorkit.breakdown(*FLOP, exact="always", threads=1, progress=seen.append)
        assert seen[-1].hands_done == seen[-1].hands
        assert [report.hands_done for report in seen] == sorted({r.hands_done for r in seen})
        assert seen[-1].deals == result.deals

    def test_stop_ends_it_from_another_thread(self):
        stop = threading.Event()

        def first_report(progress):
            threading.Thread(target=stop.set).start()

        with pytest.raises(vantorkit.Stopped):
            vantorkit.breakdown(*FLOP, exact="never", precision=0.0005, progress=first_report,
                                stop=stop)  # fmt: skip


class TestRefusals:
    @pytest.mark.parametrize(
        "arguments, keywords, error, message",
        [
            ((*FLOP,), {"seat": 2}, ValueError, "seat must be from 0 to 1, not 2"),
            (("holdem", "AhKh"), {}, TypeError, "one hand field per seat"),
            (("stud", ["A** K", "***Q"]), {}, ValueError,
             "seat 1's field writes some cards to a rank or a suit and leaves others to be dealt"),
            (("holdem", ["AhKh", "QQ:7"]), {}, ValueError, "a weight is at most 1, not 7"),
            ((*FLOP,), {"exact": "maybe"}, ValueError, "exact must be 'auto', 'always' or"),
        ],
    )  # fmt: skip
    def test_bad_requests(self, arguments, keywords, error, message):
        with pytest.raises(error, match=message):
            vantorkit.breakdown(*arguments, **keywords)

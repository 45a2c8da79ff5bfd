#include "request/request.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "request/feasibility.hpp"
#include "sampler/matching.hpp"
#include "sampler/support.hpp"

namespace vantor::odds {
namespace {

using cards::CardMask;
using Seats = std::vector<std::vector<std::vector<CardMask>>>;
using Unsatisfied = RequestError::Unsatisfied;

constexpr CardMask kAny = cards::kFullDeck;
constexpr CardMask kSevens = 0xF00000;  // the four cards of rank index 5

CardMask card(const char* name) { return CardMask{1} << cards::card_index(name).value(); }

const variants::Variant& game(std::string_view key) { return *variants::find_variant(key).value(); }

Expected<PreparedRequest, EngineError> ask(std::string_view key, Seats seats,
                                           std::vector<CardMask> board = {}, CardMask dead = 0) {
  return build_request(game(key), std::move(seats), std::move(board), dead);
}

// Seats that each hold one alternative of `size` wildcards.
Seats unknown_seats(std::size_t count, std::size_t size) {
  return Seats(count, {std::vector<CardMask>(size, kAny)});
}

// The refusal as a RequestError, or a failed assertion naming what came back instead.
::testing::AssertionResult refused_with(const Expected<PreparedRequest, EngineError>& result,
                                        const RequestError& expected) {
  if (result) return ::testing::AssertionFailure() << "accepted";
  const auto* error = std::get_if<RequestError>(&result.error());
  if (error && *error == expected) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << display(result.error()) << " instead of " << expected.display();
}

TEST(RequestError, BoardSpotSaysCardForOneAndCardsOtherwise) {
  const std::string tail =
      " face up before the betting, so a board of 0 is not a spot that occurs;"
      " write `*` for a card that has been dealt and not yet seen";
  EXPECT_EQ(RequestError::board_spot(1, 0).display(), "this game turns 1 board card" + tail);
  EXPECT_EQ(RequestError::board_spot(3, 0).display(), "this game turns 3 board cards" + tail);
}

TEST(RequestError, SamplerGaveUpNamesBothCounts) {
  EXPECT_EQ(RequestError::sampler_gave_up(1000, 3, true).display(),
            "gave up after 1000 draws, of which only 3 could be used. The request is satisfiable "
            "-- that was settled before any card was dealt -- but the seats want the same cards "
            "too often for sampling to keep up, so this is a limit of the engine rather than of "
            "the question. Naming more of the cards is what loosens it");
}

// Where the search for a deal ran out of its budget, the message does not claim a deal exists.
TEST(RequestError, SamplerGaveUpUndecidedClaimsNoDeal) {
  EXPECT_EQ(RequestError::sampler_gave_up(1000, 3, false).display(),
            "gave up after 1000 draws, of which only 3 could be used. Whether any deal satisfies "
            "the request was not settled before the cards were dealt (the search for one ran out "
            "of its budget), so either none does or the seats want the same cards too often for "
            "sampling to keep up. Naming more of the cards is what loosens it");
}

// Each request breaks several rules; the earliest check in the documented order must answer.
TEST(BuildRequest, TheEarliestCheckWins) {
  const CardMask ah = card("Ah"), ks = card("Ks"), two_c = card("2c");
  Seats too_many = unknown_seats(24, 2);
  too_many[0][0].push_back(kAny);
  const Seats shared_ace = {{{ah, ks}}, {{ah, card("3c")}}};
  struct Case {
    const char* what;
    std::string_view key;
    Seats seats;
    std::vector<CardMask> board;
    CardMask dead;
    RequestError expected;
  } cases[] = {
      {"one seat, a long hand, a dead card held, six board masks",
       "holdem",
       {{{ah, ks, kAny}}},
       std::vector<CardMask>(6, kAny),
       ah,
       RequestError::too_few_seats()},
      {"24 seats, one hand too long",
       "holdem",
       too_many,
       {},
       0,
       RequestError::too_many_seats(24, 23)},
      {"stud: uneven shown cards, and a board",
       "stud",
       {{{ah, ks, kAny}}, {{kAny, kAny, kAny, kAny}}},
       {kAny},
       0,
       RequestError::uneven_hands()},
      {"stud: two cards each, and a board",
       "stud",
       unknown_seats(3, 2),
       {kAny},
       0,
       RequestError::wrong_hand_size(2)},
      {"a short hand first, an impossible one second",
       "holdem",
       {{{ah}}, {{0, kAny}}},
       {},
       0,
       RequestError::wrong_hand_size(1)},
      {"uneven alternatives first, a long hand second",
       "five_card_draw",
       {{{ah}, {ah, ks}}, {{kAny, kAny, kAny, kAny, kAny, kAny}}},
       {},
       0,
       RequestError::uneven_hands()},
      {"an impossible hand and six board masks",
       "holdem",
       {{{ah, 0}}, {{kAny, kAny}}},
       std::vector<CardMask>(6, kAny),
       0,
       RequestError::unsatisfiable(Unsatisfied::Hand)},
      {"six board masks and a deuce among the dead", "short_deck", unknown_seats(2, 2),
       std::vector<CardMask>(6, kAny), two_c, RequestError::board_size(6)},
      {"a deuce among the dead and a shared ace",
       "short_deck",
       shared_ace,
       {},
       two_c,
       RequestError::outside_deck(0)},
      {"a shared ace, and a dead king that is lower",
       "holdem",
       shared_ace,
       {},
       ks,
       RequestError::card_twice(50)},
      {"a dead named card, and too few live cards",
       "holdem",
       unknown_seats(23, 2),
       {ah},
       ah | ks | card("Qh") | card("Jh"),
       RequestError::card_twice(50)},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(refused_with(ask(c.key, c.seats, c.board, c.dead), c.expected)) << c.what;
  }
}

TEST(BuildRequest, ShortHandsAndBoardsAreCompletedWithWildcards) {
  const CardMask ah = card("Ah"), kh = card("Kh"), qh = card("Qh");
  const auto draw = ask("five_card_draw", {{{ah, kh, qh}}, {{kAny}}}, {}, card("2c"));
  ASSERT_TRUE(draw) << display(draw.error());
  EXPECT_EQ(draw->seats, (Seats{{{ah, kh, qh, kAny, kAny}}, {{kAny, kAny, kAny, kAny, kAny}}}));
  EXPECT_TRUE(draw->board.empty());
  EXPECT_EQ(draw->deal.board_size, 0u);
  EXPECT_EQ(draw->deal.live, cards::kFullDeck & ~card("2c"));
  EXPECT_EQ(draw->game, &game("five_card_draw"));

  const auto flop =
      ask("short_deck", {{{ah, kh}}, {{kAny, kAny}}}, {qh, card("Jh"), card("Th")}, card("9c"));
  ASSERT_TRUE(flop) << display(flop.error());
  EXPECT_EQ(flop->board, (std::vector<CardMask>{qh, card("Jh"), card("Th"), kAny, kAny}));
  EXPECT_EQ(flop->deal.board_size, 5u);
  EXPECT_EQ(flop->deal.live, variants::kShortDeck & ~card("9c"));
  EXPECT_EQ(flop->game, &game("short_deck"));
  EXPECT_EQ(flop->deal.seat_count, 2u);  // the deal was planned
}

TEST(BuildRequest, EightStudSeatsHoldSixCardsAndShareOne) {
  const auto shared = ask("stud", unknown_seats(8, 6), {card("Ah")});
  ASSERT_TRUE(shared) << display(shared.error());
  EXPECT_EQ(shared->board, std::vector<CardMask>{card("Ah")});
  EXPECT_EQ(shared->deal.board_size, 1u);
  const auto unseen = ask("razz", unknown_seats(8, 3));
  ASSERT_TRUE(unseen) << display(unseen.error());
  EXPECT_EQ(unseen->board, std::vector<CardMask>{kAny});
  EXPECT_EQ(unseen->seats[7][0].size(), 6u);

  EXPECT_TRUE(refused_with(ask("stud", unknown_seats(8, 7)), RequestError::wrong_hand_size(7)));
  EXPECT_TRUE(
      refused_with(ask("stud", unknown_seats(8, 6), {kAny, kAny}), RequestError::board_size(2)));
  EXPECT_TRUE(
      refused_with(ask("stud_hi_lo", unknown_seats(7, 7), {kAny}), RequestError::board_size(1)));
  const auto seven = ask("stud_hi_lo", unknown_seats(7, 7));
  ASSERT_TRUE(seven);
  EXPECT_EQ(seven->deal.board_size, 0u);
}

TEST(RazzRewrite, PinsWholeRanksToTheLowestFreeCardInSeatOrder) {
  const CardMask c2 = card("2c"), c3 = card("3c");
  const auto pinned = ask("razz", {{{kSevens, kSevens, c2}}, {{card("7c"), kSevens, c3}}});
  ASSERT_TRUE(pinned) << display(pinned.error());
  // 7c is named, so seat 0 takes 7d then 7h, and seat 1's any-seven is left with 7s.
  EXPECT_EQ(pinned->seats[0][0],
            (std::vector<CardMask>{card("7d"), card("7h"), c2, kAny, kAny, kAny, kAny}));
  EXPECT_EQ(pinned->seats[1][0][1], card("7s"));

  const auto on_board = ask("razz", unknown_seats(8, 3), {kSevens}, card("7c"));
  ASSERT_TRUE(on_board);
  EXPECT_EQ(on_board->board, std::vector<CardMask>{card("7d")});
}

TEST(RazzRewrite, LeavesOtherGamesAndSeatsWithSeveralAlternativesAlone) {
  const Seats one_each = {{{kSevens, kAny, kAny}}, {{card("7c"), kAny, kAny}}};
  const auto stud = ask("stud", one_each);
  ASSERT_TRUE(stud);
  EXPECT_EQ(stud->seats[0][0][0], kSevens);
  Seats two_ways = one_each;
  two_ways[1].push_back({card("8c"), kAny, kAny});
  const auto razz = ask("razz", two_ways);
  ASSERT_TRUE(razz);
  EXPECT_EQ(razz->seats[0][0][0], kSevens);
}

TEST(RazzRewrite, IsDroppedWhenThePinnedCardWasNeededElsewhere) {
  // Thirteen clubs are written out, so the any-seven must not be the seven of clubs: pinned to
  // it the request would be refused, though 7d, 7h or 7s deal it.
  const std::vector<std::string> hands = {"7******", "ccccccc", "cccccc*"};
  const auto razz = build_request_from_text(game("razz"), hands, "", "");
  ASSERT_TRUE(razz) << display(razz.error());
  EXPECT_EQ(razz->seats[0][0][0], kSevens);
}

// Slots that each name one card or take any live card are settled by counting: the answer must be
// the matching's.
TEST(SlotsCanBeFilled, NamedCardsAndWildcardsCountedAsTheMatchingFinds) {
  std::mt19937_64 random(16);
  for (int round = 0; round < 3000; ++round) {
    // About a dozen live cards and up to fifteen slots, so that the slots often just fit.
    const CardMask live = kAny & random() & random();
    std::vector<cards::Card> live_cards;
    for (cards::Card c = 0; c < 52; ++c) {
      if (live >> c & 1) live_cards.push_back(c);
    }
    if (live_cards.empty()) continue;
    std::vector<CardMask> slots;
    const auto slot_count = static_cast<std::size_t>(random() % 16);
    for (std::size_t i = 0; i < slot_count; ++i) {
      const auto pick = random() % 8;
      slots.push_back(pick == 0   ? kAny
                      : pick < 4  ? live
                      : pick == 4 ? CardMask{1} << (random() % 52)
                                  : CardMask{1} << live_cards[random() % live_cards.size()]);
    }
    const Seats seats = {{slots}};
    bool every_slot_live = true;
    for (const CardMask slot : slots) every_slot_live &= (slot & live) != 0;
    const bool matched = every_slot_live && sampler::fits(slots, live_cards);
    EXPECT_EQ(slots_can_be_filled(seats, {}, live), matched) << round;
  }
}

TEST(BuildRequest, RefusesAlternativesThatEachCollideThoughEveryCardPositionCanBeFilled) {
  const CardMask ah = card("Ah"), kh = card("Kh"), qs = card("Qs"), qd = card("Qd");
  const Seats colliding = {{{ah, kh}, {qs, qd}}, {{ah, qd}}};
  EXPECT_TRUE(slots_can_be_filled(colliding, {}, kAny));
  EXPECT_TRUE(
      refused_with(ask("holdem", colliding), RequestError::unsatisfiable(Unsatisfied::Together)));
  EXPECT_TRUE(refused_with(ask("holdem", {{{ah, ah}, {kh, kh}}, {{qs, qd}}}),
                           RequestError::unsatisfiable(Unsatisfied::Together)));
  EXPECT_TRUE(ask("holdem", {{{ah, kh}, {qs, qd}}, {{ah, card("Jd")}}}));
}

// Plain reference: try every choice of one alternative per seat and every assignment of cards.
bool brute_force_dealable(const Seats& seats, const std::vector<CardMask>& board, CardMask live,
                          std::size_t seat = 0, std::vector<CardMask> slots = {}) {
  if (seat == seats.size()) {
    slots.insert(slots.end(), board.begin(), board.end());
    return sampler::testing::brute_force_fits(slots, sampler::testing::cards_in(live));
  }
  for (const auto& alternative : seats[seat]) {
    std::vector<CardMask> more = slots;
    more.insert(more.end(), alternative.begin(), alternative.end());
    if (brute_force_dealable(seats, board, live, seat + 1, more)) return true;
  }
  return false;
}

TEST(FindDeal, AgreesWithTryingEveryChoice) {
  // Few cards and narrow masks, so that collisions are the rule and both answers are common.
  std::mt19937_64 random(20240611);
  const auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
  const auto mask = [&] {
    CardMask m = CardMask{1} << pick(9);
    if (pick(3) == 0) m |= CardMask{1} << pick(9);
    return m;
  };
  int dealable = 0, fooled_slot_check = 0;
  for (int trial = 0; trial < 3000; ++trial) {
    Seats seats(2 + pick(3));
    for (auto& seat : seats) {
      seat.resize(1 + pick(3));
      for (auto& alternative : seat) alternative = {mask(), mask()};
    }
    std::vector<CardMask> board(pick(2));
    for (CardMask& m : board) m = mask();
    const CardMask live = 0x1FF & ~(CardMask{1} << pick(12));
    const bool expected = brute_force_dealable(seats, board, live);
    const bool slots_pass = slots_can_be_filled(seats, board, live);
    ASSERT_EQ(find_deal(seats, board, live), expected ? Dealability::Dealable : Dealability::NoDeal)
        << "trial " << trial;
    ASSERT_TRUE(slots_pass || !expected) << "the slot check refused a dealable request";
    dealable += expected;
    fooled_slot_check += slots_pass && !expected;
  }
  EXPECT_GT(dealable, 300);
  EXPECT_GT(fooled_slot_check, 30);  // the cases the search exists for did come up
}

// Named cards and wildcards only (settled by counting, without the search), with a few live cards
// so that both answers come up: a request is accepted exactly when trying every assignment finds
// a deal, and refused as unsatisfiable together otherwise.
TEST(BuildRequest, NamedCardsAndWildcardsAgreeWithTryingEveryChoice) {
  std::mt19937_64 random(20261208);
  const auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
  int accepted = 0, refused = 0;
  for (int trial = 0; trial < 400; ++trial) {
    const CardMask live = (CardMask{1} << (6 + pick(6))) - 1;  // the lowest 6 to 11 cards
    std::vector<cards::Card> unnamed = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    std::shuffle(unnamed.begin(), unnamed.end(), random);
    const auto slot = [&] {
      if (pick(2) == 0 || unnamed.empty()) return kAny;
      const CardMask named = CardMask{1} << unnamed.back();
      unnamed.pop_back();
      return (named & live) != 0 ? named : kAny;
    };
    Seats seats(2 + pick(2), {std::vector<CardMask>(2)});
    for (auto& seat : seats) {
      for (CardMask& mask : seat.front()) mask = slot();
    }
    std::vector<CardMask> board(3 + pick(3));
    for (CardMask& mask : board) mask = slot();
    std::vector<CardMask> full_board = board;
    full_board.resize(5, kAny);
    const bool expected = brute_force_dealable(seats, full_board, live);
    const auto built = ask("holdem", seats, board, kAny & ~live);
    if (expected) {
      ASSERT_TRUE(built) << "trial " << trial << ": " << display(built.error());
      EXPECT_TRUE(built->known_dealable);
    } else {
      ASSERT_TRUE(refused_with(built, RequestError::unsatisfiable(Unsatisfied::Together)))
          << "trial " << trial;
    }
    accepted += expected;
    refused += !expected;
  }
  EXPECT_GT(accepted, 50);
  EXPECT_GT(refused, 50);
}

// Fourteen seats of one pair each, written in both orders, ahead of two seats that cannot be dealt
// together (every choice of theirs collides) although the slot check passes: the search branches
// on the fourteen first and fails at the last two, 2^14 times.
Seats undecidable(std::size_t copies) {
  Seats seats;
  const CardMask c2 = card("2c"), c3 = card("3c"), c4 = card("4c"), c5 = card("5c");
  for (int k = 0; k < 14; ++k) {
    const CardMask a = CardMask{1} << (20 + 2 * k), b = CardMask{1} << (21 + 2 * k);
    std::vector<std::vector<CardMask>> seat;
    for (std::size_t i = 0; i < copies; ++i) {
      seat.push_back({a, b});
      seat.push_back({b, a});
    }
    seats.push_back(seat);
  }
  Seats last = {{{c2, c3}, {c4, c5}}, {{c2, c4}, {c3, c5}}};
  for (auto& seat : last) {
    const auto written = seat;
    for (std::size_t i = 1; i < copies + 1; ++i)
      seat.insert(seat.end(), written.begin(), written.end());
  }
  seats.insert(seats.end(), last.begin(), last.end());
  return seats;
}

TEST(FindDeal, RunsOutOfMatchingsOrWorkUndecided) {
  const std::vector<CardMask> board;
  ASSERT_TRUE(slots_can_be_filled(undecidable(1), board, kAny));
  EXPECT_EQ(find_deal(undecidable(1), board, kAny), Dealability::Undecided);
  // Each step scans every alternative left: with a hundred copies of each, matchings to spare
  // would take the search for ever, and the work limit ends it.
  EXPECT_EQ(find_deal(undecidable(100), board, kAny, ~std::size_t{0}), Dealability::Undecided);
  // With the work to spare, the same search settles the smaller one: there is no deal.
  EXPECT_EQ(find_deal(undecidable(1), board, kAny, 1u << 20, ~std::size_t{0}), Dealability::NoDeal);
}

// Counted before anything else is looked at, per seat and in all.
TEST(BuildRequest, RefusesTooManyAlternatives) {
  const std::vector<CardMask> named = {card("Ah"), card("Kh")};
  Seats seats = {Seats::value_type(notation::kMostFieldAlternatives + 1, named), {named}};
  EXPECT_TRUE(refused_with(ask("holdem", seats), RequestError::too_many_alternatives(
                                                     notation::kMostFieldAlternatives, false)));
  seats[0].pop_back();
  // At the limit a seat is taken, and the next refusal is the request's own.
  EXPECT_TRUE(
      refused_with(ask("holdem", seats), RequestError::card_twice(*cards::card_index("Kh"))));
  seats.push_back(seats[0]);
  seats.push_back({named});
  EXPECT_TRUE(refused_with(ask("holdem", seats),
                           RequestError::too_many_alternatives(kMostAlternatives, true)));
  EXPECT_EQ(RequestError::too_many_alternatives(5, true).display(),
            "the seats have more than the 5 alternatives a request may have in all; write fewer, "
            "leaving open the cards that need not be named (a rank, a suit or any card)");
}

TEST(BuildRequest, RefusesAlternativesTooLargeToPrepare) {
  // Badugi hands of one card of each suit are prepared as the 28,561 hands they allow, about
  // 360 KB each: a thousand pass the budget.
  CardMask suits[4] = {};
  for (int card = 0; card < 52; ++card) suits[card % 4] |= CardMask{1} << card;
  const Seats seats = {Seats::value_type(1000, std::vector<CardMask>(suits, suits + 4)),
                       unknown_seats(1, 4)[0]};
  EXPECT_TRUE(refused_with(ask("badugi", seats),
                           RequestError::too_large_to_prepare(kMostPreparedBytes >> 20)));
  Seats fewer = seats;
  fewer[0].resize(100);
  EXPECT_TRUE(ask("badugi", fewer));
}

TEST(FindDeal, AnExhaustedBudgetIsUndecided) {
  const CardMask ah = card("Ah"), kh = card("Kh"), qs = card("Qs"), qd = card("Qd");
  const Seats branching = {{{ah, kh}, {qs, qd}}, {{ah, kh}, {qs, qd}}};
  EXPECT_EQ(find_deal(branching, {}, kAny, 1), Dealability::Undecided);
  EXPECT_EQ(find_deal(branching, {}, kAny), Dealability::Dealable);
}

}  // namespace
}  // namespace vantor::odds

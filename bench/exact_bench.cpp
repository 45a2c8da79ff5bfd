// Time per exact walk on representative spots of every game, from a prepared request (request
// building and the Python frame are measured by bench/exact_bench.py). Run by hand:
//   cmake -S . -B build/bench -DVANTOR_BENCH=ON && cmake --build build/bench --target exact_bench
//   build/bench/exact_bench

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string_view>
#include <vector>

#include "cards/card.hpp"
#include "odds/exact_walk.hpp"
#include "odds/prepared_request.hpp"
#include "variants/equity.hpp"

namespace {

using namespace vantor;
using cards::CardMask;

constexpr CardMask kAll = cards::kFullDeck;

CardMask card(std::string_view name) { return cards::card_bit(*cards::card_index(name)); }

using Seat = std::vector<std::vector<CardMask>>;

// One named hand as a seat with one alternative.
Seat named(std::string_view hand) {
  std::vector<CardMask> masks;
  for (std::size_t i = 0; i + 1 < hand.size(); i += 2) masks.push_back(card(hand.substr(i, 2)));
  return {masks};
}

Seat wildcards(std::size_t count) { return {std::vector<CardMask>(count, kAll)}; }

struct Spot {
  const char* name;
  const char* game;
  std::vector<Seat> seats;
  std::vector<CardMask> board;  // given cards; wildcards complete it to the game's board
};

odds::PreparedRequest prepare(const variants::Variant& game, const Spot& spot) {
  odds::PreparedRequest r;
  r.seats = spot.seats;
  const std::size_t hole = r.seats.size() >= 8 && game.board_cards == 0 ? 6 : game.hole_cards;
  for (auto& seat : r.seats) {
    for (auto& alternative : seat) alternative.resize(hole, kAll);
  }
  r.board_size = game.board_cards ? 5 : (r.seats.size() >= 8 && hole == 6 ? 1 : 0);
  r.board = spot.board;
  r.board.resize(r.board_size, kAll);
  r.live = game.deck;
  odds::prepare_for_drawing(r);
  return r;
}

void measure(const Spot& spot) {
  const auto& game = **variants::find_variant(spot.game);
  const odds::PreparedRequest request = prepare(game, spot);
  using Clock = std::chrono::steady_clock;
  double best = 1e30;
  std::uint64_t deals = 0;
  const auto until = Clock::now() + std::chrono::milliseconds(700);
  int rounds = 0;
  while (rounds < 5 || (Clock::now() < until && rounds < 200)) {
    const auto start = Clock::now();
    const auto tally = odds::walk_exactly(game, request);
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    deals = tally && *tally ? (*tally)->samples : 0;
    ++rounds;
  }
  std::printf("%-44s %-18s %11llu deals %10.3f ms %8.2f ns/deal\n", spot.name, spot.game,
              static_cast<unsigned long long>(deals), best * 1e3, deals ? best * 1e9 / deals : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
  // An optional argument keeps only the spots whose game key equals it, for profiling.
  const std::string_view only = argc > 1 ? argv[1] : "";
  const std::vector<CardMask> flop{card("Ts"), card("9s"), card("2d")};
  const std::vector<Spot> spots = {
      {"AhKh v QsQd, river", "holdem", {named("AhKh"), named("QsQd")},
       {card("2c"), card("7d"), card("Ts"), card("Jh"), card("3s")}},
      {"AhKh v QsQd, preflop", "holdem", {named("AhKh"), named("QsQd")}, {}},
      {"AhKh v QsQd v 7c7d, flop", "holdem", {named("AhKh"), named("QsQd"), named("7c7d")}, flop},
      {"AhKh v **, flop", "holdem", {named("AhKh"), wildcards(2)}, flop},
      {"AhKh v QsQd, preflop", "short_deck", {named("AhKh"), named("QsQd")}, {}},
      {"4 cards v 4 cards, flop", "omaha", {named("AhKhQsJd"), named("9c8c7d6d")}, flop},
      {"4 cards v 4 cards, preflop", "omaha", {named("AhKhQsJd"), named("9c8c7d6d")}, {}},
      {"4 cards v 4 cards, flop", "omaha_hi_lo", {named("AhKh2s3d"), named("9c8c7d6d")}, flop},
      {"5 cards v 5 cards, flop", "omaha_five", {named("AhKhQsJd2c"), named("9c8c7d6d5h")}, flop},
      {"5 cards v 5 cards, flop", "omaha_five_hi_lo", {named("AhKh2s3dQc"), named("9c8c7d6d5h")}, flop},
      {"5 cards v 5 cards, one board card", "courchevel", {named("AhKhQsJd2c"), named("9c8c7d6d5h")}, {card("Ts")}},
      {"5 cards v 5 cards, one board card", "courchevel_hi_lo", {named("AhKh2s3dQc"), named("9c8c7d6d5h")}, {card("Ts")}},
      {"6 cards v 6 cards, flop", "omaha_six", {named("AhKhQsJd2c3c"), named("9c8c7d6d5h4h")}, flop},
      {"5 cards v 5 cards, 2 to come", "stud", {named("AhKhQsJd2c"), named("9c8c7d6d5h")}, {}},
      {"5 cards v 5 cards, 2 to come", "stud_hi_lo", {named("Ah2h3s4d9c"), named("9d8c7d6d5h")}, {}},
      {"5 cards v 5 cards, 2 to come", "razz", {named("Ah2h3s4d9c"), named("Kc8c7d6d5h")}, {}},
      {"6 named v 6 named, 8 seats, board to come", "stud",
       {named("AhAd2c3d4h5s"), named("KhKd2d3h4s5c"), named("QhQd2h3s4c5d"), named("JhJd2s3c4d5h"),
        named("ThTd6c7d8h9s"), named("9h9d6d7h8s9c"), named("8d8c6h7s6s7c"), named("AcKcQcJc")},
       {}},
      {"4 cards v 4 cards, one to come", "deuce_seven", {named("7h5d4c3s"), named("8c6d4h2s")}, {}},
      {"4 cards v 4 cards, one to come", "five_card_draw", {named("AhAdKcQs"), named("9c9dTh8s")}, {}},
      {"3 cards v 3 cards, one to come", "badugi", {named("Ah2d3c"), named("4h5d6c")}, {}},
  };
  for (const Spot& spot : spots) {
    if (only.empty() || only == spot.game) measure(spot);
  }
}

// Time per exact walk on representative spots of every game, from a built request (request
// building and the Python frame are measured by bench/exact_bench.py). Run by hand:
//   cmake -S . -B build/bench -DVANTOR_BENCH=ON && cmake --build build/bench --target exact_bench
//   build/bench/exact_bench

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "cards/card.hpp"
#include "exact/exact_walk.hpp"
#include "request/prepared_request.hpp"
#include "request/request.hpp"
#include "spot.hpp"
#include "variants/equity.hpp"

namespace {

using namespace vantor;
using bench::Spot;

void measure(const Spot& spot) {
  const auto built = bench::build_spot(spot);
  if (!built) return;
  const odds::PreparedRequest& request = *built;
  using Clock = std::chrono::steady_clock;
  double best = 1e30;
  std::uint64_t deals = 0;
  const auto until = Clock::now() + std::chrono::milliseconds(700);
  int rounds = 0;
  while (rounds < 5 || (Clock::now() < until && rounds < 200)) {
    const auto start = Clock::now();
    const auto tally = odds::walk_exactly(request);
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
  const std::vector<Spot> spots = {
      {"AhKh v QsQd, river", "holdem", {"AhKh", "QsQd"}, "2c7dTsJh3s"},
      {"AhKh v QsQd, preflop", "holdem", {"AhKh", "QsQd"}, ""},
      {"AKs v QQ, preflop", "holdem", {"AKs", "QQ"}, ""},
      {"AhKh v QsQd v 7c7d, flop", "holdem", {"AhKh", "QsQd", "7c7d"}, "Ts9s2d"},
      {"AhKh v TT+,AKs, flop", "holdem", {"AhKh", "TT+,AKs"}, "Ts9s2d"},
      {"AhKh v **, flop", "holdem", {"AhKh", "**"}, "Ts9s2d"},
      {"AhKh v QsQd, preflop", "short_deck", {"AhKh", "QsQd"}, ""},
      {"4 cards v 4 cards, flop", "omaha", {"AhKhQsJd", "9c8c7d6d"}, "Ts9s2d"},
      {"4 cards v 4 cards, preflop", "omaha", {"AhKhQsJd", "9c8c7d6d"}, ""},
      {"4 cards v 4 cards, flop", "omaha_hi_lo", {"AhKh2s3d", "9c8c7d6d"}, "Ts9s2d"},
      {"5 cards v 5 cards, flop", "omaha_five", {"AhKhQsJd2c", "9c8c7d6d5h"}, "Ts9s2d"},
      {"5 cards v 5 cards, flop", "omaha_five_hi_lo", {"AhKh2s3dQc", "9c8c7d6d5h"}, "Ts4s2d"},
      {"5 cards v 5 cards, one board card", "courchevel", {"AhKhQsJd2c", "9c8c7d6d5h"}, "Ts"},
      {"5 cards v 5 cards, one board card", "courchevel_hi_lo", {"AhKh2s3dQc", "9c8c7d6d5h"}, "Ts"},
      {"6 cards v 6 cards, flop", "omaha_six", {"AhKhQsJd2c3c", "9c8c7d6d5h4h"}, "Ts9s2d"},
      {"5 cards v 5 cards, 2 to come", "stud", {"AhKhQsJd2c", "9c8c7d6d5h"}, ""},
      {"5 cards v 5 cards, 2 to come", "stud_hi_lo", {"Ah2h3s4d9c", "9d8c7d6d5h"}, ""},
      {"5 cards v 5 cards, 2 to come", "razz", {"Ah2h3s4d9c", "Kc8c7d6d5h"}, ""},
      {"8 seats of 6 named, board card to come",
       "stud",
       {"AhAd2c3d4h5s", "KhKd2d3h4s5c", "QhQd2h3s4c5d", "JhJd2s3c4d5h", "ThTd6c7d8h9s",
        "9h9d6d7h8s9c", "8d8c6h7s6s7c", "AcKcQcJc**"},
       ""},
      {"4 cards v 4 cards, one to come", "deuce_seven", {"7h5d4c3s", "8c6d4h2s"}, ""},
      {"4 cards v 4 cards, one to come", "five_card_draw", {"AhAdKcQs", "9c9dTh8s"}, ""},
      {"3 cards v 3 cards, one to come", "badugi", {"Ah2d3c", "4h5d6c"}, ""},
  };
  for (const Spot& spot : spots) {
    if (only.empty() || only == spot.game) measure(spot);
  }
}

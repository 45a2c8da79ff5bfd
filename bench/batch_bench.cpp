// Deals per second of the batch runner, per game, on one and on two threads, for a heads-up spot
// with named hands and for a spot with ranges and wildcards. Run by hand:
//   cmake -S . -B build/bench -DVANTOR_BENCH=ON && cmake --build build/bench --target batch_bench
//   build/bench/batch_bench [game key]
// The figures are best-of-several; run on an otherwise idle machine.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "request/request.hpp"
#include "running/batch_runner.hpp"
#include "spot.hpp"
#include "variants/equity.hpp"

namespace {

using namespace vantor;
using bench::Spot;

// Best rate over repeated batches of `samples` deals cut into `threads` pieces.
double deals_per_second(const odds::PreparedRequest& request, std::uint64_t samples,
                        std::uint64_t threads) {
  using Clock = std::chrono::steady_clock;
  double best = 1e30;
  for (int round = 0; round < 5; ++round) {
    const auto start = Clock::now();
    const auto tally =
        odds::run_batch(request, samples, static_cast<std::uint64_t>(round), threads);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (!tally) return 0;
    best = std::min(best, seconds);
  }
  return static_cast<double>(samples) / best;
}

void measure(const Spot& spot, std::uint64_t samples) {
  const auto built = bench::build_spot(spot);
  if (!built) return;
  const double one = deals_per_second(*built, samples, 1);
  const double two = deals_per_second(*built, samples, 2);
  std::printf("%-40s %-17s %s %8.2f M/s  %8.2f M/s on two  x%.2f\n", spot.name, spot.game,
              built->deal.weighted ? "weighted " : "rejection", one / 1e6, two / 1e6, two / one);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string_view only = argc > 1 ? argv[1] : "";
  const std::vector<std::pair<Spot, std::uint64_t>> spots = {
      {{"AhKh v QsQd", "holdem", {"AhKh", "QsQd"}, ""}, 20'000'000},
      {{"QQ+,AKs v ** v KdQd", "holdem", {"QQ+,AKs", "**", "KdQd"}, ""}, 10'000'000},
      {{"AhKh v QsQd", "short_deck", {"AhKh", "QsQd"}, ""}, 10'000'000},
      {{"QQ+,AKs v ** v KdQd", "short_deck", {"QQ+,AKs", "**", "KdQd"}, ""}, 5'000'000},
      {{"AsKsQhJh v 9c9d8c7d", "omaha", {"AsKsQhJh", "9c9d8c7d"}, ""}, 2'000'000},
      {{"AA** v ** v KdQdJc9c", "omaha", {"AA**", "****", "KdQdJc9c"}, ""}, 1'000'000},
      {{"As2sKhQh v 9c9d8c7d", "omaha_hi_lo", {"As2sKhQh", "9c9d8c7d"}, ""}, 2'000'000},
      {{"A2** v ** v KdQdJc9c", "omaha_hi_lo", {"A2**", "****", "KdQdJc9c"}, ""}, 1'000'000},
      {{"named v named", "omaha_five", {"AsKsQhJh2c", "9c9d8c7d3h"}, ""}, 1'000'000},
      {{"AA*** v ***** v named", "omaha_five", {"AA***", "*****", "KdQdJc9c2h"}, ""}, 500'000},
      {{"named v named", "omaha_five_hi_lo", {"As2sKhQh3c", "9c9d8c7d4h"}, ""}, 1'000'000},
      {{"A2*** v ***** v named", "omaha_five_hi_lo", {"A2***", "*****", "KdQdJc9c5h"}, ""},
       500'000},
      {{"named v named", "omaha_six", {"AsKsQhJh2c3c", "9c9d8c7d3h4h"}, ""}, 500'000},
      {{"AA**** v ****** v named", "omaha_six", {"AA****", "******", "KdQdJc9c2h3h"}, ""}, 300'000},
      {{"named v named", "courchevel", {"AsKsQhJh2c", "9c9d8c7d3h"}, "*"}, 1'000'000},
      {{"AA*** v ***** v named", "courchevel", {"AA***", "*****", "KdQdJc9c2h"}, "*"}, 500'000},
      {{"named v named", "courchevel_hi_lo", {"As2sKhQh3c", "9c9d8c7d4h"}, "*"}, 1'000'000},
      {{"A2*** v ***** v named", "courchevel_hi_lo", {"A2***", "*****", "KdQdJc9c5h"}, "*"},
       500'000},
      {{"named v named", "stud", {"AsKsQh", "9c9d8c"}, ""}, 10'000'000},
      {{"A** v *** v named", "stud", {"A**", "***", "KdQdJc"}, ""}, 5'000'000},
      {{"named v named", "stud_hi_lo", {"As2s3h", "9c9d8c"}, ""}, 10'000'000},
      {{"A** v *** v named", "stud_hi_lo", {"A**", "***", "KdQdJc"}, ""}, 5'000'000},
      {{"named v named", "razz", {"As2s3h", "9c9d8c"}, ""}, 10'000'000},
      {{"A** v *** v named", "razz", {"A**", "***", "KdQdJc"}, ""}, 5'000'000},
      {{"named v named", "deuce_seven", {"7h5d4c3s", "8s6h4d"}, ""}, 10'000'000},
      {{"7* v ** v named", "deuce_seven", {"7*", "**", "8s6h4d3c"}, ""}, 5'000'000},
      {{"named v named", "five_card_draw", {"AsKsQh", "9c9d"}, ""}, 10'000'000},
      {{"A* v ** v named", "five_card_draw", {"A*", "**", "KdQdJc"}, ""}, 5'000'000},
      {{"named v named", "badugi", {"As2d3h", "4c5s"}, ""}, 10'000'000},
      {{"A* v ** v named", "badugi", {"A*", "**", "KdQdJc"}, ""}, 5'000'000},
  };
  for (const auto& [spot, samples] : spots) {
    if (only.empty() || only == spot.game) measure(spot, samples);
  }
  return 0;
}

// How long reading a hand field takes, for fields a calculator front end sends on every repaint.
// Run by hand: configure with -DVANTOR_BENCH=ON, build notation_bench, run it. Prints one line
// per field: the median over several rounds of the time per read.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string_view>
#include <vector>

#include "notation/parser.hpp"

namespace {

struct Field {
  std::string_view text;
  std::size_t slots;
};

constexpr Field kFields[] = {
    {"AhKh", 2},
    {"22+,A2s+,K2o+", 2},
    {"22+,A2+,K2+,Q2+,J2+,T2+,92+,82+,72+,62+,52+,42+,32", 2},  // every hand: 1326 combinations
    {"AhKhQsQd, A*Jc9c, hhhh", 4},
};

}  // namespace

int main() {
  using Clock = std::chrono::steady_clock;
  constexpr int kRounds = 15;
  for (const Field& field : kFields) {
    std::size_t alternatives = 0;
    std::vector<double> per_read;
    // Enough reads per round that one round takes a few milliseconds.
    const int reads = 2000;
    for (int round = 0; round < kRounds; ++round) {
      const auto start = Clock::now();
      for (int i = 0; i < reads; ++i) {
        const auto hand = vantor::notation::parse_hand_field(field.text, field.slots, false);
        alternatives += hand ? hand->size() : 0;
      }
      const std::chrono::duration<double, std::micro> elapsed = Clock::now() - start;
      per_read.push_back(elapsed.count() / reads);
    }
    std::sort(per_read.begin(), per_read.end());
    std::printf("%-55.*s %5zu alternatives  %8.2f us per read (median of %d rounds)\n",
                static_cast<int>(field.text.size()), field.text.data(),
                alternatives / (kRounds * reads), per_read[kRounds / 2], kRounds);
  }
}

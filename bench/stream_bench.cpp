// What consuming the seeded stream costs per heads-up hold'em deal of two named hands (AhKh v
// QsQd, no board): the outputs a deal consumes (a choice for each seat, then five board cards by
// 32-bit uniforms with their rejections) and the cards picked, with nothing scored or counted.
// Measured the two ways the engine consumes it, with the engine's own draws: output by output,
// each candidate tested as it comes (DirectDraw::draw_board), and read ahead (ReadAheadBoard on
// the masks of each path this processor can take). Both give the same boards from the same
// seed, which the bench checks; the batch runner's rate (batch_bench) minus this is what scoring
// and counting cost. Run by hand:
//   cmake -S . -B build/bench -DVANTOR_BENCH=ON && cmake --build build/bench --target stream_bench
//   build/bench/stream_bench

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "sampled/direct_draw.hpp"
#include "sampled/read_ahead_board.hpp"
#include "sampler/processor_paths.hpp"
#include "sampler/random.hpp"
#include "sampler/read_ahead.hpp"
#include "spot.hpp"

namespace {

using namespace vantor;
using sampler::CardPicking;
using sampler::Generator;
using sampler::StreamPath;

constexpr long kDeals = 20'000'000;

// A deal's board folded into a running check, so that both ways can be compared and the
// compiler cannot drop the work.
std::uint64_t fold(std::uint64_t check, const variants::CardSummary& board) {
  return (check + board.code + board.suit_ranks) * 0x9E3779B97F4A7C15ull;
}

template <typename Deals>
std::uint64_t measure(const char* name, Deals deals) {
  const auto start = std::chrono::steady_clock::now();
  const std::uint64_t check = deals();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%-44s %6.2f ns per deal  (check %016llx)\n", name, seconds / kDeals * 1e9,
              static_cast<unsigned long long>(check));
  return check;
}

// The boards read ahead, in a loop built as the sampling loop's read-ahead loops are.
template <CardPicking kPicking>
VANTOR_READ_AHEAD_LOOP std::uint64_t read_ahead_deals(const odds::DirectDraw& direct,
                                                      StreamPath path) {
  sampler::ReadAhead buffer(Generator::seeded(1), odds::ReadAheadBoard::ranges(direct),
                            sampler::kernels_for(path));
  const odds::ReadAheadBoard boards(direct, buffer);
  auto place = sampler::StreamPlace::at(buffer.start());
  variants::CardSummary board;
  std::uint64_t check = 0;
  for (long i = 0; i < kDeals; ++i) {
    boards.draw<kPicking, false, 5>(place, board, nullptr);
    check = fold(check, board);
  }
  return check;
}

template <CardPicking kPicking>
void measure_ways(const odds::DirectDraw& direct) {
  measure("eleven generator outputs, no decision", [] {
    Generator generator = Generator::seeded(1);
    std::uint64_t sum = 0;
    for (long i = 0; i < kDeals * 11; ++i) sum += generator.next();
    return sum;
  });
  const std::uint64_t plain = measure("output by output (choices, then the board)", [&] {
    Generator generator = Generator::seeded(1);
    variants::CardSummary board;
    std::uint64_t check = 0;
    for (long i = 0; i < kDeals; ++i) {
      direct.draw_board<kPicking>(generator, board);
      check = fold(check, board);
    }
    return check;
  });
  for (const StreamPath path : {StreamPath::Avx2, StreamPath::Avx512}) {
    if (!sampler::can_take(path)) continue;
    const std::string name = std::string("read ahead, ") + sampler::stream_path_name(path);
    const std::uint64_t ahead =
        measure(name.c_str(), [&] { return read_ahead_deals<kPicking>(direct, path); });
    if (ahead != plain) std::printf("  the read-ahead boards differ from the plain ones\n");
  }
}

}  // namespace

int main() {
  const auto request = bench::build_spot({"AhKh v QsQd", "holdem", {"AhKh", "QsQd"}, ""});
  if (!request) return 1;
  const auto direct = odds::DirectDraw::of(request->deal);
  if (!direct || !direct->fixed_seats()) return 1;
  if (sampler::card_picking() == CardPicking::Deposit) {
    measure_ways<CardPicking::Deposit>(*direct);
  } else {
    measure_ways<CardPicking::Broadword>(*direct);
  }
}

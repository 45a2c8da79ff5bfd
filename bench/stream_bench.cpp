// What the generator's stream alone costs per heads-up hold'em deal of two named hands: the
// outputs a deal must consume (a choice for each seat, then five board cards by 32-bit uniforms
// with their rejections), and the cards picked, with nothing scored or counted. The seed fixes
// which outputs a deal uses, so no sampler can draw a deal in less time than this on the same
// processor; the batch runner's rate (batch_bench) minus this is what scoring and counting cost.
// Run by hand:
//   cmake -S . -B build/bench -DVANTOR_BENCH=ON && cmake --build build/bench --target stream_bench
//   build/bench/stream_bench

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>

#include "cards/card.hpp"
#include "sampler/cards_from_mask.hpp"
#include "sampler/processor_paths.hpp"
#include "sampler/random.hpp"

namespace {

using namespace vantor;
using sampler::Generator;

constexpr long kDeals = 20'000'000;
constexpr std::uint32_t kLive = 48;  // the deck without the four named cards

struct Board {
  cards::CardMask live = cards::kFullDeck & ~cards::CardMask{0xF0F0};
  std::array<std::uint32_t, 5> zones{};
  Board() {
    for (std::uint32_t i = 0; i < 5; ++i) zones[i] = sampler::uniform32_zone(kLive - i);
  }

  // Five board cards as the board-alone draw takes them.
  template <sampler::CardPicking kPicking>
  cards::CardMask draw(Generator& generator) const {
    cards::CardMask left = live, board = 0;
    for (std::uint32_t i = 0; i < 5; ++i) {
      const std::uint32_t j = sampler::uniform32(generator, kLive - i, zones[i]);
      const cards::CardMask bit = kPicking == sampler::CardPicking::Deposit
                                      ? sampler::deposit_bits(std::uint64_t{1} << j, left)
                                      : std::uint64_t{1} << sampler::nth_card(left, j);
      left ^= bit;
      board |= bit;
    }
    return board;
  }
};

template <typename Deal>
void measure(const char* name, Deal deal) {
  Generator generator = Generator::seeded(1);
  std::uint64_t sink = 0;
  const auto start = std::chrono::steady_clock::now();
  for (long i = 0; i < kDeals; ++i) sink += deal(generator);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  // The sink is printed so that the compiler cannot drop the work.
  std::printf("%-40s %6.2f ns per deal  (%llu)\n", name, seconds / kDeals * 1e9,
              static_cast<unsigned long long>(sink & 0xFF));
}

template <sampler::CardPicking kPicking>
void measure_deals(const Board& board) {
  // About as many outputs as a deal consumes (two choices of two outputs each on average, five
  // cards at about 1.35 each), generated without any decision on them.
  measure("eleven generator outputs", [](Generator& generator) {
    std::uint64_t sum = 0;
    for (int i = 0; i < 11; ++i) sum += generator.next();
    return sum;
  });
  measure("board cards only",
          [&](Generator& generator) { return board.draw<kPicking>(generator); });
  measure("two seats' choices, then the board", [&](Generator& generator) {
    generator.skip_through_low_output();
    generator.skip_through_low_output();
    return board.draw<kPicking>(generator);
  });
}

}  // namespace

int main() {
  const Board board;
  if (sampler::card_picking() == sampler::CardPicking::Deposit) {
    measure_deals<sampler::CardPicking::Deposit>(board);
  } else {
    measure_deals<sampler::CardPicking::Broadword>(board);
  }
}

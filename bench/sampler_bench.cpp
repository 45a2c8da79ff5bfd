// Draws per second of the sampler: each plan kind on its own, and whole deals with the
// rejection and the weighted sampler on representative requests. Run by hand:
//   cmake -S . -B build/bench -DVANTOR_BENCH=ON && cmake --build build/bench --target sampler_bench
//   build/bench/sampler_bench

#include <chrono>
#include <cstdio>
#include <vector>

#include "sampler/deal.hpp"
#include "sampler/deal_plan.hpp"
#include "sampler/draw.hpp"

namespace {

using namespace vantor;
using cards::Card;
using cards::CardMask;

constexpr CardMask kAll = cards::kFullDeck;
constexpr CardMask kAces = 0xF000000000000, kKings = 0x0F00000000000, kQueens = 0x00F0000000000;
constexpr CardMask bit(int card) { return CardMask{1} << card; }

// Runs `draw` for about half a second and prints draws per second and the success rate.
template <typename Draw>
void measure(const char* name, Draw draw) {
  using Clock = std::chrono::steady_clock;
  long draws = 0, successes = 0;
  const auto start = Clock::now();
  double seconds = 0;
  do {
    for (int i = 0; i < 10000; ++i) successes += draw();
    draws += 10000;
    seconds = std::chrono::duration<double>(Clock::now() - start).count();
  } while (seconds < 0.5);
  std::printf("%-44s %12.0f draws/s  %6.1f%% succeed\n", name, draws / seconds,
              100.0 * successes / draws);
}

void bench_plan(const char* name, const std::vector<CardMask>& slots) {
  const sampler::DrawPlan plan = sampler::build_plan(slots, kAll);
  auto generator = sampler::Generator::seeded(1);
  std::vector<Card> out;
  static const char* const kKindNames[] = {"all free", "listed", "shaped", "rejection"};
  std::printf("%-44s kind %s\n", name, kKindNames[static_cast<int>(plan.kind)]);
  measure(name, [&] { return sampler::draw_with_plan(plan, kAll, generator, out); });
}

sampler::DealPlan request(const std::vector<cards::SeatAlternatives>& seats,
                          const std::vector<CardMask>& board) {
  return sampler::plan_deal(seats, board, kAll);
}

void bench_deal(const char* name, const sampler::DealPlan& r) {
  auto generator = sampler::Generator::seeded(2);
  std::vector<std::vector<Card>> seats(r.seat_count);
  std::vector<Card> board;
  sampler::WeightedScratch scratch;
  char label[128];
  std::snprintf(label, sizeof label, "%s, rejection", name);
  measure(label, [&] { return sampler::rejection_draw(r, generator, seats, board); });
  std::snprintf(label, sizeof label, "%s, weighted", name);
  measure(label,
          [&] { return sampler::weighted_draw(r, generator, seats, board, scratch).has_value(); });
  std::printf("%-44s pilot chose the %s sampler\n", name, r.weighted ? "weighted" : "rejection");
}

}  // namespace

int main() {
  std::vector<CardMask> scattered(6);
  for (int card = 0; card < 52; ++card) {
    const unsigned signature = (card * 37u + 11u) % 63u + 1u;
    for (unsigned i = 0; i < 6; ++i) {
      if ((signature >> i) & 1) scattered[i] |= bit(card);
    }
  }
  std::puts("plan kinds (admissible: the full deck)");
  bench_plan("  fixed only: AhKd", {bit(50), bit(45)});
  bench_plan("  all free: five-card board *****", std::vector<CardMask>(5, kAll));
  bench_plan("  listed + split: any ace, *", {kAces, kAll});
  bench_plan("  listed + split: A|K, A|K, *, * (Omaha)",
             {kAces | kKings, kAces | kKings, kAll, kAll});
  bench_plan("  shaped: 6 slots over two suits",
             {0x1111111111111 | 0x2222222222222, 0x1111111111111 | 0x2222222222222,
              0x1111111111111 | 0x2222222222222, 0x4444444444444 | 0x2222222222222,
              0x4444444444444 | 0x2222222222222, 0x4444444444444 | 0x2222222222222});
  bench_plan("  rejection: 6 scattered slots", scattered);

  std::puts("whole deals");
  bench_deal("  hold'em AhKd vs any ace + * vs **, board *****",
             request({{{bit(50), bit(45)}}, {{kAces, kAll}}, {{kAll, kAll}}},
                     std::vector<CardMask>(5, kAll)));
  bench_deal("  hold'em 3 seats of AA/KK/QQ alternatives",
             request({{{kAces, kAces}, {kKings, kKings}, {kQueens, kQueens}},
                      {{kAces, kAces}, {kKings, kKings}, {kQueens, kQueens}},
                      {{kAces, kAces}, {kKings, kKings}, {kQueens, kQueens}}},
                     std::vector<CardMask>(5, kAll)));
  const std::vector<std::vector<CardMask>> crowd{
      {kAces | kKings | kQueens, kAces | kKings | kQueens}};
  bench_deal("  five seats wanting A/K/Q pairs", request({crowd, crowd, crowd, crowd, crowd}, {}));
  return 0;
}

// Evaluations per second of every ranking kernel, one thread, on random hands generated before
// the clock starts: 5, 6 and 7 cards for the table kernels, 4 + 5 for omaha, 4 for badugi. Also
// the engine's scorer on a heads-up hold'em deal and on a four-seat Omaha hi/lo deal, each hand
// and the board prepared and scored per deal as the sampling loop does.
// Run by hand: configure with -DVANTOR_BENCH=ON, build kernels_bench, run it. Prints the best of
// several rounds, so that a busy neighbour on the machine shows up less.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

#include "variants/deal_scorer.hpp"
#include "variants/omaha.hpp"
#include "variants/rankings/fast.hpp"
#include "variants/showdown.hpp"

namespace {

using vantor::cards::Card;
namespace rankings = vantor::rankings;

constexpr std::size_t kHands = 1 << 20;
constexpr int kRounds = 7;

// kHands hands of `size` distinct cards, stored back to back.
std::vector<Card> random_hands(std::size_t size, std::uint64_t seed) {
  std::mt19937_64 rng(seed);
  std::vector<Card> cards;
  cards.reserve(kHands * size);
  std::array<Card, 52> deck;
  for (int i = 0; i < 52; ++i) deck[i] = static_cast<Card>(i);
  for (std::size_t h = 0; h < kHands; ++h) {
    for (std::size_t i = 0; i < size; ++i) {
      std::swap(deck[i], deck[i + rng() % (52 - i)]);
      cards.push_back(deck[i]);
    }
  }
  return cards;
}

// Runs `score(hand)` over every hand and reports millions per second and ns per hand.
template <class Score>
void measure(const char* name, std::size_t size, Score score) {
  const auto cards = random_hands(size, size * 7919);
  using Clock = std::chrono::steady_clock;
  double best = 1e30;
  std::uint64_t checksum = 0;
  for (int round = 0; round < kRounds; ++round) {
    const auto start = Clock::now();
    for (std::size_t h = 0; h < kHands; ++h) checksum += score(cards.data() + h * size);
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
  }
  std::printf("%-28s %8.1f M/s %7.2f ns   (checksum %llu)\n", name, kHands / best / 1e6,
              best / kHands * 1e9, static_cast<unsigned long long>(checksum % 1000));
}

}  // namespace

int main() {
  const rankings::FastTables& t = rankings::fast_tables();
  const auto& d = t.displacement_by_bucket;
  struct Table {
    const char* name;
    const rankings::RankTables& tables;
  };
  for (const Table& table : {Table{"high", t.high}, Table{"short_deck", t.short_deck},
                             Table{"deuce_seven", t.deuce_seven}}) {
    for (std::size_t size = 5; size <= 7; ++size) {
      char label[64];
      std::snprintf(label, sizeof label, "%s, %zu cards", table.name, size);
      measure(label, size, [&](const Card* hand) {
        return rankings::table_value<true>(table.tables, d, hand, size);
      });
    }
  }
  for (std::size_t size = 5; size <= 7; ++size) {
    char label[64];
    std::snprintf(label, sizeof label, "low_a5, %zu cards", size);
    measure(label, size, [&](const Card* hand) {
      return rankings::table_value<false>(t.low_a5, d, hand, size);
    });
  }
  measure("omaha, 4 + 5 cards", 9,
          [](const Card* hand) { return vantor::omaha::omaha(std::span<const Card>(hand, 9)); });
  measure("badugi, 4 cards", 4,
          [](const Card* hand) { return rankings::badugi(std::span<const Card>(hand, 4)); });

  // Whole showdowns, the cost per deal in a batch: every hand prepared, the board summarised,
  // the winners found and the pot split.
  using namespace vantor::variants;
  std::vector<double> share(4), low_share(4);
  PotShares shares{share, low_share};
  const DealScorer<Showdown<ShowdownRule::BestHigh, 2>> holdem(2, 5);
  measure("showdown holdem, 2 seats", 9, [&](const Card* deal) {
    const SeatHand hands[] = {holdem.prepare({deal, 2}), holdem.prepare({deal + 2, 2})};
    const SeatHand* seats[] = {&hands[0], &hands[1]};
    const std::span<const Card> board(deal + 4, 5);
    std::fill(share.begin(), share.end(), 0.0);
    split_pot(holdem.score(seats, nullptr, summarize(board), board), shares);
    return share[0] > 0;
  });
  const DealScorer<Showdown<ShowdownRule::OmahaHiLo, 4>> omaha_hi_lo(4, 5);
  measure("showdown omaha_hi_lo, 4 seats", 21, [&](const Card* deal) {
    vantor::omaha::HolePairs pairs[4];
    SeatHand hands[4];
    const SeatHand* seats[4];
    for (int seat = 0; seat < 4; ++seat) {
      hands[seat] = omaha_hi_lo.prepare({deal + 4 * seat, 4});
      omaha_hi_lo.prepare_pairs({deal + 4 * seat, 4}, pairs[seat]);
      seats[seat] = &hands[seat];
    }
    const std::span<const Card> board(deal + 16, 5);
    std::fill(share.begin(), share.end(), 0.0);
    std::fill(low_share.begin(), low_share.end(), 0.0);
    split_pot(omaha_hi_lo.score(seats, pairs, summarize(board), board), shares);
    return share[0] > 0;
  });
}

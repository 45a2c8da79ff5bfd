#pragma once

// Independent references for the sampler tests: brute-force feasibility by trying every
// assignment, brute-force enumeration of card sets, and a chi-square bound for frequency checks.

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <map>
#include <random>
#include <utility>
#include <vector>

#include "cards/card.hpp"
#include "cards/masks.hpp"
#include "sampler/deal_plan.hpp"
#include "sampler/processor_paths.hpp"

namespace vantor::sampler::testing {

using cards::Card;
using cards::CardMask;

inline CardMask mask_of(const std::vector<Card>& hand) {
  CardMask mask = 0;
  for (const Card card : hand) mask |= CardMask{1} << card;
  return mask;
}

inline std::vector<Card> cards_in(CardMask mask) {
  std::vector<Card> out;
  for (; mask != 0; mask &= mask - 1) out.push_back(static_cast<Card>(std::countr_zero(mask)));
  return out;
}

// A slot mask as hands are written: a rank, a suit, a named card, a wildcard, two ranks, or an
// odd mask.
inline CardMask random_slot_mask(std::mt19937_64& random) {
  switch (random() % 6) {
    case 0:
      return CardMask{0xF} << (4 * (random() % 13));
    case 1:
      return CardMask{0x1111111111111} << (random() % 4);
    case 2:
      return CardMask{1} << (random() % 52);
    case 3:
      return cards::kFullDeck;
    case 4:
      return (CardMask{0xF} << (4 * (random() % 13))) | (CardMask{0xF} << (4 * (random() % 13)));
    default:
      return random() & random() & cards::kFullDeck;
  }
}

// Plain backtracking over every assignment of slots to unused card positions.
inline bool brute_force_fits(const std::vector<CardMask>& slots, const std::vector<Card>& hand,
                             std::size_t slot = 0, std::uint64_t used = 0) {
  if (slot == slots.size()) return true;
  for (std::size_t j = 0; j < hand.size(); ++j) {
    if ((used >> j) & 1) continue;
    if (((slots[slot] >> hand[j]) & 1) == 0) continue;
    if (brute_force_fits(slots, hand, slot + 1, used | (std::uint64_t{1} << j))) return true;
  }
  return false;
}

// Calls visit(set) for every k-card subset of `pool`, as a mask.
inline void for_each_subset(CardMask pool, std::size_t k,
                            const std::function<void(CardMask)>& visit, CardMask chosen = 0) {
  if (k == 0) {
    visit(chosen);
    return;
  }
  if (static_cast<std::size_t>(std::popcount(pool)) < k) return;
  const CardMask low = pool & -pool;
  for_each_subset(pool & ~low, k - 1, visit, chosen | low);
  for_each_subset(pool & ~low, k, visit, chosen);
}

// Every feasible card set (as a mask) of the slots over the available cards.
inline std::vector<CardMask> feasible_sets(const std::vector<CardMask>& slots, CardMask available) {
  std::vector<CardMask> sets;
  for_each_subset(available, slots.size(), [&](CardMask set) {
    if (brute_force_fits(slots, cards_in(set))) sets.push_back(set);
  });
  return sets;
}

// A bound the chi-square statistic with `df` degrees of freedom exceeds with probability far
// below one in a million (Wilson-Hilferty approximation at z = 5). The seeds are fixed, so a
// pass is deterministic; a biased sampler overshoots it by orders of magnitude.
inline double chi_square_bound(double df) {
  const double z = 5.0, a = 2.0 / (9.0 * df);
  return df * std::pow(1.0 - a + z * std::sqrt(a), 3.0);
}

// Pearson's statistic of observed counts against expected probabilities, with the cells whose
// expectation is below 5 pooled into one (where the chi-square law would be a poor fit).
// Returns the statistic and its degrees of freedom.
template <typename Key>
std::pair<double, double> chi_square(const std::map<Key, double>& probability,
                                     const std::map<Key, long>& observed, long total) {
  double statistic = 0.0, pooled_expected = 0.0, pooled_seen = 0.0;
  double cells = 0.0;
  for (const auto& [key, p] : probability) {
    const double expected = p * static_cast<double>(total);
    const auto found = observed.find(key);
    const double seen = found == observed.end() ? 0.0 : static_cast<double>(found->second);
    if (expected < 5.0) {
      pooled_expected += expected;
      pooled_seen += seen;
      continue;
    }
    statistic += (seen - expected) * (seen - expected) / expected;
    cells += 1.0;
  }
  if (pooled_expected > 0.0) {
    statistic +=
        (pooled_seen - pooled_expected) * (pooled_seen - pooled_expected) / pooled_expected;
    cells += 1.0;
  }
  return {statistic, cells - 1.0};
}

// True when the observed counts pass the chi-square bound against the probabilities.
template <typename Key>
::testing::AssertionResult frequencies_match(const std::map<Key, double>& probability,
                                             const std::map<Key, long>& observed, long total) {
  const auto [statistic, df] = chi_square(probability, observed, total);
  if (df >= 1.0 && statistic < chi_square_bound(df)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "chi-square " << statistic << " with " << df << " degrees of freedom (bound "
         << chi_square_bound(df) << ")";
}

// Asserts-friendly form: every observed key must be expected (an impossible outcome is a fault).
template <typename Key>
bool only_expected_keys(const std::map<Key, double>& probability,
                        const std::map<Key, long>& observed) {
  return std::all_of(observed.begin(), observed.end(),
                     [&](const auto& entry) { return probability.count(entry.first) != 0; });
}

// Seats, board and live cards as a request builder hands them over after validation, with the
// deal plan built from them.
struct PlannedDeal {
  std::vector<cards::SeatAlternatives> seats;
  std::vector<CardMask> board;
  CardMask live;
  DealPlan plan;
};

inline PlannedDeal make_plan(std::vector<cards::SeatAlternatives> seats,
                             std::vector<CardMask> board, CardMask live) {
  DealPlan plan = plan_deal(seats, board, live);
  return {std::move(seats), std::move(board), live, std::move(plan)};
}

// Forces a way of picking cards for one test, restoring the processor's own choice after it.
class PickingForTest {
 public:
  explicit PickingForTest(CardPicking picking) : before_(card_picking()) {
    available_ = set_card_picking(picking);
  }
  ~PickingForTest() { set_card_picking(before_); }
  bool available() const { return available_; }

 private:
  CardPicking before_;
  bool available_ = false;
};

}  // namespace vantor::sampler::testing

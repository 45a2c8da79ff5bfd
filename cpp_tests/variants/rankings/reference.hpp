#pragma once

// A slow, obvious five-card evaluator for the tests, written without the tables: it sorts the
// ranks, names the category and lists the tie-breaking ranks. Results are tuples that compare
// lexicographically, lower is better, so a kernel is right exactly when it orders every hand the
// way these tuples do and ties exactly where they tie.

#include <algorithm>
#include <array>
#include <span>
#include <vector>

#include "cards/card.hpp"

namespace vantor::testing {

using Tuple = std::array<int, 6>;

enum class Game { High, ShortDeck, DeuceSeven, LowA5 };

// Category numbers in each game's order, best first.
inline int category_rank(Game game, int category) {
  // category: 0 straight flush, 1 quads, 2 full house, 3 flush, 4 straight, 5 trips,
  // 6 two pair, 7 pair, 8 high card
  if (game == Game::ShortDeck && (category == 2 || category == 3)) return 5 - category;
  return category;
}

inline Tuple reference_strength(Game game, std::span<const cards::Card> hand) {
  std::array<int, 13> count{};
  bool flush = true;
  for (const cards::Card card : hand) {
    ++count[cards::rank_of(card)];
    flush = flush && cards::suit_of(card) == cards::suit_of(hand[0]);
  }
  if (game == Game::LowA5) {
    // Aces low: value 0 for the ace, 1 for the deuce ... 12 for the king.
    std::vector<std::pair<int, int>> groups;  // (count, low rank)
    for (int r = 0; r < 13; ++r) {
      if (count[r]) groups.push_back({count[r], r == 12 ? 0 : r + 1});
    }
    std::sort(groups.begin(), groups.end(), std::greater<>());
    int shape = 0;
    if (groups[0].first == 4)
      shape = 5;
    else if (groups[0].first == 3)
      shape = groups[1].first == 2 ? 4 : 3;
    else if (groups[0].first == 2)
      shape = groups[1].first == 2 ? 2 : 1;
    Tuple t{shape, 0, 0, 0, 0, 0};
    std::size_t i = 1;
    for (auto [c, r] : groups) {
      for (int k = 0; k < c; ++k) t[i++] = r;
    }
    return t;
  }
  std::vector<std::pair<int, int>> groups;  // (count, rank), biggest groups and ranks first
  for (int r = 0; r < 13; ++r) {
    if (count[r]) groups.push_back({count[r], r});
  }
  std::sort(groups.begin(), groups.end(), std::greater<>());

  int straight_high = -1;
  if (groups.size() == 5) {
    const int top = groups[0].second, bottom = groups[4].second;
    if (top - bottom == 4) straight_high = top;
    const bool wheel = top == 12 && groups[1].second == 3;
    const bool short_wheel = top == 12 && groups[1].second == 7 && bottom == 4;
    if (game == Game::High && wheel) straight_high = 3;
    if (game == Game::ShortDeck && short_wheel) straight_high = 7;
  }
  int category;
  if (straight_high >= 0) {
    category = flush ? 0 : 4;
    return {category_rank(game, category), -straight_high, 0, 0, 0, 0};
  }
  if (flush)
    category = 3;
  else if (groups[0].first == 4)
    category = 1;
  else if (groups[0].first == 3 && groups[1].first == 2)
    category = 2;
  else if (groups[0].first == 3)
    category = 5;
  else if (groups[0].first == 2 && groups[1].first == 2)
    category = 6;
  else if (groups[0].first == 2)
    category = 7;
  else
    category = 8;
  Tuple t{category_rank(game, category), 0, 0, 0, 0, 0};
  std::size_t i = 1;
  for (auto [c, r] : groups) {
    for (int k = 0; k < c; ++k) t[i++] = -r;
  }
  return t;
}

// Calls f(hand) for every five-card subset of `cards`.
template <class F>
void for_each_five(std::span<const cards::Card> all, F&& f) {
  const std::size_t n = all.size();
  std::array<cards::Card, 5> hand{};
  for (std::size_t a = 0; a < n; ++a)
    for (std::size_t b = a + 1; b < n; ++b)
      for (std::size_t c = b + 1; c < n; ++c)
        for (std::size_t d = c + 1; d < n; ++d)
          for (std::size_t e = d + 1; e < n; ++e) {
            hand = {all[a], all[b], all[c], all[d], all[e]};
            f(std::span<const cards::Card>(hand));
          }
}

// A random hand of distinct cards drawn from `deck`.
template <class Rng>
std::vector<cards::Card> random_hand(Rng& rng, std::size_t size,
                                     cards::CardMask deck = cards::kFullDeck) {
  std::vector<cards::Card> hand;
  cards::CardMask taken = 0;
  while (hand.size() < size) {
    const auto card = static_cast<cards::Card>(rng() % 52);
    if (!((deck >> card) & 1) || ((taken >> card) & 1)) continue;
    taken |= cards::card_bit(card);
    hand.push_back(card);
  }
  return hand;
}

}  // namespace vantor::testing

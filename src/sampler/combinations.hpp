#pragma once

// Every combination of k cards out of a set, in one fixed order. The completion listing of a
// draw plan and the card-set listing of a shape both walk combinations this way, and their
// listing order (which the exact walk and the Listed plans depend on) follows from it.

#include <array>
#include <bit>
#include <cstddef>
#include <span>
#include <type_traits>

#include "cards/card.hpp"

namespace vantor::sampler {

// Calls visit(cards) for every k-card subset of `pool`'s cards (indices 0..51), each as its cards
// in ascending order, the subsets in lexicographic order of their positions within the pool's
// ascending list; once with no cards when k is 0, never when the pool holds fewer than k cards.
// The span lives only during the call. Nothing is allocated. A `visit` that returns a bool ends
// the walk by returning false; the result is then false, and true otherwise.
template <class Visit>
bool for_each_combination(cards::CardMask pool, std::size_t k, Visit&& visit) {
  std::array<cards::Card, cards::kCardCount> members;
  std::size_t size = 0;
  for (cards::CardMask left = pool & cards::kFullDeck; left != 0; left &= left - 1) {
    members[size++] = static_cast<cards::Card>(std::countr_zero(left));
  }
  if (k > size) return true;
  std::array<std::size_t, cards::kCardCount> position;
  std::array<cards::Card, cards::kCardCount> chosen;
  for (std::size_t i = 0; i < k; ++i) position[i] = i;
  for (;;) {
    for (std::size_t i = 0; i < k; ++i) chosen[i] = members[position[i]];
    const std::span<const cards::Card> subset(chosen.data(), k);
    if constexpr (std::is_same_v<decltype(visit(subset)), bool>) {
      if (!visit(subset)) return false;
    } else {
      visit(subset);
    }
    // The rightmost position that can still move right moves one step, and those after it
    // follow it closely.
    std::size_t i = k;
    while (i > 0 && position[i - 1] == size - k + (i - 1)) --i;
    if (i == 0) return true;
    ++position[i - 1];
    for (std::size_t j = i; j < k; ++j) position[j] = position[j - 1] + 1;
  }
}

}  // namespace vantor::sampler

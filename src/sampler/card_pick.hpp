#pragma once

// Picking cards out of a mask: the j-th lowest card, and k distinct cards drawn uniformly.

#include <bit>
#include <cassert>
#include <cstdint>
#include <vector>

#include "cards/card.hpp"
#include "sampler/random.hpp"

namespace vantor::sampler {

// The index of the j-th lowest set bit of mask (j counted from 0); j must be below the mask's
// population count. Skipping whole 16-bit blocks by population count bounds the work at four
// block tests plus at most fifteen bit clears, without needing a bit-deposit instruction.
inline unsigned nth_card(cards::CardMask mask, unsigned j) {
  assert(j < static_cast<unsigned>(std::popcount(mask)));
  unsigned base = 0;
  for (;;) {
    const auto block_count = static_cast<unsigned>(std::popcount(mask & 0xFFFF));
    if (j < block_count) break;
    j -= block_count;
    mask >>= 16;
    base += 16;
  }
  for (; j > 0; --j) mask &= mask - 1;
  return base + static_cast<unsigned>(std::countr_zero(mask));
}

// Draws `count` distinct cards uniformly from `mask`, appending them to `out` in the order
// drawn (one 32-bit uniform per card), and removes them from `mask`. Fails when the mask runs
// out or yields an index above 51; `out` may then hold some of the cards.
inline bool draw_cards(Generator& generator, cards::CardMask& mask, std::size_t count,
                       std::vector<cards::Card>& out) {
  for (std::size_t i = 0; i < count; ++i) {
    if (mask == 0) return false;
    const auto left = static_cast<std::uint32_t>(std::popcount(mask));
    const unsigned card = nth_card(mask, uniform32(generator, left));
    if (card >= static_cast<unsigned>(cards::kCardCount)) return false;
    out.push_back(static_cast<cards::Card>(card));
    mask &= ~cards::card_bit(static_cast<cards::Card>(card));
  }
  return true;
}

}  // namespace vantor::sampler

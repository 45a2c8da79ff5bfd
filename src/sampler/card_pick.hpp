#pragma once

// Picking cards out of a mask: the j-th lowest card, and k distinct cards drawn uniformly.

#include <algorithm>
#include <array>
#include <bit>
#include <cassert>
#include <cstdint>
#include <vector>

#include "cards/card.hpp"
#include "sampler/random.hpp"

namespace vantor::sampler {

namespace detail {

// kSelectInByte[b][j]: the position of the j-th lowest set bit of the byte b (8 when b has
// fewer than j + 1 bits).
inline constexpr auto kSelectInByte = [] {
  std::array<std::array<std::uint8_t, 8>, 256> table{};
  for (unsigned byte = 0; byte < 256; ++byte) {
    unsigned found = 0;
    for (auto& position : table[byte]) position = 8;
    for (unsigned bit = 0; bit < 8; ++bit) {
      if (byte >> bit & 1) table[byte][found++] = static_cast<std::uint8_t>(bit);
    }
  }
  return table;
}();

}  // namespace detail

// Per-byte running population counts of a mask: byte b holds the number of set bits in bytes
// 0..b. Computed once, it serves every selection from the same mask.
inline std::uint64_t running_counts(cards::CardMask mask) {
  std::uint64_t counts = mask - ((mask >> 1) & 0x5555555555555555);
  counts = (counts & 0x3333333333333333) + ((counts >> 2) & 0x3333333333333333);
  counts = (counts + (counts >> 4)) & 0x0F0F0F0F0F0F0F0F;
  return counts * 0x0101010101010101;
}

// The index of the j-th lowest set bit of mask (j counted from 0), given the mask's running
// counts; j must be below the mask's population count. Broadword selection without branches:
// which card comes up is random, so a loop over bits or blocks would mispredict on nearly every
// draw. The bytes whose running count is at most j lie wholly before the card, and a table
// finishes inside the byte that holds it.
inline unsigned nth_card(cards::CardMask mask, std::uint64_t running, unsigned j) {
  assert(j < static_cast<unsigned>(std::popcount(mask)));
  constexpr std::uint64_t kOnes = 0x0101010101010101, kHighs = 0x8080808080808080;
  // Per byte 128 + j - running; its high bit survives exactly when running <= j (both < 128,
  // so no borrow crosses a byte).
  const std::uint64_t before = ((j * kOnes | kHighs) - running) & kHighs;
  const auto byte = static_cast<unsigned>(std::popcount(before));
  const auto skipped = static_cast<unsigned>(((running << 8) >> (8 * byte)) & 0xFF);
  const auto bits = static_cast<unsigned>((mask >> (8 * byte)) & 0xFF);
  return 8 * byte + detail::kSelectInByte[bits][j - skipped];
}

inline unsigned nth_card(cards::CardMask mask, unsigned j) { return nth_card(mask, running_counts(mask), j); }

// Draws `count` distinct cards uniformly from `mask`, appending them to `out` in the order
// drawn (one 32-bit uniform per card), and removes them from `mask`. Fails when the mask runs
// out or yields an index above 51; `out` may then hold some of the cards.
//
// Each card is the j-th lowest of the cards still in the mask, j uniform below their number.
// That number only falls by one per card, so the j's do not depend on the cards drawn: they are
// drawn first, turned into ranks within the starting mask, and every card is then selected from
// the same mask independently, instead of one selection waiting for the previous one.
inline bool draw_cards(Generator& generator, cards::CardMask& mask, std::size_t count,
                       std::vector<cards::Card>& out) {
  constexpr std::size_t kBatched = 16;
  const auto available = static_cast<unsigned>(std::popcount(mask));
  if (count > kBatched || (mask & ~cards::kFullDeck) != 0) {
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
  const auto drawn = static_cast<unsigned>(std::min<std::size_t>(count, available));
  std::array<unsigned, kBatched> ranks;
  std::array<unsigned, kBatched> taken;  // the ranks so far, ascending
  for (unsigned i = 0; i < drawn; ++i) {
    // The j-th remaining card is the j-th of the mask once every earlier taken rank at or below
    // it is stepped over, in ascending order.
    // Written without data-dependent branches (the loops run i times whatever the cards):
    // once a taken rank lies above the candidate, every later one does too.
    unsigned rank = uniform32(generator, available - i);
    unsigned below = 0;
    for (unsigned k = 0; k < i; ++k) {
      const unsigned step = taken[k] <= rank;
      rank += step;
      below += step;
    }
    for (unsigned k = i; k > 0; --k) taken[k] = k > below ? taken[k - 1] : taken[k];
    taken[below] = rank;
    ranks[i] = rank;
  }
  const std::uint64_t running = running_counts(mask);
  const cards::CardMask from = mask;
  for (unsigned i = 0; i < drawn; ++i) {
    const auto card = static_cast<cards::Card>(nth_card(from, running, ranks[i]));
    out.push_back(card);
    mask &= ~cards::card_bit(card);
  }
  return drawn == count;
}

}  // namespace vantor::sampler

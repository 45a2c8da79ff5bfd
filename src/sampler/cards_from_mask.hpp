#pragma once

// Picking cards out of a mask: the j-th lowest card, and k distinct cards drawn uniformly.

#include <array>
#include <bit>
#include <cassert>
#include <cstdint>
#include <vector>

#include "cards/card.hpp"
#include "sampler/processor_paths.hpp"
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

inline unsigned nth_card(cards::CardMask mask, unsigned j) {
  return nth_card(mask, running_counts(mask), j);
}

// Takes the j-th lowest card (j below the count left) out of `left` and returns it; `running` is
// the portable way's running counts of `left` (running_counts()), kept up to date, and is not
// read by the pdep way. The mask holds cards 0..51 only, so the card is always one of the deck's.
template <CardPicking kPicking>
[[gnu::always_inline]] inline cards::Card take_nth_card(std::uint32_t j, cards::CardMask& left,
                                                        [[maybe_unused]] std::uint64_t& running) {
  // With pdep the deposited bit is the card itself: the chain from one card to the next is one
  // pdep and one exclusive or.
  unsigned card;
  cards::CardMask bit;
  if constexpr (kPicking == CardPicking::Deposit && kCanDeposit) {
    bit = deposit_bits(std::uint64_t{1} << j, left);
    card = static_cast<unsigned>(__builtin_ctzll(bit));  // a card is there: bit is not 0
  } else {
    card = nth_card(left, running, j);
    running -= 0x0101010101010101ull << (8 * (card / 8));
    bit = std::uint64_t{1} << card;
  }
  left ^= bit;
  return static_cast<cards::Card>(card);
}

// Draws `count` distinct cards uniformly from `mask`, appending them to `out` in the order
// drawn (one 32-bit uniform per card), and removes them from `mask`. Fails when the mask runs
// out or yields an index above 51; `out` may then hold some of the cards. kPicking only decides
// how each card is found (processor_paths.hpp): the cards and the outputs consumed are the same.
template <CardPicking kPicking = CardPicking::Broadword>
inline bool draw_cards(Generator& generator, cards::CardMask& mask, std::size_t count,
                       std::vector<cards::Card>& out) {
  constexpr bool kDeposit = kPicking == CardPicking::Deposit && kCanDeposit;
  // Everything lives in locals until the end: a card is one byte, and a byte store may alias any
  // object, so writing cards straight into `out` would make the compiler reload the generator's
  // state and the mask from memory after every card.
  Generator local = generator;
  cards::CardMask left_cards = mask;
  std::array<cards::Card, cards::kCardCount> drawn;
  std::size_t size = 0;
  bool complete = true;  // at most 52 cards come out before the mask runs out or fails
  // The count of cards left falls by one per card, and the running counts lose one from the
  // drawn card's byte onwards: neither is recounted from the mask between cards.
  auto left = static_cast<std::uint32_t>(std::popcount(left_cards));
  [[maybe_unused]] std::uint64_t running = kDeposit ? 0 : running_counts(left_cards);
  for (; size < count; --left) {
    if (left == 0) {
      complete = false;
      break;
    }
    const std::uint32_t j = uniform32(local, left);
    unsigned card;
    cards::CardMask bit;
    if constexpr (kDeposit) {
      // The deposited bit is the card itself: the chain from one card to the next is one pdep
      // and one exclusive or.
      bit = deposit_bits(std::uint64_t{1} << j, left_cards);
      card = static_cast<unsigned>(std::countr_zero(bit));
    } else {
      card = nth_card(left_cards, running, j);
      running -= 0x0101010101010101ull << (8 * (card / 8));
      bit = std::uint64_t{1} << card;
    }
    if (card >= static_cast<unsigned>(cards::kCardCount)) {
      complete = false;
      break;
    }
    drawn[size++] = static_cast<cards::Card>(card);
    left_cards ^= bit;
  }
  generator = local;
  mask = left_cards;
  out.insert(out.end(), drawn.begin(), drawn.begin() + static_cast<std::ptrdiff_t>(size));
  return complete;
}

// draw_cards() picking cards the way this process does (card_picking()).
inline bool draw_cards_as_chosen(Generator& generator, cards::CardMask& mask, std::size_t count,
                                 std::vector<cards::Card>& out) {
  if (card_picking() == CardPicking::Deposit) {
    return draw_cards<CardPicking::Deposit>(generator, mask, count, out);
  }
  return draw_cards<CardPicking::Broadword>(generator, mask, count, out);
}

}  // namespace vantor::sampler

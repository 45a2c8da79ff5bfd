#include "sampler/matching.hpp"

#include <array>
#include <bit>
#include <cassert>
#include <cstdint>

namespace vantor::sampler {

namespace {

// One matching problem: for each slot, the card positions it accepts as a 64-bit set, and for
// each position its current owner. Scanning an acceptance set from its lowest bit visits the
// positions in the same ascending order as a loop over j with a mask test would.
struct Matcher {
  std::array<std::uint64_t, kMatchingCapacity> accepted_positions;
  std::array<std::int8_t, kMatchingCapacity> owner;
  std::uint64_t seen = 0;

  // Augmenting-path search from slot i; depth at most the slot count.
  bool try_slot(std::size_t slot) {
    std::uint64_t candidates = accepted_positions[slot] & ~seen;
    while (candidates != 0) {
      const int position = std::countr_zero(candidates);
      candidates &= candidates - 1;
      if ((seen >> position) & 1) continue;  // marked by a deeper search since we read it
      seen |= std::uint64_t{1} << position;
      if (owner[position] < 0 || try_slot(static_cast<std::size_t>(owner[position]))) {
        owner[position] = static_cast<std::int8_t>(slot);
        return true;
      }
    }
    return false;
  }
};

}  // namespace

bool fits(std::span<const cards::CardMask> slots, std::span<const cards::Card> cards) {
  const std::size_t n = slots.size(), m = cards.size();
  if (m < n) return false;
  assert(n <= kMatchingCapacity && m <= kMatchingCapacity);
  if (n > kMatchingCapacity || m > kMatchingCapacity) return false;

  Matcher matcher;
  for (std::size_t i = 0; i < n; ++i) {
    std::uint64_t accepted = 0;
    for (std::size_t j = 0; j < m; ++j) {
      accepted |= ((slots[i] >> (cards[j] & 63)) & 1) << j;
    }
    matcher.accepted_positions[i] = accepted;
  }
  matcher.owner.fill(-1);

  // A slot that finds no augmenting path stays unmatched whatever the later slots do, so the
  // answer (are all n matched?) is settled at the first failure.
  for (std::size_t i = 0; i < n; ++i) {
    matcher.seen = 0;
    if (!matcher.try_slot(i)) return false;
  }
  return true;
}

}  // namespace vantor::sampler

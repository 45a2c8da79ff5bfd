#pragma once

// The kernels by the names score_batch accepts, and the scoring of a whole batch of hands.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "cards/card.hpp"
#include "expected.hpp"

namespace vantor::rankings {

enum class Kernel : std::uint8_t { High, Omaha, LowA5, Badugi, ShortDeck, DeuceSeven };

// A kernel name that matches none: "no kernel called {name}".
struct UnknownKernel {
  std::string name;  // as the caller wrote it

  std::string display() const;
};

// Exact, case-sensitive match against high, omaha, low_a5, badugi, short_deck and deuce_seven.
Expected<Kernel, UnknownKernel> find_kernel(std::string_view name);

// Scores hand i, the cards from offsets[i] to offsets[i + 1], into values[i] (values has one entry
// per hand). A hand holding some rank five times or more (only possible with repeated cards) is
// outside every table kernel's domain and gets the kernel's no-hand value instead of whatever its
// hash slot happens to hold. Touches no Python object, so callers run it without the lock.
void score_hands(Kernel kernel, std::span<const cards::Card> cards,
                 std::span<const std::uint32_t> offsets, std::span<std::uint32_t> values);

}  // namespace vantor::rankings

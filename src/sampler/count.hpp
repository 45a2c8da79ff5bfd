#pragma once

// Counts of card sets and pattern weights: unsigned 128-bit numbers that saturate at 2^128 - 1
// instead of wrapping, so an astronomically large count stays "huge" rather than becoming small.

#include <array>
#include <cstdint>
#include <limits>

namespace vantor::sampler {

__extension__ typedef unsigned __int128 Count;  // __extension__: g++ -Wpedantic knows no __int128

inline constexpr Count kCountMax = ~Count{0};

constexpr Count saturating_add(Count a, Count b) {
  const Count sum = a + b;
  return sum < a ? kCountMax : sum;
}

constexpr Count saturating_mul(Count a, Count b) {
  if (a == 0 || b == 0) return 0;
  return a > kCountMax / b ? kCountMax : a * b;
}

// C(s, c): 0 when c > s. Multiplying before dividing keeps every intermediate an exact binomial
// times an integer, so the division is exact; the multiplication saturates.
constexpr Count binomial(std::uint64_t s, std::uint64_t c) {
  if (c > s) return 0;
  const std::uint64_t k = c < s - c ? c : s - c;
  Count value = 1;
  for (std::uint64_t i = 1; i <= k; ++i) {
    value = saturating_mul(value, s - i + 1);
    if (value == kCountMax) return kCountMax;
    value /= i;
  }
  return value;
}

namespace detail {
// binomial_by_size_and_count[s][c] = C(s, c) for s, c in 0..52. The largest, C(52, 26), is
// below 2^49, so a 64-bit entry is exact. Reweighting reads it once per class per pattern.
inline constexpr auto binomial_by_size_and_count = [] {
  std::array<std::array<std::uint64_t, 53>, 53> table{};
  for (std::uint64_t s = 0; s <= 52; ++s) {
    for (std::uint64_t c = 0; c <= 52; ++c)
      table[s][c] = static_cast<std::uint64_t>(binomial(s, c));
  }
  return table;
}();
}  // namespace detail

// C(size, count) for the sizes a card class can have (at most 52 cards).
constexpr std::uint64_t class_binomial(unsigned size, unsigned count) {
  return detail::binomial_by_size_and_count[size][count];
}

}  // namespace vantor::sampler

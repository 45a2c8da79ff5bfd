#pragma once

// The random generator every sampler uses, and the rules that turn its outputs into uniform
// integers. Both are fixed to the bit, so a seed gives the same deals on every machine and
// compiler: xoshiro256++ seeded through PCG32 words, and multiply-and-reject uniform integers
// whose width (32, 64 or 128 bits) is part of each call site's contract, because the width
// decides how many outputs a draw consumes.
//
// A Generator is a plain value owned by one worker; nothing here is shared or locked.

#include <array>
#include <bit>
#include <cassert>
#include <cstdint>

#include "sampler/count.hpp"

namespace vantor::sampler {

class Generator {
 public:
  // Seeds from a 64-bit value: eight PCG32 words laid out little-endian as the four state
  // words. The one seed whose words are all zero (a state xoshiro could never leave) is
  // replaced by a SplitMix64 seeding from 0.
  static Generator seeded(std::uint64_t seed);

  // One 64-bit output of xoshiro256++.
  std::uint64_t next() {
    const std::uint64_t result = rotl(state_[0] + state_[3], 23) + state_[0];
    const std::uint64_t t = state_[1] << 17;
    state_[2] ^= state_[0];
    state_[3] ^= state_[1];
    state_[1] ^= state_[2];
    state_[0] ^= state_[3];
    state_[2] ^= t;
    state_[3] = rotl(state_[3], 45);
    return result;
  }

  const std::array<std::uint64_t, 4>& state() const { return state_; }

 private:
  static constexpr std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
  std::array<std::uint64_t, 4> state_{};
};

// Uniform integers in [0, range). range must be greater than 0 (callers check; 0 is a
// programming error). Each rejected candidate is thrown away and a fresh one drawn, so the
// number of outputs consumed varies, but identically on every machine.
//   uniform32:  one output per candidate, its upper 32 bits.
//   uniform64:  one output per candidate.
//   uniform128: two outputs per candidate, the first as the low half.
// The two narrow widths sit on every card drawn, so they are inline. The zone is the largest
// multiple of range, minus one, that fits the width: a product whose low half lies above it
// belongs to the incomplete last stripe and would bias the result.
inline std::uint32_t uniform32(Generator& generator, std::uint32_t range) {
  assert(range > 0);
  const std::uint32_t zone = (range << std::countl_zero(range)) - 1;
  for (;;) {
    const auto v = static_cast<std::uint32_t>(generator.next() >> 32);
    const std::uint64_t product = std::uint64_t{v} * range;
    if (static_cast<std::uint32_t>(product) <= zone) return static_cast<std::uint32_t>(product >> 32);
  }
}

inline std::uint64_t uniform64(Generator& generator, std::uint64_t range) {
  assert(range > 0);
  const std::uint64_t zone = (range << std::countl_zero(range)) - 1;
  for (;;) {
    const Count product = Count{generator.next()} * range;
    if (static_cast<std::uint64_t>(product) <= zone) return static_cast<std::uint64_t>(product >> 64);
  }
}

Count uniform128(Generator& generator, Count range);

}  // namespace vantor::sampler

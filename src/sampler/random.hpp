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
#include <cstddef>
#include <cstdint>

#include "sampler/count.hpp"

namespace vantor::sampler {

class Generator {
 public:
  // Seeds from a 64-bit value: eight PCG32 words laid out little-endian as the four state
  // words. The one seed whose words are all zero (a state xoshiro could never leave) is
  // replaced by a SplitMix64 seeding from 0.
  static Generator seeded(std::uint64_t seed);
  // The generator whose next output follows from `state` (not all zero), as state() gives it.
  static Generator from_state(const std::array<std::uint64_t, 4>& state) {
    Generator generator;
    generator.state_ = state;
    return generator;
  }

  // One 64-bit output of xoshiro256++.
  [[gnu::always_inline]] std::uint64_t next() { return step(state_); }

  // Consumes outputs up to and including the first one below 2^63: what a 64-bit uniform draw
  // in [0, 1) consumes. Half of all outputs are rejected there, at random, so instead of a
  // branch per output the next two states are both computed and one is kept by masking.
  [[gnu::always_inline]] void skip_through_low_output() {
    std::array<std::uint64_t, 4> first = state_;
    const std::uint64_t first_rejected = step(first) >> 63;
    std::array<std::uint64_t, 4> second = first;
    const std::uint64_t second_rejected = step(second) >> 63;
    if (first_rejected & second_rejected) [[unlikely]] {
      state_ = second;
      while (next() >> 63) {
      }
      return;
    }
    const std::uint64_t take_second = -first_rejected;
    for (std::size_t i = 0; i < 4; ++i)
      state_[i] = first[i] ^ ((first[i] ^ second[i]) & take_second);
  }

  const std::array<std::uint64_t, 4>& state() const { return state_; }

  // Advances `state` by one output and returns that output.
  [[gnu::always_inline]] static std::uint64_t step(std::array<std::uint64_t, 4>& state) {
    const std::uint64_t result = rotl(state[0] + state[3], 23) + state[0];
    const std::uint64_t t = state[1] << 17;
    state[2] ^= state[0];
    state[3] ^= state[1];
    state[1] ^= state[2];
    state[0] ^= state[3];
    state[2] ^= t;
    state[3] = rotl(state[3], 45);
    return result;
  }

 private:
  static constexpr std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

  std::array<std::uint64_t, 4> state_{};
};

// Uniform integers in [0, range). range must be greater than 0 (callers check; 0 is a
// programming error). Each rejected candidate is thrown away and a fresh one drawn, so the
// number of outputs consumed varies, but identically on every machine. They are forced inline:
// a call would keep the generator's state in memory around every draw. The narrow widths take
// any source of the stream's outputs with next() and skip_through_low_output(): the Generator
// itself, or the stream read ahead into a buffer (read_ahead.hpp).
//   uniform32:  one output per candidate, its upper 32 bits.
//   uniform64:  one output per candidate.
//   uniform128: two outputs per candidate, the first as the low half.
// The two narrow widths sit on every card drawn, so they are inline. The zone is the largest
// multiple of range, minus one, that fits the width: a product whose low half lies above it
// belongs to the incomplete last stripe and would bias the result.
constexpr std::uint32_t uniform32_zone(std::uint32_t range) {
  return (range << std::countl_zero(range)) - 1;
}

// uniform32() with its zone, uniform32_zone(range), given: for loops that look it up.
template <class Source>
[[gnu::always_inline]] inline std::uint32_t uniform32(Source& generator, std::uint32_t range,
                                                      std::uint32_t zone) {
  assert(range > 0 && zone == uniform32_zone(range));
  for (;;) {
    const auto v = static_cast<std::uint32_t>(generator.next() >> 32);
    const std::uint64_t product = std::uint64_t{v} * range;
    if (static_cast<std::uint32_t>(product) <= zone)
      return static_cast<std::uint32_t>(product >> 32);
  }
}

template <class Source>
[[gnu::always_inline]] inline std::uint32_t uniform32(Source& generator, std::uint32_t range) {
  assert(range > 0);
  return uniform32(generator, range, uniform32_zone(range));
}

constexpr std::uint64_t uniform64_zone(std::uint64_t range) {
  return (range << std::countl_zero(range)) - 1;
}

// uniform64() with its zone, uniform64_zone(range), given, for a range of at least 2: for the
// loops that settle it in advance.
template <class Source>
[[gnu::always_inline]] inline std::uint64_t uniform64(Source& generator, std::uint64_t range,
                                                      std::uint64_t zone) {
  assert(range > 1 && zone == uniform64_zone(range));
  for (;;) {
    const Count product = Count{generator.next()} * range;
    if (static_cast<std::uint64_t>(product) <= zone)
      return static_cast<std::uint64_t>(product >> 64);
  }
}

template <class Source>
[[gnu::always_inline]] inline std::uint64_t uniform64(Source& generator, std::uint64_t range) {
  assert(range > 0);
  // Every seat with a single alternative draws this: its zone is exactly the lower half.
  if (range == 1) {
    generator.skip_through_low_output();
    return 0;
  }
  return uniform64(generator, range, uniform64_zone(range));
}

Count uniform128(Generator& generator, Count range);

// uniform128() for a range below 2^64, inline and without a 256-bit product: the same two
// outputs per candidate, the same test and the same result. With v = lo + hi 2^64 and r < 2^64,
// v r = lo r + (hi r) 2^64; its middle word m = (lo r >> 64) + (hi r mod 2^64) carries into the
// high half, which is (hi r >> 64) + (m >> 64). The zone (r << (64 + clz64(r))) - 1 has an all-one
// low word, so the low half lies in it exactly when m mod 2^64 <= (r << clz64(r)) - 1, which is
// uniform64_zone(r).
[[gnu::always_inline]] inline std::uint64_t uniform128_narrow(Generator& generator,
                                                              std::uint64_t range) {
  assert(range > 0);
  const std::uint64_t zone = uniform64_zone(range);
  for (;;) {
    const Count low_product = Count{generator.next()} * range;
    const Count high_product = Count{generator.next()} * range;
    const Count middle = (low_product >> 64) + static_cast<std::uint64_t>(high_product);
    if (static_cast<std::uint64_t>(middle) <= zone)
      return static_cast<std::uint64_t>(high_product >> 64) +
             static_cast<std::uint64_t>(middle >> 64);
  }
}

// uniform128() always by the full 256-bit product, whatever the range: the definition the
// narrow path above is checked against.
Count uniform128_by_full_product(Generator& generator, Count range);

}  // namespace vantor::sampler

#include "sampler/random.hpp"

#include <bit>
#include <cassert>

namespace vantor::sampler {

namespace {

std::uint32_t pcg32_word(std::uint64_t& x) {
  x = x * 6364136223846793005ULL + 11634580027462260723ULL;
  const auto xorshifted = static_cast<std::uint32_t>(((x >> 18) ^ x) >> 27);
  return std::rotr(xorshifted, static_cast<int>(x >> 59));
}

std::uint64_t splitmix64(std::uint64_t& state) {
  std::uint64_t z = (state += 0x9e3779b97f4a7c15ULL);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

int leading_zeros128(Count value) {
  const auto high = static_cast<std::uint64_t>(value >> 64);
  return high != 0 ? std::countl_zero(high)
                   : 64 + std::countl_zero(static_cast<std::uint64_t>(value));
}

// The full 256-bit product of two 128-bit numbers as (high, low) halves, from four 64-bit
// limb products; g++ has no wider integer type to do it for us.
void multiply_wide(Count a, Count b, Count& high, Count& low) {
  const Count mask = ~std::uint64_t{0};
  const Count a0 = a & mask, a1 = a >> 64, b0 = b & mask, b1 = b >> 64;
  const Count p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
  const Count middle = (p00 >> 64) + (p01 & mask) + (p10 & mask);  // < 3 * 2^64: no overflow
  low = (p00 & mask) | (middle << 64);
  high = p11 + (p01 >> 64) + (p10 >> 64) + (middle >> 64);
}

}  // namespace

Generator Generator::seeded(std::uint64_t seed) {
  Generator generator;
  std::uint64_t x = seed;
  for (auto& word : generator.state_) {
    const std::uint64_t low = pcg32_word(x);
    const std::uint64_t high = pcg32_word(x);
    word = low | (high << 32);
  }
  if ((generator.state_[0] | generator.state_[1] | generator.state_[2] | generator.state_[3]) ==
      0) {
    std::uint64_t state = 0;
    for (auto& word : generator.state_) word = splitmix64(state);
  }
  return generator;
}

Count uniform128_by_full_product(Generator& generator, Count range) {
  assert(range > 0);
  const Count zone = (range << leading_zeros128(range)) - 1;
  for (;;) {
    const Count low_half = generator.next();
    const Count v = low_half | (Count{generator.next()} << 64);
    Count high, low;
    multiply_wide(v, range, high, low);
    if (low <= zone) return high;
  }
}

Count uniform128(Generator& generator, Count range) {
  if ((range >> 64) == 0) return uniform128_narrow(generator, static_cast<std::uint64_t>(range));
  return uniform128_by_full_product(generator, range);
}

}  // namespace vantor::sampler

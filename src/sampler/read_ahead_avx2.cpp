// The read-ahead kernels with AVX2: eight lanes of the stream as two sets of four 64-bit lanes,
// and the acceptance masks eight outputs at a time. Built with -mavx2 (CMakeLists.txt) and only
// ever called where the processor has AVX2 (processor_paths.hpp).

#include <immintrin.h>

#include <cstddef>
#include <cstdint>

#include "sampler/read_ahead.hpp"
#include "sampler/read_ahead_kernels.hpp"
#include "sampler/stream_lanes.hpp"

namespace vantor::sampler {

namespace {

constexpr std::size_t kSets = kLanes / 4;

__m256i rotate_left(__m256i x, int bits) {
  return _mm256_or_si256(_mm256_slli_epi64(x, bits), _mm256_srli_epi64(x, 64 - bits));
}

struct Set {
  __m256i a, b, c, d;  // the four state words of four lanes

  // One output of each lane, and each lane's state one step on: xoshiro256++ as
  // Generator::step() writes it.
  [[gnu::always_inline]] __m256i step() {
    const __m256i result = _mm256_add_epi64(rotate_left(_mm256_add_epi64(a, d), 23), a);
    const __m256i t = _mm256_slli_epi64(b, 17);
    c = _mm256_xor_si256(c, a);
    d = _mm256_xor_si256(d, b);
    b = _mm256_xor_si256(b, c);
    a = _mm256_xor_si256(a, d);
    c = _mm256_xor_si256(c, t);
    d = rotate_left(d, 45);
    return result;
  }
};

// The four lanes' states moved by `jump`: the columns of the set bits added up, without a branch.
Set jumped(const Set& set, const StreamJump& jump) {
  const __m256i words[4] = {set.a, set.b, set.c, set.d};
  __m256i moved[4] = {_mm256_setzero_si256(), _mm256_setzero_si256(), _mm256_setzero_si256(),
                      _mm256_setzero_si256()};
  for (std::size_t w = 0; w < 4; ++w) {
#pragma GCC unroll 8
    for (int bit = 0; bit < 64; ++bit) {
      // All ones in the lanes whose bit is set: the bit moved to the sign, compared with zero.
      const __m256i take =
          _mm256_cmpgt_epi64(_mm256_setzero_si256(), _mm256_slli_epi64(words[w], 63 - bit));
      const std::uint64_t* column = jump.columns[64 * w + static_cast<std::size_t>(bit)].data();
      for (std::size_t m = 0; m < 4; ++m) {
        const __m256i word = _mm256_set1_epi64x(static_cast<long long>(column[m]));
        moved[m] = _mm256_xor_si256(moved[m], _mm256_and_si256(take, word));
      }
    }
  }
  return {moved[0], moved[1], moved[2], moved[3]};
}

void fill_block(LaneStates& lanes, std::uint64_t* block) {
  Set sets[kSets];
  for (std::size_t t = 0; t < kSets; ++t) {
    const auto load = [&](std::size_t w) {
      return _mm256_load_si256(reinterpret_cast<const __m256i*>(lanes.words[w].data() + 4 * t));
    };
    sets[t] = {load(0), load(1), load(2), load(3)};
  }
  for (std::size_t k = 0; k < kLaneLength; k += 4) {
    __m256i rows[kSets][4];
#pragma GCC unroll 4
    for (std::size_t step = 0; step < 4; ++step) {
#pragma GCC unroll 2
      for (std::size_t t = 0; t < kSets; ++t) rows[t][step] = sets[t].step();
    }
    // Rows are steps and columns lanes; transposed, each lane's four outputs are consecutive.
#pragma GCC unroll 2
    for (std::size_t t = 0; t < kSets; ++t) {
      const __m256i p0 = _mm256_unpacklo_epi64(rows[t][0], rows[t][1]);
      const __m256i p1 = _mm256_unpackhi_epi64(rows[t][0], rows[t][1]);
      const __m256i p2 = _mm256_unpacklo_epi64(rows[t][2], rows[t][3]);
      const __m256i p3 = _mm256_unpackhi_epi64(rows[t][2], rows[t][3]);
      std::uint64_t* lane = block + 4 * t * kLaneLength + k;
      _mm256_store_si256(reinterpret_cast<__m256i*>(lane), _mm256_permute2x128_si256(p0, p2, 0x20));
      _mm256_store_si256(reinterpret_cast<__m256i*>(lane + kLaneLength),
                         _mm256_permute2x128_si256(p1, p3, 0x20));
      _mm256_store_si256(reinterpret_cast<__m256i*>(lane + 2 * kLaneLength),
                         _mm256_permute2x128_si256(p0, p2, 0x31));
      _mm256_store_si256(reinterpret_cast<__m256i*>(lane + 3 * kLaneLength),
                         _mm256_permute2x128_si256(p1, p3, 0x31));
    }
  }
  const StreamJump& jump = next_block_jump();
  for (std::size_t t = 0; t < kSets; ++t) {
    const Set next = jumped(sets[t], jump);
    const __m256i words[4] = {next.a, next.b, next.c, next.d};
    for (std::size_t w = 0; w < 4; ++w) {
      _mm256_store_si256(reinterpret_cast<__m256i*>(lanes.words[w].data() + 4 * t), words[w]);
    }
  }
}

// Unsigned a > b, lane by lane, for 64-bit lanes: signed after flipping the sign bits.
__m256i greater_64(__m256i a, __m256i b) {
  const __m256i sign = _mm256_set1_epi64x(static_cast<long long>(0x8000000000000000ull));
  return _mm256_cmpgt_epi64(_mm256_xor_si256(a, sign), _mm256_xor_si256(b, sign));
}

// The low 64 bits of each output times a range below 2^32.
__m256i low_product(__m256i outputs, __m256i range) {
  const __m256i low = _mm256_mul_epu32(outputs, range);
  const __m256i high = _mm256_mul_epu32(_mm256_srli_epi64(outputs, 32), range);
  return _mm256_add_epi64(low, _mm256_slli_epi64(high, 32));
}

unsigned bits_of_64(__m256i lanes) {
  return static_cast<unsigned>(_mm256_movemask_pd(_mm256_castsi256_pd(lanes)));
}

// The masks a chunk of outputs at a time, range by range, so that each range's loop keeps its
// constants in registers and the chunk stays in the first-level cache. The upper halves, which
// every narrow range reads, are gathered into order once per chunk.
void accept(const std::uint64_t* outputs, std::size_t count, const DrawRange* ranges,
            std::size_t range_count, std::uint8_t* const* masks) {
  constexpr std::size_t kChunk = 512;
  alignas(32) __m256i upper[kChunk / 8];
  alignas(32) std::uint8_t signs[kChunk / 8];
  for (std::size_t begin = 0; begin < count; begin += kChunk) {
    const std::size_t end = begin + kChunk < count ? begin + kChunk : count;
    const std::uint64_t* chunk = outputs + begin;
    for (std::size_t i = 0; i < end - begin; i += 8) {
      const __m256i first = _mm256_load_si256(reinterpret_cast<const __m256i*>(chunk + i));
      const __m256i second = _mm256_load_si256(reinterpret_cast<const __m256i*>(chunk + i + 4));
      // The odd 32-bit words of each 128-bit half, then the 64-bit pairs put back in order.
      upper[i / 8] = _mm256_permute4x64_epi64(
          _mm256_castps_si256(
              _mm256_shuffle_ps(_mm256_castsi256_ps(first), _mm256_castsi256_ps(second), 0xDD)),
          0xD8);
      signs[i / 8] = static_cast<std::uint8_t>(bits_of_64(first) | bits_of_64(second) << 4);
    }
    for (std::size_t m = 0; m < range_count; ++m) {
      const DrawRange& range = ranges[m];
      std::uint8_t* bits = masks[m] + begin / 8;
      if (range.wide && range.range == 1) {
        // uniform64(1) takes the outputs below 2^63.
        for (std::size_t i = 0; i < (end - begin) / 8; ++i) {
          bits[i] = static_cast<std::uint8_t>(~signs[i]);
        }
      } else if (range.wide) {
        const __m256i factor = _mm256_set1_epi64x(static_cast<long long>(range.range));
        const __m256i zone =
            _mm256_set1_epi64x(static_cast<long long>(uniform64_zone(range.range)));
        for (std::size_t i = 0; i < end - begin; i += 8) {
          const __m256i first = _mm256_load_si256(reinterpret_cast<const __m256i*>(chunk + i));
          const __m256i second = _mm256_load_si256(reinterpret_cast<const __m256i*>(chunk + i + 4));
          const unsigned rejected = bits_of_64(greater_64(low_product(first, factor), zone)) |
                                    bits_of_64(greater_64(low_product(second, factor), zone)) << 4;
          bits[i / 8] = static_cast<std::uint8_t>(~rejected);
        }
      } else {
        const auto narrow = static_cast<std::uint32_t>(range.range);
        const __m256i factor = _mm256_set1_epi32(static_cast<int>(narrow));
        const __m256i zone = _mm256_set1_epi32(static_cast<int>(uniform32_zone(narrow)));
        // All ones in the lanes whose product's low half is at most the zone (unsigned).
        const auto accepted = [&](__m256i halves) {
          const __m256i product = _mm256_mullo_epi32(halves, factor);
          return _mm256_cmpeq_epi32(_mm256_min_epu32(product, zone), product);
        };
        const std::size_t groups = (end - begin) / 8;
        std::size_t i = 0;
        // Four groups of eight at once: their lanes packed to bytes, put back in order (the
        // packs interleave the 128-bit halves) and read with one movemask, 32 bits stored.
        const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
        for (; i + 4 <= groups; i += 4) {
          const __m256i low = _mm256_packs_epi32(accepted(upper[i]), accepted(upper[i + 1]));
          const __m256i high = _mm256_packs_epi32(accepted(upper[i + 2]), accepted(upper[i + 3]));
          const __m256i bytes = _mm256_permutevar8x32_epi32(_mm256_packs_epi16(low, high), order);
          const auto word = static_cast<std::uint32_t>(_mm256_movemask_epi8(bytes));
          __builtin_memcpy(bits + i, &word, sizeof word);
        }
        for (; i < groups; ++i) {
          bits[i] = static_cast<std::uint8_t>(
              _mm256_movemask_ps(_mm256_castsi256_ps(accepted(upper[i]))));
        }
      }
    }
  }
}

}  // namespace

const StreamKernels kAvx2Kernels{fill_block, accept};

}  // namespace vantor::sampler

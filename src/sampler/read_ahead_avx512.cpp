// The read-ahead kernels with AVX-512: the eight lanes of the stream in one set of 64-bit vector
// lanes, and the acceptance masks sixteen outputs at a time, straight into mask registers. Built
// with -mavx512f -mavx512bw -mavx512dq -mavx512vl (CMakeLists.txt) and only ever called where the
// processor has them (processor_paths.hpp).

#include <immintrin.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "sampler/read_ahead.hpp"
#include "sampler/read_ahead_kernels.hpp"
#include "sampler/stream_lanes.hpp"

namespace vantor::sampler {

namespace {

static_assert(kLanes == 8, "one vector holds a word of every lane");

struct Lanes {
  __m512i a, b, c, d;  // the four state words of the eight lanes

  // One output of each lane, and each lane's state one step on: xoshiro256++ as
  // Generator::step() writes it.
  [[gnu::always_inline]] __m512i step() {
    const __m512i result = _mm512_add_epi64(_mm512_rol_epi64(_mm512_add_epi64(a, d), 23), a);
    const __m512i t = _mm512_slli_epi64(b, 17);
    c = _mm512_xor_si512(c, a);
    d = _mm512_xor_si512(d, b);
    b = _mm512_xor_si512(b, c);
    a = _mm512_xor_si512(a, d);
    c = _mm512_xor_si512(c, t);
    d = _mm512_rol_epi64(d, 45);
    return result;
  }
};

// The lanes' states moved by `jump`: the columns of the set bits added up, without a branch (one
// ternary-logic operation a word: moved ^ (take & column)).
Lanes jumped(const Lanes& lanes, const StreamJump& jump) {
  const __m512i words[4] = {lanes.a, lanes.b, lanes.c, lanes.d};
  __m512i moved[4] = {_mm512_setzero_si512(), _mm512_setzero_si512(), _mm512_setzero_si512(),
                      _mm512_setzero_si512()};
  for (std::size_t w = 0; w < 4; ++w) {
#pragma GCC unroll 8
    for (int bit = 0; bit < 64; ++bit) {
      const __m512i take = _mm512_srai_epi64(_mm512_slli_epi64(words[w], 63 - bit), 63);
      const std::uint64_t* column = jump.columns[64 * w + static_cast<std::size_t>(bit)].data();
      for (std::size_t m = 0; m < 4; ++m) {
        const __m512i word = _mm512_set1_epi64(static_cast<long long>(column[m]));
        moved[m] = _mm512_ternarylogic_epi64(moved[m], take, word, 0x78);
      }
    }
  }
  return {moved[0], moved[1], moved[2], moved[3]};
}

void fill_block(LaneStates& lanes, std::uint64_t* block) {
  Lanes state{_mm512_load_si512(lanes.words[0].data()), _mm512_load_si512(lanes.words[1].data()),
              _mm512_load_si512(lanes.words[2].data()), _mm512_load_si512(lanes.words[3].data())};
  // Index vectors of the 8 x 8 transpose's middle stage: 128-bit pairs of rows 0-3 and 4-7.
  const __m512i even_pairs = _mm512_set_epi64(13, 12, 5, 4, 9, 8, 1, 0);
  const __m512i odd_pairs = _mm512_set_epi64(15, 14, 7, 6, 11, 10, 3, 2);
  for (std::size_t k = 0; k < kLaneLength; k += 8) {
    __m512i rows[8];
#pragma GCC unroll 8
    for (std::size_t step = 0; step < 8; ++step) rows[step] = state.step();
    // Rows are steps and columns lanes; transposed, each lane's eight outputs are consecutive.
    const __m512i p0 = _mm512_unpacklo_epi64(rows[0], rows[1]);
    const __m512i p1 = _mm512_unpackhi_epi64(rows[0], rows[1]);
    const __m512i p2 = _mm512_unpacklo_epi64(rows[2], rows[3]);
    const __m512i p3 = _mm512_unpackhi_epi64(rows[2], rows[3]);
    const __m512i p4 = _mm512_unpacklo_epi64(rows[4], rows[5]);
    const __m512i p5 = _mm512_unpackhi_epi64(rows[4], rows[5]);
    const __m512i p6 = _mm512_unpacklo_epi64(rows[6], rows[7]);
    const __m512i p7 = _mm512_unpackhi_epi64(rows[6], rows[7]);
    const __m512i q0 = _mm512_permutex2var_epi64(p0, even_pairs, p2);  // lanes 0 and 4, rows 0-3
    const __m512i q1 = _mm512_permutex2var_epi64(p1, even_pairs, p3);  // lanes 1 and 5
    const __m512i q2 = _mm512_permutex2var_epi64(p0, odd_pairs, p2);   // lanes 2 and 6
    const __m512i q3 = _mm512_permutex2var_epi64(p1, odd_pairs, p3);   // lanes 3 and 7
    const __m512i q4 = _mm512_permutex2var_epi64(p4, even_pairs, p6);  // the same, rows 4-7
    const __m512i q5 = _mm512_permutex2var_epi64(p5, even_pairs, p7);
    const __m512i q6 = _mm512_permutex2var_epi64(p4, odd_pairs, p6);
    const __m512i q7 = _mm512_permutex2var_epi64(p5, odd_pairs, p7);
    std::uint64_t* lane = block + k;
    _mm512_store_si512(lane + 0 * kLaneLength, _mm512_shuffle_i64x2(q0, q4, 0x44));
    _mm512_store_si512(lane + 4 * kLaneLength, _mm512_shuffle_i64x2(q0, q4, 0xEE));
    _mm512_store_si512(lane + 1 * kLaneLength, _mm512_shuffle_i64x2(q1, q5, 0x44));
    _mm512_store_si512(lane + 5 * kLaneLength, _mm512_shuffle_i64x2(q1, q5, 0xEE));
    _mm512_store_si512(lane + 2 * kLaneLength, _mm512_shuffle_i64x2(q2, q6, 0x44));
    _mm512_store_si512(lane + 6 * kLaneLength, _mm512_shuffle_i64x2(q2, q6, 0xEE));
    _mm512_store_si512(lane + 3 * kLaneLength, _mm512_shuffle_i64x2(q3, q7, 0x44));
    _mm512_store_si512(lane + 7 * kLaneLength, _mm512_shuffle_i64x2(q3, q7, 0xEE));
  }
  const Lanes next = jumped(state, next_block_jump());
  _mm512_store_si512(lanes.words[0].data(), next.a);
  _mm512_store_si512(lanes.words[1].data(), next.b);
  _mm512_store_si512(lanes.words[2].data(), next.c);
  _mm512_store_si512(lanes.words[3].data(), next.d);
}

void accept(const std::uint64_t* outputs, std::size_t count, const DrawRange* ranges,
            std::size_t range_count, std::uint8_t* const* masks) {
  // The odd 32-bit words of two vectors of outputs: their upper halves, in order.
  const __m512i upper_words =
      _mm512_set_epi32(31, 29, 27, 25, 23, 21, 19, 17, 15, 13, 11, 9, 7, 5, 3, 1);
  for (std::size_t i = 0; i < count; i += 16) {
    const __m512i first = _mm512_load_si512(outputs + i);
    const __m512i second = _mm512_load_si512(outputs + i + 8);
    const __m512i upper = _mm512_permutex2var_epi32(first, upper_words, second);
    const unsigned signs =
        unsigned{_mm512_movepi64_mask(first)} | unsigned{_mm512_movepi64_mask(second)} << 8;
    const std::size_t byte = i / 8;
    for (std::size_t m = 0; m < range_count; ++m) {
      const DrawRange& range = ranges[m];
      unsigned accepted;
      if (range.wide && range.range == 1) {
        accepted = ~signs;  // uniform64(1) takes the outputs below 2^63
      } else if (range.wide) {
        const __m512i factor = _mm512_set1_epi64(static_cast<long long>(range.range));
        const __m512i zone = _mm512_set1_epi64(static_cast<long long>(uniform64_zone(range.range)));
        accepted = unsigned{_mm512_cmple_epu64_mask(_mm512_mullo_epi64(first, factor), zone)} |
                   unsigned{_mm512_cmple_epu64_mask(_mm512_mullo_epi64(second, factor), zone)} << 8;
      } else {
        const auto narrow = static_cast<std::uint32_t>(range.range);
        const __m512i product =
            _mm512_mullo_epi32(upper, _mm512_set1_epi32(static_cast<int>(narrow)));
        accepted = _mm512_cmple_epu32_mask(
            product, _mm512_set1_epi32(static_cast<int>(uniform32_zone(narrow))));
      }
      const auto bits = static_cast<std::uint16_t>(accepted);
      std::memcpy(masks[m] + byte, &bits, sizeof bits);
    }
  }
}

}  // namespace

const StreamKernels kAvx512Kernels{fill_block, accept};

}  // namespace vantor::sampler

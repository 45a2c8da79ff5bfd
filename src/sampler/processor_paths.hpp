#pragma once

// The ways the sampler can work on this processor, each chosen once per process: how a card is
// picked out of a mask, and how the seeded stream is consumed.
//
// Picking a card: the x86 instruction
// pdep (BMI2) deposits a single bit straight onto the j-th set bit of the mask; where it is
// missing, or runs as microcode (AMD before Zen 3 takes hundreds of cycles per pdep), a
// branch-free broadword selection does the same work in a few more steps. Both give the same
// card for the same mask and j, so the choice never changes a deal.
//
// The module is built for x86-64-v2, which has no BMI2: pdep is emitted as inline assembly and
// only ever executed after the processor has said it has it.

#include <cstdint>

#include "sampler/processor.hpp"

namespace vantor::sampler {

enum class CardPicking : std::uint8_t {
  Broadword,  // portable: per-byte running counts and a table inside the byte
  Deposit,    // pdep and a trailing-zero count
};

// Whether this build can emit pdep at all (x86-64 only).
#if defined(__x86_64__)
inline constexpr bool kCanDeposit = true;
#else
inline constexpr bool kCanDeposit = false;
#endif

// The processor's choice, made when the library loads: Deposit where BMI2 is present and fast,
// Broadword otherwise or when the environment sets VANTOR_CARD_PICKING=broadword (the tests use
// that to run the module on both paths).
CardPicking card_picking();

// Whether this processor runs pdep in hardware.
bool deposit_is_fast();

// Forces a path for the rest of the process; tests use it to compare the two. Asking for
// Deposit where it is not fast leaves Broadword and returns false.
bool set_card_picking(CardPicking picking);

// How a batch's pieces consume the seeded stream, chosen once per process. Read ahead, the
// outputs are generated in blocks by several lanes at once and each one's acceptance at every
// range a deal draws at is computed as bit masks, so that a deal's outputs are found with a few
// bit operations (read_ahead.hpp); portably, one output at a time, each tested as it comes. Every
// path consumes the same outputs with the same decisions: the choice never changes a deal.
enum class StreamPath : std::uint8_t {
  Portable,  // one output at a time
  Avx2,      // read ahead with AVX2 (and BMI1, BMI2 for the walk)
  Avx512,    // read ahead with AVX-512 (F, BW, DQ, VL)
};

// Whether this processor (and its operating system) can take `path`; the same for a processor
// with `features`.
bool can_take(StreamPath path);
bool can_take(StreamPath path, const ProcessorFeatures& features);
// The processor's choice, made when first asked: the widest path it can take, or the one the
// environment names in VANTOR_STREAM_PATH ("portable", "avx2" or "avx512"; a path the processor
// cannot take falls to the widest one below it). The tests use that to run the module on each.
StreamPath stream_path();
// Forces a path for the rest of the process; tests use it to compare the paths. A path the
// processor cannot take is refused: false, and nothing changes.
bool set_stream_path(StreamPath path);
// The path's name, as VANTOR_STREAM_PATH spells it.
const char* stream_path_name(StreamPath path);

// The bits of `source`, lowest first, placed on the set bits of `mask`, lowest first: with a
// single bit 1 << j as the source, the j-th set bit of the mask. Only with kCanDeposit, and only
// once deposit_is_fast().
[[gnu::always_inline]] inline std::uint64_t deposit_bits(std::uint64_t source, std::uint64_t mask) {
#if defined(__x86_64__)
  std::uint64_t result;
  asm("pdep %2, %1, %0" : "=r"(result) : "r"(source), "rm"(mask));
  return result;
#else
  (void)source;
  (void)mask;
  __builtin_trap();
#endif
}

}  // namespace vantor::sampler

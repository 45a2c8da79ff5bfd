#pragma once

// The seeded stream read ahead. A uniform integer of a given range accepts or rejects each output
// it is offered (random.hpp), and whether it would accept an output does not depend on anything
// drawn before: so a block of outputs is generated at once (stream_lanes.hpp), and for each range
// a deal draws at, one bit per output says whether that range's uniform accepts it. A deal whose
// ranges are known in advance then finds its outputs with a few bit operations on a 64-output
// window of those masks, where a uniform drawn output by output tests every candidate with a
// branch it mispredicts at random. The outputs consumed, the decisions and the values are the
// uniforms' own; a deal whose outputs run past its window reads the buffer output by output
// (BufferedStream), as the uniforms do.
//
// A ReadAhead belongs to one piece of a batch: it is its working memory, made once per piece.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "sampler/count.hpp"
#include "sampler/processor_paths.hpp"
#include "sampler/random.hpp"
#include "sampler/stream_lanes.hpp"

// The loops that draw deals from the stream read ahead are built for the instructions every
// processor that takes a read-ahead path has (AVX2, BMI1 and BMI2: the walk is bit operations
// that those do in one instruction each), and are only ever called on such a processor
// (processor_paths.hpp). Everything they inline is built for the same; what they call is not.
#if defined(__x86_64__)
#define VANTOR_READ_AHEAD_LOOP [[gnu::target("avx2,bmi,bmi2,lzcnt,popcnt")]]
#else
#define VANTOR_READ_AHEAD_LOOP
#endif

namespace vantor::sampler {

// A range a deal draws at, as its uniform sees it: wide for uniform64() (each candidate a whole
// output), narrow for uniform32() (each candidate an output's upper half). A wide range read
// ahead is below 2^32.
struct DrawRange {
  std::uint64_t range = 1;
  bool wide = true;

  friend bool operator==(const DrawRange&, const DrawRange&) = default;
};

// Whether `range`'s uniform accepts `output`, as uniform32() and uniform64() decide.
inline bool accepts(const DrawRange& range, std::uint64_t output) {
  if (range.wide) {
    return static_cast<std::uint64_t>(Count{output} * range.range) <= uniform64_zone(range.range);
  }
  const auto narrow = static_cast<std::uint32_t>(range.range);
  return static_cast<std::uint32_t>((output >> 32) * narrow) <= uniform32_zone(narrow);
}

// The value `range`'s uniform gives for an output it accepts: the high half of the product.
[[gnu::always_inline]] inline std::uint64_t value_of(const DrawRange& range, std::uint64_t output) {
  if (range.wide) return static_cast<std::uint64_t>((Count{output} * range.range) >> 64);
  return ((output >> 32) * range.range) >> 32;
}

// Where a loop reading ahead stands between deals: the next output to consume, the frame (a
// multiple of 8 at or before it) the next deal's windows start at, and which of the frame's
// outputs are used already. The loop keeps it apart from the object that draws, so that nothing of
// it lives in memory the tally's counters could be taken to alias.
struct StreamPlace {
  std::size_t next;
  std::size_t frame;
  std::uint64_t used;

  static StreamPlace at(std::size_t next) {
    const std::size_t frame = next & ~std::size_t{7};
    return {next, frame, (std::uint64_t{1} << (next - frame)) - 1};
  }
};

// The work a path does on whole blocks: generating one, and the acceptance masks of outputs.
struct StreamKernels {
  // The block at `lanes` into `block` (kBlockLength outputs, 64-byte aligned), and the lanes moved
  // on to the next block.
  void (*fill_block)(LaneStates& lanes, std::uint64_t* block);
  // For outputs[0, count), count a multiple of 16 and outputs 64-byte aligned: bit i % 8 of byte
  // i / 8 of masks[m] is whether ranges[m] accepts output i.
  void (*accept)(const std::uint64_t* outputs, std::size_t count, const DrawRange* ranges,
                 std::size_t range_count, std::uint8_t* const* masks);
};

// The kernels of a path; for the portable path, the plain ones every other is checked against.
// The vector kernels are checked against those once, when first asked for, and a path whose
// kernels disagree is given the plain ones (which no test run has seen happen).
const StreamKernels& kernels_for(StreamPath path);
// Whether the vector kernels of `path` passed that check.
bool kernels_agree(StreamPath path);

class ReadAhead {
 public:
  // Outputs carried from one block to the next, so that a window may start up to this far before
  // the block's end.
  static constexpr std::size_t kKeep = 256;
  static constexpr std::size_t kCapacity = kKeep + kBlockLength;
  static constexpr std::size_t kMostRanges = 16;
  // How many of a window's 64 outputs a deal may use: the next deal's window starts at most 8
  // outputs before its first one, and its frame moves by the shift of a 64-bit word.
  static constexpr std::size_t kWindowUse = 56;

  // `generator`'s stream from its next output, with masks for `ranges` (distinct, at most
  // kMostRanges, wide ones below 2^32). The first output is at position start().
  ReadAhead(const Generator& generator, std::span<const DrawRange> ranges,
            const StreamKernels& kernels);

  static constexpr std::size_t start() { return kKeep; }
  const std::uint64_t* outputs() const { return outputs_.get(); }
  std::size_t mask_count() const { return ranges_.size(); }
  // The mask of `range`, which must be one of the ranges given.
  std::size_t mask_of(const DrawRange& range) const;
  // The masks lie one after the other, kMaskStride bytes apart, in the order of their ranges.
  const std::uint8_t* mask_bytes(std::size_t mask) const {
    return masks_.data() + mask * kMaskStride;
  }
  // Bytes per mask: one bit per output and a word of padding for the last window.
  static constexpr std::size_t kMaskStride = kCapacity / 8 + 8;

  // Bits `frame` to `frame` + 63 of a mask, `frame` a multiple of 8 below kCapacity: bit i for
  // the output at position frame + i (positions past the buffer read as rejected).
  static std::uint64_t window(const std::uint8_t* mask, std::size_t frame) {
    std::uint64_t bits;
    __builtin_memcpy(&bits, mask + frame / 8, sizeof bits);
    return bits;
  }

  // For a position at or past kBlockLength: the last kKeep outputs and their bits moved to the
  // front, the next block generated behind them; the position's new value.
  std::size_t refill(std::size_t position);

  // The generator that gives the output at `position` next: the stream's state once everything
  // before it is consumed. Costs up to a block's steps; for the end of a piece and for tests.
  Generator generator_at(std::size_t position) const;
  // How many of the stream's outputs come before `position`.
  std::uint64_t consumed_before(std::size_t position) const { return base_ + position; }

 private:
  struct Free {
    void operator()(std::uint64_t* block) const;
  };

  void generate();

  const StreamKernels& kernels_;
  std::vector<DrawRange> ranges_;
  std::unique_ptr<std::uint64_t[], Free> outputs_;
  std::vector<std::uint8_t> masks_;
  std::vector<std::uint8_t*> mask_pointers_;
  LaneStates lanes_;
  std::uint64_t base_;  // how many outputs come before position 0
  // The stream's state before the first output of the newest block (position kKeep), and before
  // that of the one before it.
  std::array<std::uint64_t, 4> block_state_{};
  std::array<std::uint64_t, 4> previous_block_state_{};
};

// The stream in a ReadAhead read one output at a time, as the uniforms read a Generator: for the
// deals that do not fit a window. A small value: copy it into a loop and write it back, as with a
// Generator.
class BufferedStream {
 public:
  BufferedStream(ReadAhead& buffer, std::size_t position) : buffer_(&buffer), position_(position) {}

  [[gnu::always_inline]] std::uint64_t next() {
    if (position_ == ReadAhead::kCapacity) [[unlikely]]
      position_ = buffer_->refill(position_);
    return buffer_->outputs()[position_++];
  }
  void skip_through_low_output() {
    while (next() >> 63) {
    }
  }
  std::size_t position() const { return position_; }

 private:
  ReadAhead* buffer_;
  std::size_t position_;
};

}  // namespace vantor::sampler

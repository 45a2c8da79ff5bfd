#pragma once

// Sources of the seeded stream that a draw written for a Generator takes as they are: the draws
// are templates over their source and ask it for uniform integers (random.hpp), so the same code
// draws a deal output by output, while recording what it asks, or from the stream read ahead.
//
// - RecordingSource: a Generator that notes the range of every uniform a draw asks for, so that
//   the ranges of a request's deals can be listed before they are drawn from the stream read
//   ahead.
// - AheadSource: one deal's uniforms answered from a ReadAhead's masks: each answer is the first
//   output after the last one taken that the range accepts, found with three bit operations on a
//   64-output window, and its value is the high half of its product with the range. A deal that
//   asks for a range without a mask, or whose outputs run past its window, is missed: its answers
//   are then garbage (read from inside the buffer) and the caller draws it again from the buffer,
//   output by output.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sampler/random.hpp"
#include "sampler/read_ahead.hpp"

namespace vantor::sampler {

// What a draw asked of a RecordingSource: the ranges of its uniforms, and the outputs it consumed.
struct Recording {
  std::vector<DrawRange> asked;
  std::uint64_t outputs = 0;

  void clear() {
    asked.clear();
    outputs = 0;
  }
};

// A small value, as a Generator is (the draws copy their source and write it back): copies note
// into the one Recording.
class RecordingSource {
 public:
  RecordingSource(const Generator& generator, Recording& recording)
      : generator_(generator), recording_(&recording) {}

  std::uint64_t next() {
    ++recording_->outputs;
    return generator_.next();
  }
  void skip_through_low_output() {
    note({1, true});
    while (next() >> 63) {
    }
  }
  void note(const DrawRange& range) { recording_->asked.push_back(range); }

 private:
  Generator generator_;
  Recording* recording_;
};

inline std::uint32_t uniform32(RecordingSource& source, std::uint32_t range, std::uint32_t zone) {
  source.note({range, false});
  return uniform32<RecordingSource>(source, range, zone);
}
inline std::uint32_t uniform32(RecordingSource& source, std::uint32_t range) {
  return uniform32(source, range, uniform32_zone(range));
}
inline std::uint64_t uniform64(RecordingSource& source, std::uint64_t range, std::uint64_t zone) {
  source.note({range, true});
  return uniform64<RecordingSource>(source, range, zone);
}
inline std::uint64_t uniform64(RecordingSource& source, std::uint64_t range) {
  if (range == 1) {
    source.skip_through_low_output();
    return 0;
  }
  return uniform64(source, range, uniform64_zone(range));
}

// Where a deal read ahead finds the mask of each range it asks for: ranges up to kSmallRanges by
// their value, larger wide ones in a short list. A range without a mask is given one that accepts
// no output, which misses the deal.
class RangeMasks {
 public:
  static constexpr std::uint64_t kSmallRanges = 64;

  RangeMasks() { clear(); }

  // Every range is given `none`, a mask that accepts no output over a window from any frame.
  void clear(const std::uint8_t* none = nullptr) {
    none_ = none;
    narrow_.fill(none);
    wide_.fill(none);
    large_count_ = 0;
  }
  // `range` is given `mask`; false when a large wide range finds the list full.
  bool set(const DrawRange& range, const std::uint8_t* mask) {
    if (range.range <= kSmallRanges) {
      (range.wide ? wide_ : narrow_)[range.range] = mask;
      return true;
    }
    if (!range.wide || large_count_ == kLargeRanges) return false;
    large_[large_count_++] = {range.range, mask};
    return true;
  }

  [[gnu::always_inline]] const std::uint8_t* of(std::uint64_t range, bool wide) const {
    if (range <= kSmallRanges) return (wide ? wide_ : narrow_)[range];
    for (std::size_t k = 0; k < large_count_; ++k) {
      if (wide && large_[k].range == range) return large_[k].mask;
    }
    return none_;
  }

 private:
  static constexpr std::size_t kLargeRanges = 4;
  struct Large {
    std::uint64_t range;
    const std::uint8_t* mask;
  };

  const std::uint8_t* none_ = nullptr;
  std::array<const std::uint8_t*, kSmallRanges + 1> narrow_{};
  std::array<const std::uint8_t*, kSmallRanges + 1> wide_{};
  std::array<Large, kLargeRanges> large_{};
  std::size_t large_count_ = 0;
};

class AheadSource {
 public:
  // `outputs` and the masks are read from `frame` (a multiple of 8); `taken` marks the frame's
  // outputs already consumed; a deal may use the outputs that `usable` marks.
  AheadSource(const std::uint64_t* outputs, const RangeMasks& masks, std::size_t frame,
              std::uint64_t taken, std::uint64_t usable)
      : outputs_(outputs + frame), masks_(&masks), frame_(frame), taken_(taken), usable_(usable) {}

  [[gnu::always_inline]] std::uint64_t take(std::uint64_t range, bool wide) {
    const std::uint64_t accepted =
        ReadAhead::window(masks_->of(range, wide), frame_) & usable_ & ~taken_;
    // Every output up to the one taken; none leaves all marked, and every later step none.
    taken_ = accepted ^ (accepted - 1);
    const std::uint64_t output = outputs_[std::countr_zero(accepted)];
    return wide ? static_cast<std::uint64_t>((Count{output} * range) >> 64)
                : ((output >> 32) * range) >> 32;
  }
  [[gnu::always_inline]] void skip_through_low_output() { take(1, true); }

  // Whether the deal asked for a range without a mask, or ran past its window.
  bool missed() const { return taken_ == ~std::uint64_t{0}; }
  // The outputs consumed from the frame on: the position after the deal's last output is
  // frame + consumed().
  std::size_t consumed() const { return static_cast<std::size_t>(std::popcount(taken_)); }
  std::uint64_t taken() const { return taken_; }

 private:
  const std::uint64_t* outputs_;
  const RangeMasks* masks_;
  std::size_t frame_;
  std::uint64_t taken_;
  std::uint64_t usable_;
};

[[gnu::always_inline]] inline std::uint32_t uniform32(AheadSource& source, std::uint32_t range,
                                                      std::uint32_t) {
  return static_cast<std::uint32_t>(source.take(range, false));
}
[[gnu::always_inline]] inline std::uint32_t uniform32(AheadSource& source, std::uint32_t range) {
  return static_cast<std::uint32_t>(source.take(range, false));
}
[[gnu::always_inline]] inline std::uint64_t uniform64(AheadSource& source, std::uint64_t range,
                                                      std::uint64_t) {
  return source.take(range, true);
}
[[gnu::always_inline]] inline std::uint64_t uniform64(AheadSource& source, std::uint64_t range) {
  return source.take(range, true);
}

}  // namespace vantor::sampler

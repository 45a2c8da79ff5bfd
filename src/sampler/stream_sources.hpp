#pragma once

// Sources of the seeded stream that a draw written for a Generator takes as they are: the draws
// are templates over their source and ask it for uniform integers (random.hpp), so the same code
// draws a deal output by output, while recording what it asks, or from the stream read ahead.
//
// - RecordingSource: a Generator that notes the range of every uniform a draw asks for, so that
//   the ranges of a request's deals can be listed before they are drawn from the stream read
//   ahead.
// - AheadSource: one deal's uniforms answered from a ReadAhead's masks, for a plan of the ranges
//   the deal asks for in turn: each answer is the first output after the last one taken that the
//   step's range accepts, found with three bit operations on a 64-output window, and its value is
//   the high half of its product with the range. A deal that asks for another range than the
//   plan's, or whose outputs run past its window, is missed: its answers are then garbage (read
//   from inside the buffer) and the caller draws it again from the buffer, output by output.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sampler/random.hpp"
#include "sampler/read_ahead.hpp"

namespace vantor::sampler {

class RecordingSource {
 public:
  explicit RecordingSource(const Generator& generator) : generator_(generator) {}

  std::uint64_t next() { return generator_.next(); }
  void skip_through_low_output() {
    note({1, true});
    generator_.skip_through_low_output();
  }
  void note(const DrawRange& range) { asked_.push_back(range); }

  // The ranges asked for since the last clear().
  const std::vector<DrawRange>& asked() const { return asked_; }
  void clear() { asked_.clear(); }

 private:
  Generator generator_;
  std::vector<DrawRange> asked_;
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

// One step of a plan: the range the deal asks for, and its mask in the ReadAhead. A plan ends with
// a step of range 0, which no deal asks for, on a mask of no accepted output.
struct PlanStep {
  const std::uint8_t* mask = nullptr;
  std::uint64_t range = 0;
  bool wide = false;
};

class AheadSource {
 public:
  // `outputs` and the steps' masks are read from `frame` (a multiple of 8); `taken` marks the
  // frame's outputs already consumed; a deal may use the outputs that `usable` marks.
  AheadSource(const std::uint64_t* outputs, const PlanStep* plan, std::size_t frame,
              std::uint64_t taken, std::uint64_t usable)
      : outputs_(outputs + frame), step_(plan), frame_(frame), taken_(taken), usable_(usable) {}

  [[gnu::always_inline]] std::uint64_t take(std::uint64_t range, bool wide) {
    const PlanStep& step = *step_;
    missed_ |= step.range != range || step.wide != wide;
    // The plan's last step is a range no deal asks for: a deal longer than the plan stays on it.
    step_ += step.range != 0;
    const std::uint64_t accepted = ReadAhead::window(step.mask, frame_) & usable_ & ~taken_;
    // Every output up to the one taken; none leaves all marked, and every later step none.
    taken_ = accepted ^ (accepted - 1);
    const std::uint64_t output = outputs_[std::countr_zero(accepted)];
    return wide ? static_cast<std::uint64_t>((Count{output} * range) >> 64)
                : ((output >> 32) * range) >> 32;
  }
  [[gnu::always_inline]] void skip_through_low_output() { take(1, true); }

  // Whether the deal asked for a range the plan did not have there, or ran past its window.
  bool missed() const { return missed_ || taken_ == ~std::uint64_t{0}; }
  // The outputs consumed from the frame on: the position after the deal's last output is
  // frame + consumed().
  std::size_t consumed() const { return static_cast<std::size_t>(std::popcount(taken_)); }
  std::uint64_t taken() const { return taken_; }

 private:
  const std::uint64_t* outputs_;
  const PlanStep* step_;
  std::size_t frame_;
  std::uint64_t taken_;
  std::uint64_t usable_;
  bool missed_ = false;
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

#pragma once

// A piece's deals drawn from the stream read ahead (sampler/read_ahead.hpp) by the very draw that
// draws them output by output: DirectDraw's draws are templates over their source of the stream,
// and given an AheadSource (sampler/stream_sources.hpp) they take every uniform from the masks of
// a plan of the ranges a deal asks for. The plan is listed before the piece by recording the
// ranges of a few hundred deals drawn the plain way; it holds when every deal asks for the same
// ranges in the same order (or stops early, rejected, after a prefix of them), which is so for
// named hands, ranges of named hands, wildcards and the listed plans without a count of splits.
// A deal the plan misses is drawn again from the buffer output by output: the same outputs, the
// same cards. Nothing a piece draws depends on the plan; only how fast it draws.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "sampler/random.hpp"
#include "sampler/read_ahead.hpp"
#include "sampler/stream_sources.hpp"

namespace vantor::odds {

// The plan of a request's deals from a draw `draw(source)` (any source of the stream), or
// nothing when recorded deals disagree or a range cannot be read ahead.
template <class Draw>
std::optional<std::vector<sampler::DrawRange>> record_plan(Draw&& draw) {
  constexpr int kDeals = 256;
  sampler::RecordingSource source(sampler::Generator::seeded(0x9e3779b97f4a7c15));
  std::vector<sampler::DrawRange> plan;
  for (int deal = 0; deal < kDeals; ++deal) {
    source.clear();
    draw(source);
    const auto& asked = source.asked();
    const std::size_t common = std::min(asked.size(), plan.size());
    if (!std::equal(asked.begin(), asked.begin() + static_cast<std::ptrdiff_t>(common),
                    plan.begin())) {
      return std::nullopt;
    }
    if (asked.size() > plan.size()) plan = asked;
  }
  std::vector<sampler::DrawRange> distinct;
  for (const sampler::DrawRange& range : plan) {
    if (range.range == 0 || range.range >> 32 != 0) return std::nullopt;
    if (std::find(distinct.begin(), distinct.end(), range) == distinct.end()) {
      distinct.push_back(range);
    }
  }
  if (plan.empty() || distinct.size() > sampler::ReadAhead::kMostRanges) return std::nullopt;
  return plan;
}

class ReadAheadDeals {
 public:
  // Where the stream stands between deals: the next output to consume, the frame (a multiple of
  // 8 at or before it) the next deal's windows start at, and which of the frame's outputs are
  // used already. Kept by the loop apart from this object, so that nothing of it lives in memory
  // the tally's counters could be taken to alias.
  struct Place {
    std::size_t next;
    std::size_t frame;
    std::uint64_t used;
  };
  static Place place_at(std::size_t next) {
    const std::size_t frame = next & ~std::size_t{7};
    return {next, frame, (std::uint64_t{1} << (next - frame)) - 1};
  }

  // The distinct ranges of a plan, for the ReadAhead's masks.
  static std::vector<sampler::DrawRange> ranges(const std::vector<sampler::DrawRange>& plan) {
    std::vector<sampler::DrawRange> distinct;
    for (const sampler::DrawRange& range : plan) {
      if (std::find(distinct.begin(), distinct.end(), range) == distinct.end()) {
        distinct.push_back(range);
      }
    }
    return distinct;
  }

  // `ahead` was made with ranges(plan). A deal may use `window_use` outputs of its window at most
  // (ReadAhead::kWindowUse; fewer only in tests).
  ReadAheadDeals(sampler::ReadAhead& ahead, const std::vector<sampler::DrawRange>& plan,
                 std::size_t window_use = sampler::ReadAhead::kWindowUse)
      : ahead_(&ahead),
        no_output_(kNoOutputBytes, 0),
        usable_((std::uint64_t{1} << window_use) - 1) {
    for (const sampler::DrawRange& range : plan) {
      steps_.push_back({ahead.mask_bytes(ahead.mask_of(range)), range.range, range.wide});
    }
    steps_.push_back({no_output_.data(), 0, false});
  }

  // One deal: draw(source) with the stream read ahead from `place`, which moves past the outputs
  // the deal consumed, and again from the buffer where the plan missed it. Returns what draw
  // returns.
  template <class Draw>
  [[gnu::always_inline]] auto draw(Place& place, Draw&& draw) const {
    if (place.next >= sampler::kBlockLength) [[unlikely]] {
      place = place_at(ahead_->refill(place.next));
    }
    // The next deal's windows start where this one does, a deal later, so that their loads do
    // not wait for this deal's chain.
    const std::size_t next_frame = place.next & ~std::size_t{7};
    sampler::AheadSource source(ahead_->outputs(), steps_.data(), place.frame, place.used, usable_);
    auto drawn = draw(source);
    if (source.missed()) [[unlikely]] {
      sampler::BufferedStream stream(*ahead_, place.next);
      drawn = draw(stream);
      place = place_at(stream.position());
      return drawn;
    }
    place.next = place.frame + source.consumed();
    place.used = source.taken() >> (next_frame - place.frame);
    place.frame = next_frame;
    return drawn;
  }

 private:
  // The mask of the plan's end: no output accepted, over a whole window from any frame.
  static constexpr std::size_t kNoOutputBytes = sampler::ReadAhead::kCapacity / 8 + 8;

  sampler::ReadAhead* ahead_;
  std::vector<sampler::PlanStep> steps_;
  std::vector<std::uint8_t> no_output_;
  std::uint64_t usable_;
};

}  // namespace vantor::odds

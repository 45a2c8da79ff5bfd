#pragma once

// A piece's deals drawn from the stream read ahead (sampler/read_ahead.hpp) by the very draw that
// draws them output by output: DirectDraw's draws are templates over their source of the stream,
// and given an AheadSource (sampler/stream_sources.hpp) they take every uniform from the mask of
// its range. Which ranges need masks is found before the piece by recording the ranges a few
// hundred deals drawn the plain way ask for: those of the named hands' and the ranges' choices,
// each wildcard's card, a listed plan's set and the counts of splits that come up. A deal that
// asks for a range without a mask, or runs past its window, is drawn again from the buffer output
// by output: the same outputs, the same cards. Nothing a piece draws depends on the ranges
// recorded; only how fast it draws.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "sampler/random.hpp"
#include "sampler/read_ahead.hpp"
#include "sampler/stream_sources.hpp"

namespace vantor::odds {

// What a request's deals ask of the stream: the distinct ranges, and the outputs a deal consumes
// at the most of those recorded.
struct RecordedDeals {
  std::vector<sampler::DrawRange> ranges;
  std::uint64_t most_outputs = 0;
};

// What the deals of `draw(source)` (on any source of the stream) ask for, or nothing when their
// ranges are too many to read ahead or one cannot be.
template <class Draw>
std::optional<RecordedDeals> record_ranges(Draw&& draw) {
  constexpr int kDeals = 256;
  sampler::Recording recording;
  sampler::RecordingSource source(sampler::Generator::seeded(0x9e3779b97f4a7c15), recording);
  RecordedDeals recorded;
  std::vector<sampler::DrawRange>& ranges = recorded.ranges;
  for (int deal = 0; deal < kDeals; ++deal) {
    recording.clear();
    draw(source);
    recorded.most_outputs = std::max(recorded.most_outputs, recording.outputs);
    for (const sampler::DrawRange& range : recording.asked) {
      if (std::find(ranges.begin(), ranges.end(), range) != ranges.end()) continue;
      if (range.range == 0 || range.range >> 32 != 0 ||
          (!range.wide && range.range > sampler::RangeMasks::kSmallRanges)) {
        return std::nullopt;
      }
      ranges.push_back(range);
    }
  }
  if (ranges.empty() || ranges.size() > sampler::ReadAhead::kMostRanges) return std::nullopt;
  return recorded;
}

class ReadAheadDeals {
 public:
  using Place = sampler::StreamPlace;

  // Deals of at most this many outputs start their windows a deal late, at the frame of the deal
  // before, so that the loads of a deal's windows do not wait for the deal before to end: such
  // deals leave room enough in a window after the deal before. Longer ones start their windows
  // at their own first output.
  static constexpr std::uint64_t kMostOutputsLate = 24;

  // `ahead` was made with `recorded.ranges` (record_ranges()). A deal may use `window_use`
  // outputs of its window at most (ReadAhead::kWindowUse; fewer only in tests).
  ReadAheadDeals(sampler::ReadAhead& ahead, const RecordedDeals& recorded,
                 std::size_t window_use = sampler::ReadAhead::kWindowUse)
      : ahead_(&ahead),
        no_output_(sampler::ReadAhead::kCapacity / 8 + 8, 0),
        usable_((std::uint64_t{1} << window_use) - 1),
        late_(recorded.most_outputs <= kMostOutputsLate) {
    masks_.clear(no_output_.data());
    for (const sampler::DrawRange& range : recorded.ranges) {
      masks_.set(range, ahead.mask_bytes(ahead.mask_of(range)));
    }
  }

  // One deal: draw(source) with the stream read ahead from `place`, which moves past the outputs
  // the deal consumed, and again from the buffer where the read-ahead missed it. Returns what draw
  // returns.
  template <class Draw>
  [[gnu::always_inline]] auto draw(Place& place, Draw&& draw) const {
    if (place.next >= sampler::kBlockLength) [[unlikely]] {
      place = Place::at(ahead_->refill(place.next));
    }
    if (!late_) place = Place::at(place.next);
    // The next deal's windows start where this one does, a deal later, so that their loads do
    // not wait for this deal's chain (where deals are short enough, else they start again).
    const std::size_t next_frame = place.next & ~std::size_t{7};
    sampler::AheadSource source(ahead_->outputs(), masks_, place.frame, place.used, usable_);
    auto drawn = draw(source);
    if (source.missed()) [[unlikely]] {
      sampler::BufferedStream stream(*ahead_, place.next);
      drawn = draw(stream);
      place = Place::at(stream.position());
      return drawn;
    }
    place.next = place.frame + source.consumed();
    place.used = source.taken() >> (next_frame - place.frame);
    place.frame = next_frame;
    return drawn;
  }

 private:
  sampler::ReadAhead* ahead_;
  std::vector<std::uint8_t> no_output_;  // a mask of no accepted output, over any window
  sampler::RangeMasks masks_;
  std::uint64_t usable_;
  bool late_;
};

}  // namespace vantor::odds

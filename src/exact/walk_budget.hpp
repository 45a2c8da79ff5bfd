#pragma once

// What bounds an exact walk: the deals it may still spend, and its looks at the caller's stop
// check. A walk asks to stop by the steps it takes (hands tried while listing, hands counted,
// choices passed over) and by the deals it spends, each once per kStopCheckInterval, so that it
// answers a stop within one interval whichever part of the walk it is in.

#include <cstdint>

#include "interruption/interruption.hpp"
#include "sampler/count.hpp"

namespace vantor::odds {

// The most deals a walk visits, scored or not; past it, the walk declines.
inline constexpr std::uint64_t kDealLimit = 50'000'000;
// The most hands, over all seats, the walk keeps to combine (about 40 bytes each). Hands with a
// card another seat or the board certainly holds are not kept, so the largest spots that fit the
// deal limit keep far fewer: an unknown six-card Omaha hand against a known one on the river
// keeps 4,496,388, an unknown stud hand with one ace against seven known cards 7,059,052.
inline constexpr std::uint64_t kCandidateLimit = 10'000'000;

class WalkBudget {
 public:
  explicit WalkBudget(StopCheck& stop) : stop_(stop) {}

  // One step; false when the call is to stop.
  [[gnu::always_inline]] bool step() { return --until_check_ != 0 || look_after_steps(); }
  // `count` steps taken at once, as in a tight loop; false when the call is to stop.
  bool steps(std::uint64_t count) {
    until_check_ = until_check_ > count ? until_check_ - count : 1;
    return step();
  }
  // Before a group of deals is walked: looks when an interval of deals has been spent since the
  // last look. False when the call is to stop.
  [[gnu::always_inline]] bool before_deals() { return left_ >= next_look_ || look_after_deals(); }
  // Looks now; false when the call is to stop.
  bool look() {
    stopped_ = stopped_ || stop_.should_stop();
    return !stopped_;
  }

  // Takes `deals` from what is left; false, taking nothing, when fewer are left.
  bool spend(sampler::Count deals) {
    if (deals > left_) return false;
    left_ -= static_cast<std::uint64_t>(deals);
    return true;
  }
  std::uint64_t left() const { return left_; }
  // Whether the stop check said stop.
  bool stopped() const { return stopped_; }

 private:
  // Out of line and cold, so that they add next to nothing to the loops they sit in.
  [[gnu::noinline, gnu::cold]] bool look_after_steps() {
    until_check_ = kStopCheckInterval;
    return look();
  }
  [[gnu::noinline, gnu::cold]] bool look_after_deals() {
    next_look_ = left_ > kStopCheckInterval ? left_ - kStopCheckInterval : 0;
    return look();
  }

  StopCheck& stop_;
  std::uint64_t left_ = kDealLimit;
  std::uint64_t next_look_ = kDealLimit - kStopCheckInterval;  // before_deals() looks below this
  std::uint64_t until_check_ = kStopCheckInterval;             // step() looks at 0
  bool stopped_ = false;
};

}  // namespace vantor::odds

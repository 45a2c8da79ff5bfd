#include "interruption/interruption.hpp"

namespace vantor::odds {

CallerWatch::CallerWatch(Caller* caller)
    : caller_(caller), next_look_(std::chrono::steady_clock::now() + kCallerPeriod) {}

bool CallerWatch::should_stop() {
  if (stopped_ || caller_ == nullptr) return stopped_;
  const auto now = std::chrono::steady_clock::now();
  if (now < next_look_) return false;
  stopped_ = caller_->interrupted();
  // Counted from after the look: taking the interpreter lock back can itself take a while.
  next_look_ = std::chrono::steady_clock::now() + kCallerPeriod;
  return stopped_;
}

std::string Stopped::display() const { return "the call was stopped before it finished"; }

}  // namespace vantor::odds

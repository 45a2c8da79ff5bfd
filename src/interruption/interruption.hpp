#pragma once

// Stopping a long call early. The thread that makes a call (a batch or an exact walk) looks at
// its caller now and then while the call works: the module frame takes the interpreter lock back
// for a moment and runs the signal handlers, so Ctrl-C reaches a long call. When the caller says
// stop, the work ends at its next check, everywhere it runs, and the call reports Stopped.
//
// Checks are cheap: a loop asks its StopCheck once per kStopCheckInterval deals (or steps of
// listing and counting), a pool worker then reads one flag, and the calling thread reads the clock
// and asks its caller only once per kCallerPeriod. A call that finishes sooner never asks at all,
// and nothing a call returns depends on whether or when it was asked.

#include <chrono>
#include <cstdint>
#include <string>

namespace vantor::odds {

// How many deals or steps a loop runs between two looks at its StopCheck.
inline constexpr std::uint64_t kStopCheckInterval = 4096;
// How long the calling thread works or waits between two looks at its caller.
inline constexpr std::chrono::milliseconds kCallerPeriod{50};

// What a long loop asks every kStopCheckInterval deals: true when it is to stop now.
class StopCheck {
 public:
  virtual bool should_stop() = 0;

 protected:
  ~StopCheck() = default;
};

// The caller's side, which the module frame implements: true when the call is to stop (a signal
// handler raised). Only ever asked on the thread that made the call.
class Caller {
 public:
  virtual bool interrupted() = 0;

 protected:
  ~Caller() = default;
};

// The calling thread's StopCheck: asks its Caller (if any) at most once per kCallerPeriod and
// remembers a stop.
class CallerWatch final : public StopCheck {
 public:
  explicit CallerWatch(Caller* caller);

  // Asks the caller if the period has passed since it was last asked; true once it said stop.
  bool should_stop() override;
  // Whether the caller said stop.
  bool stopped() const { return stopped_; }

 private:
  Caller* caller_;
  std::chrono::steady_clock::time_point next_look_;
  bool stopped_ = false;
};

// The outcome of a call its caller stopped. Not a refusal of the request: the frame raises what
// the caller's own check found (KeyboardInterrupt, say).
struct Stopped {
  std::string display() const;
  friend bool operator==(const Stopped&, const Stopped&) = default;
};

}  // namespace vantor::odds

#pragma once

// Running engine work with the interpreter lock released, in a way that survives the two things
// that can happen to the thread meanwhile: a signal, and the interpreter shutting down.
//
// While the work runs, the calling thread takes the lock back for a moment every
// odds::kCallerPeriod and runs the signal handlers; a handler that raises (Ctrl-C's
// KeyboardInterrupt) stops the work, and the entry returns with that exception set.
//
// The lock is only ever taken back by plain function calls, never by a destructor. While the
// interpreter shuts down, CPython 3.12 and earlier end a thread that asks for the lock with
// pthread_exit(), which unwinds the thread's C++ frames with a forced unwind, and an unwind that
// meets a noexcept frame (every destructor is one) aborts the process. So no frame between a
// module entry and a request for the lock is noexcept, and every catch (...) on the way lets the
// unwind through; the batch runner stops its pieces on the way out (running/batch_runner.hpp).

#include <Python.h>

#include <exception>
#include <optional>
#include <type_traits>
#include <utility>

#include "interruption/interruption.hpp"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#endif

namespace vantor::frame {

// PyEval_RestoreThread(), which may end the thread at shutdown by a forced unwind that
// AddressSanitizer does not see: the redzones of the frames it passes would stay poisoned while
// their cleanups run, and be reported. So in a sanitized build the stack's redzones are cleared
// first, as the sanitizer itself does before a throw.
inline void restore_thread(PyThreadState* state) {
#if defined(__SANITIZE_ADDRESS__)
  __asan_handle_no_return();
#endif
  PyEval_RestoreThread(state);
}

// The caller of engine work while the lock is released: asking it takes the lock back, runs the
// signal handlers and releases the lock again. Only for the thread that released the lock.
class SignalCheck final : public odds::Caller {
 public:
  // Releases the lock.
  SignalCheck() : state_(PyEval_SaveThread()) {}
  SignalCheck(const SignalCheck&) = delete;
  SignalCheck& operator=(const SignalCheck&) = delete;

  bool interrupted() override {
    restore_thread(state_);
    const bool raised = PyErr_CheckSignals() != 0;
    state_ = PyEval_SaveThread();
    return raised;
  }

  // Takes the lock back for good.
  void take_lock_back() { restore_thread(state_); }

 private:
  PyThreadState* state_;
};

// Runs work(caller) with the interpreter lock released and returns what it returns; `caller` is
// the odds::Caller the work hands to the engine so that signals can stop it. Nothing inside may
// touch a Python object. A C++ exception from the work is raised again once the lock is back.
template <class Work>
auto without_lock(Work&& work) {
  using Result = decltype(work(std::declval<odds::Caller*>()));
  SignalCheck caller;
  std::conditional_t<std::is_void_v<Result>, bool, std::optional<Result>> result{};
  std::exception_ptr fault;
  try {
    if constexpr (std::is_void_v<Result>) {
      work(&caller);
    } else {
      result.emplace(work(&caller));
    }
  } catch (...) {
    fault = std::current_exception();
    // No C++ exception: the forced unwind of a thread the interpreter is ending, which nothing
    // may hold up.
    if (!fault) throw;
  }
  caller.take_lock_back();
  if (fault) std::rethrow_exception(fault);
  if constexpr (!std::is_void_v<Result>) return std::move(*result);
}

}  // namespace vantor::frame

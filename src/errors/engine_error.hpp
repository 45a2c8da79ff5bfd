#pragma once

// EngineError: the one error type that leaves the engine. Each subsystem owns its own error struct
// (data plus one display()); this variant gathers them so that the module frame has a single
// thing to turn into a Python exception.

#include <string>
#include <variant>

#include "cards/card.hpp"
#include "errors/request_error.hpp"
#include "interruption/interruption.hpp"
#include "notation/notation_error.hpp"
#include "variants/equity.hpp"
#include "variants/rankings/kernels.hpp"

namespace vantor {

// A broken invariant found at run time, reported instead of crashing. It names what went wrong
// for the bug report; no caller input can produce one.
struct InternalFault {
  std::string what;

  std::string display() const;
};

// A notation error displays in its inline form, "{message} (at byte {position})".
// odds::Stopped is a call its caller stopped, which the frame answers with the caller's own
// exception rather than a message.
using EngineError =
    std::variant<cards::CardError, notation::NotationError, variants::UnknownGame,
                 rankings::UnknownKernel, odds::RequestError, InternalFault, odds::Stopped>;

// The message a caller sees: the owning subsystem's display text, unchanged.
std::string display(const EngineError& error);

// Internal faults are reported as RuntimeError; every other engine error is a ValueError.
bool is_internal_fault(const EngineError& error);

}  // namespace vantor

#pragma once

// Python arguments into engine values and engine errors into Python exceptions.
//
// Every converter keeps the C API's contract: it returns false with a Python exception set, or
// true with `out` filled. A null `object` is a parameter left to its default: `out` keeps the
// default value the caller put there. A wrong type is a TypeError whose text starts "argument
// '{name}': "; an integer out of range is an OverflowError without that prefix.

#include <Python.h>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <new>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "cards/card.hpp"
#include "cards/masks.hpp"
#include "errors/engine_error.hpp"
#include "frame/py_ref.hpp"
#include "notation/parser.hpp"
#include "variants/equity.hpp"

namespace vantor::frame {

// The parameter list of one module function. Every parameter is positional-or-keyword; the first
// `required` have no default.
struct Parameters {
  const char* function;
  const char* const* names;
  std::size_t count;
  std::size_t required;
};

// Binds vectorcall arguments to `out[0..count)` (borrowed references, nullptr where a default
// applies): positional ones first, then keywords. Every binding error is found here, before any
// value is converted.
bool bind(const Parameters& parameters, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
          PyObject** out);

// A str, as the UTF-8 bytes Python caches inside the object: valid while `object` is alive.
bool to_text(PyObject* object, const char* parameter, std::string_view& out);
// Any int, int subclass (True is 1) or object with __index__.
bool to_u64(PyObject* object, const char* parameter, std::uint64_t& out);
bool to_size(PyObject* object, const char* parameter, std::size_t& out);
// 0..255; anything else is OverflowError "out of range integral type conversion attempted".
bool to_u8(PyObject* object, const char* parameter, std::uint8_t& out);
// A real bool: 1 or None is refused rather than read as truthy.
bool to_bool(PyObject* object, const char* parameter, bool& out);

// List parameters take any sequence except a str, which would otherwise be read character by
// character. The strings are copied, so they stay valid with the interpreter lock released.
bool to_text_list(PyObject* object, const char* parameter, std::vector<std::string>& out);

// The length of a list argument, refusing a str and anything that is not a sequence.
bool sequence_length(PyObject* object, const char* parameter, Py_ssize_t& length);

// Calls `start(length)` once, then `visit(text)` for each item of a list of str, in order, with
// the same refusals as to_text_list but without copying: the view lives only during the call.
// Exact lists and tuples are read in place, since reading them runs no Python code.
template <class Start, class Visit>
bool visit_text_items(PyObject* object, const char* parameter, Start&& start, Visit&& visit) {
  Py_ssize_t length;
  if (!sequence_length(object, parameter, length)) return false;
  start(static_cast<std::size_t>(length));
  const bool is_list = PyList_CheckExact(object), is_tuple = PyTuple_CheckExact(object);
  for (Py_ssize_t i = 0; i < length; ++i) {
    PyRef owned;
    PyObject* item;
    if (is_list) {
      item = PyList_GetItem(object, i);
    } else if (is_tuple) {
      item = PyTuple_GetItem(object, i);
    } else {
      owned = PyRef(PySequence_GetItem(object, i));
      item = owned.get();
    }
    std::string_view text;
    if (!item || !to_text(item, parameter, text)) return false;
    visit(text);
  }
  return true;
}
bool to_mask_list(PyObject* object, const char* parameter, std::vector<cards::CardMask>& out);

// The mask form of `hands`: per seat, its whole alternatives; per alternative, one mask per card.
using SeatMasks = std::vector<cards::SeatAlternatives>;
bool to_seat_masks(PyObject* object, const char* parameter, SeatMasks& out);

// The dict variants() lists for one catalogue entry: key, label, hole_cards, board_cards, deck and
// deck_size, in that order. Null with the error set on failure.
PyObject* variant_dict(const variants::Variant& variant);

// A new list of ints, one per value, created at its final length.
PyObject* int_list(std::span<const std::uint32_t> values);

// Raises the engine error (ValueError with its display text, RuntimeError for an internal fault)
// and returns nullptr, so an entry can `return raise(error);`. A call a signal handler stopped
// returns with the handler's exception, which is set already.
PyObject* raise(const EngineError& error);

// Raises ValueError with the pointer form of a notation error under `text`, the field as the
// caller passed it, and returns nullptr.
PyObject* raise_pointing(const notation::NotationError& error, std::string_view text);

// A hand field's alternatives as a new list of lists of int.
PyObject* to_python(const notation::Alternatives& alternatives);

// Runs an entry's body so that no C++ exception reaches the interpreter: running out of memory,
// or asking for more than could ever be allocated (a sequence claiming 2**62 items), is
// MemoryError; anything else is a RuntimeError naming the fault. The module stays usable. The
// one unwind let through is the forced one of a thread the interpreter ends at shutdown, which is
// also why this is not noexcept (lock_release.hpp).
template <class Body>
PyObject* guarded(Body&& body) {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return PyErr_NoMemory();
  } catch (const std::length_error&) {
    return PyErr_NoMemory();
  } catch (const std::exception& fault) {
    return raise(InternalFault{fault.what()});
  } catch (...) {
    if (!std::current_exception()) throw;  // not a C++ exception: the forced unwind
    return raise(InternalFault{"an unknown exception"});
  }
}

}  // namespace vantor::frame

#include "frame/convert.hpp"

#include "frame/py_ref.hpp"
#include "request/request.hpp"

namespace vantor::frame {

namespace {

// TypeError "argument '{parameter}': '{type of object}' object {complaint}".
bool type_error(PyObject* object, const char* parameter, const char* complaint) {
  PyRef type_name(PyObject_GetAttrString(reinterpret_cast<PyObject*>(Py_TYPE(object)), "__name__"));
  if (!type_name) return false;
  PyErr_Format(PyExc_TypeError, "argument '%s': '%U' object %s", parameter, type_name.get(),
               complaint);
  return false;
}

bool overflow_error() {
  PyErr_SetString(PyExc_OverflowError, "out of range integral type conversion attempted");
  return false;
}

// The int behind an integer argument (an int, a subclass such as bool, or anything with
// __index__), or null with the error set.
PyRef as_integer(PyObject* object, const char* parameter) {
  if (!PyIndex_Check(object)) {
    type_error(object, parameter, "cannot be interpreted as an integer");
    return PyRef();
  }
  return PyRef(PyNumber_Index(object));
}

// Converts each item of a list argument with `read_item(item, element)` into a new element of
// `out`, in order. A length that the sequence cannot honour fails in the item access.
template <class T, class ReadItem>
bool read_items(PyObject* object, const char* parameter, std::vector<T>& out,
                ReadItem&& read_item) {
  out.clear();
  Py_ssize_t length;
  if (!sequence_length(object, parameter, length)) return false;
  out.reserve(static_cast<std::size_t>(length));
  for (Py_ssize_t i = 0; i < length; ++i) {
    PyRef item(PySequence_GetItem(object, i));
    if (!item) return false;
    if (!read_item(item.get(), out.emplace_back())) return false;
  }
  return true;
}

bool same_name(PyObject* keyword, const char* name) {
  return PyUnicode_CompareWithASCIIString(keyword, name) == 0;
}

}  // namespace

bool sequence_length(PyObject* object, const char* parameter, Py_ssize_t& length) {
  if (PyUnicode_Check(object)) {
    PyErr_Format(PyExc_TypeError, "argument '%s': Can't extract `str` to `Vec`", parameter);
    return false;
  }
  if (!PySequence_Check(object)) {
    return type_error(object, parameter, "cannot be converted to 'Sequence'");
  }
  length = PySequence_Size(object);
  if (length >= 0) return true;
  // A class with __getitem__ but no __len__ passes the check above and fails here.
  if (!PyErr_ExceptionMatches(PyExc_TypeError)) return false;
  PyErr_Clear();
  return type_error(object, parameter, "cannot be converted to 'Sequence'");
}

bool bind(const Parameters& parameters, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
          PyObject** out) {
  const char* function = parameters.function;
  const auto count = static_cast<Py_ssize_t>(parameters.count);
  if (nargs > count) {
    if (count == 0) {
      PyErr_Format(PyExc_TypeError, "%s() takes no arguments (%zd given)", function, nargs);
    } else {
      const char* bound = parameters.required == parameters.count ? "exactly" : "at most";
      PyErr_Format(PyExc_TypeError, "%s() takes %s %zd positional argument%s (%zd given)", function,
                   bound, count, count == 1 ? "" : "s", nargs);
    }
    return false;
  }
  for (Py_ssize_t i = 0; i < count; ++i) out[i] = i < nargs ? args[i] : nullptr;

  const Py_ssize_t keywords = kwnames ? PyTuple_Size(kwnames) : 0;
  for (Py_ssize_t k = 0; k < keywords; ++k) {
    PyObject* keyword = PyTuple_GetItem(kwnames, k);
    if (!keyword) return false;
    Py_ssize_t slot = 0;
    while (slot < count && !same_name(keyword, parameters.names[slot])) ++slot;
    if (slot == count) {
      PyErr_Format(PyExc_TypeError, "%s() got an unexpected keyword argument '%U'", function,
                   keyword);
      return false;
    }
    if (out[slot]) {
      PyErr_Format(PyExc_TypeError, "%s() got multiple values for argument '%s'", function,
                   parameters.names[slot]);
      return false;
    }
    out[slot] = args[nargs + k];
  }

  for (std::size_t i = 0; i < parameters.required; ++i) {
    if (!out[i]) {
      PyErr_Format(PyExc_TypeError, "%s() missing required argument '%s' (pos %zu)", function,
                   parameters.names[i], i + 1);
      return false;
    }
  }
  return true;
}

bool to_text(PyObject* object, const char* parameter, std::string_view& out) {
  if (!object) return true;  // left to its default
  if (!PyUnicode_Check(object))
    return type_error(object, parameter, "cannot be converted to 'str'");
  Py_ssize_t size;
  const char* bytes = PyUnicode_AsUTF8AndSize(object, &size);
  if (!bytes) return false;  // lone surrogates: UnicodeEncodeError says which
  out = std::string_view(bytes, static_cast<std::size_t>(size));
  return true;
}

bool to_u64(PyObject* object, const char* parameter, std::uint64_t& out) {
  if (!object) return true;  // left to its default
  const PyRef integer = as_integer(object, parameter);
  if (!integer) return false;
  // Raises OverflowError for negative numbers and for numbers of more than 64 bits.
  const unsigned long long value = PyLong_AsUnsignedLongLong(integer.get());
  if (value == static_cast<unsigned long long>(-1) && PyErr_Occurred()) return false;
  out = value;
  return true;
}

bool to_size(PyObject* object, const char* parameter, std::size_t& out) {
  if (!object) return true;  // left to its default
  static_assert(sizeof(std::size_t) <= sizeof(std::uint64_t));
  std::uint64_t value;
  if (!to_u64(object, parameter, value)) return false;
  if (value > SIZE_MAX) return overflow_error();
  out = static_cast<std::size_t>(value);
  return true;
}

bool to_u8(PyObject* object, const char* parameter, std::uint8_t& out) {
  if (!object) return true;  // left to its default
  const PyRef integer = as_integer(object, parameter);
  if (!integer) return false;
  int overflow = 0;
  const long long value = PyLong_AsLongLongAndOverflow(integer.get(), &overflow);
  if (value == -1 && PyErr_Occurred()) return false;
  if (overflow != 0 || value < 0 || value > 255) return overflow_error();
  out = static_cast<std::uint8_t>(value);
  return true;
}

bool to_bool(PyObject* object, const char* parameter, bool& out) {
  if (!object) return true;  // left to its default
  if (!PyBool_Check(object)) return type_error(object, parameter, "cannot be converted to 'bool'");
  out = object == Py_True;
  return true;
}

bool to_text_list(PyObject* object, const char* parameter, std::vector<std::string>& out) {
  if (!object) return true;  // left to its default
  return read_items(object, parameter, out, [parameter](PyObject* item, std::string& text) {
    std::string_view view;
    if (!to_text(item, parameter, view)) return false;
    text.assign(view);
    return true;
  });
}

bool to_mask_list(PyObject* object, const char* parameter, std::vector<cards::CardMask>& out) {
  if (!object) return true;  // left to its default
  return read_items(object, parameter, out, [parameter](PyObject* item, cards::CardMask& mask) {
    return to_u64(item, parameter, mask);
  });
}

bool to_seat_masks(PyObject* object, const char* parameter, SeatMasks& out) {
  if (!object) return true;  // left to its default
  // A seat's length is checked before its alternatives are converted: a list holding one
  // alternative a million times is a few megabytes in Python and gigabytes once prepared.
  std::size_t total = 0;
  return read_items(object, parameter, out, [&](PyObject* seat, auto& alternatives) {
    Py_ssize_t length;
    if (!sequence_length(seat, parameter, length)) return false;
    const auto count = static_cast<std::size_t>(length);
    total += count;
    if (count > notation::kMostFieldAlternatives) {
      raise(odds::RequestError::too_many_alternatives(notation::kMostFieldAlternatives, false));
      return false;
    }
    if (total > odds::kMostAlternatives) {
      raise(odds::RequestError::too_many_alternatives(odds::kMostAlternatives, true));
      return false;
    }
    return read_items(seat, parameter, alternatives, [parameter](PyObject* item, auto& masks) {
      return to_mask_list(item, parameter, masks);
    });
  });
}

PyObject* raise(const EngineError& error) {
  if (std::holds_alternative<odds::Stopped>(error) && PyErr_Occurred() != nullptr) return nullptr;
  const std::string message = display(error);
  PyObject* type = is_internal_fault(error) ? PyExc_RuntimeError : PyExc_ValueError;
  PyRef text(
      PyUnicode_DecodeUTF8(message.data(), static_cast<Py_ssize_t>(message.size()), "replace"));
  if (text) PyErr_SetObject(type, text.get());
  return nullptr;
}

PyObject* raise_pointing(const notation::NotationError& error, std::string_view text) {
  // Built with its length, not as a C string: the field may hold NUL characters, and the
  // message must show the text exactly as received.
  const std::string message = error.pointer_form(text);
  PyRef value(
      PyUnicode_DecodeUTF8(message.data(), static_cast<Py_ssize_t>(message.size()), "replace"));
  if (value) PyErr_SetObject(PyExc_ValueError, value.get());
  return nullptr;
}

PyObject* to_python(const notation::Alternatives& alternatives) {
  PyRef list(PyList_New(static_cast<Py_ssize_t>(alternatives.size())));
  if (!list) return nullptr;
  for (std::size_t i = 0; i < alternatives.size(); ++i) {
    const notation::Alternative& masks = alternatives[i];
    PyRef inner(PyList_New(static_cast<Py_ssize_t>(masks.size())));
    if (!inner) return nullptr;
    for (std::size_t j = 0; j < masks.size(); ++j) {
      PyObject* mask = PyLong_FromUnsignedLongLong(masks[j]);
      // PyList_SetItem steals the reference, even when it fails.
      if (!mask || PyList_SetItem(inner.get(), static_cast<Py_ssize_t>(j), mask) < 0) {
        return nullptr;
      }
    }
    if (PyList_SetItem(list.get(), static_cast<Py_ssize_t>(i), inner.release()) < 0) {
      return nullptr;
    }
  }
  return list.release();
}

PyObject* variant_dict(const variants::Variant& variant) {
  PyRef dict(PyDict_New());
  if (!dict) return nullptr;
  auto put = [&dict](const char* key, PyObject* value) {
    const PyRef owned(value);
    return owned && PyDict_SetItemString(dict.get(), key, owned.get()) == 0;
  };
  auto text = [](std::string_view value) {
    return PyUnicode_FromStringAndSize(value.data(), static_cast<Py_ssize_t>(value.size()));
  };
  if (!put("key", text(variant.key)) || !put("label", text(variant.label)) ||
      !put("hole_cards", PyLong_FromUnsignedLong(variant.hole_cards)) ||
      !put("board_cards", PyLong_FromUnsignedLong(variant.board_cards)) ||
      !put("deck", PyLong_FromUnsignedLongLong(variant.deck)) ||
      !put("deck_size", PyLong_FromUnsignedLong(variant.deck_size))) {
    return nullptr;
  }
  return dict.release();
}

PyObject* int_list(std::span<const std::uint32_t> values) {
  PyRef list(PyList_New(static_cast<Py_ssize_t>(values.size())));
  if (!list) return nullptr;
  // A big batch of hand values repeats a few thousand distinct numbers, so each int object is
  // made once and shared; creating ints is most of the cost of returning a batch.
  constexpr std::uint32_t kShared = 1u << 16;
  std::vector<PyRef> shared(values.size() >= 4 * kShared ? kShared : 0);
  for (std::size_t i = 0; i < values.size(); ++i) {
    PyObject* item;
    if (values[i] < shared.size()) {
      PyRef& cached = shared[values[i]];
      if (!cached) cached = PyRef(PyLong_FromUnsignedLong(values[i]));
      item = cached.get();
      Py_XINCREF(item);
    } else {
      item = PyLong_FromUnsignedLong(values[i]);
    }
    if (!item) return nullptr;
    PyList_SetItem(list.get(), static_cast<Py_ssize_t>(i), item);
  }
  return list.release();
}

}  // namespace vantor::frame

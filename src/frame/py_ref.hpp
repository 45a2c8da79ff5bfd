#pragma once

// Ownership helpers for the module frame. Only the frame includes Python's headers.

#include <Python.h>

namespace vantor::frame {

// Owns one strong reference (or none) and drops it when it goes out of scope, so that no early
// return needs its own Py_DECREF.
class PyRef {
 public:
  PyRef() = default;
  explicit PyRef(PyObject* owned) : object_(owned) {}
  PyRef(const PyRef&) = delete;
  PyRef& operator=(const PyRef&) = delete;
  PyRef(PyRef&& other) noexcept : object_(other.release()) {}
  PyRef& operator=(PyRef&& other) noexcept {
    PyObject* previous = object_;
    object_ = other.release();
    Py_XDECREF(previous);
    return *this;
  }
  ~PyRef() { Py_XDECREF(object_); }

  PyObject* get() const { return object_; }
  // Hands the reference to the caller, typically as a function's return value.
  PyObject* release() {
    PyObject* owned = object_;
    object_ = nullptr;
    return owned;
  }
  explicit operator bool() const { return object_ != nullptr; }

 private:
  PyObject* object_ = nullptr;
};

}  // namespace vantor::frame

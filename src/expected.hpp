#pragma once

// Expected<T, E>: the result of every reader, builder and walker of the engine, either a value or
// the error that stopped it. It mirrors the parts of C++23's std::expected the engine uses, so it
// can be swapped for the standard type once the toolchain has it.

#include <optional>
#include <stdexcept>
#include <type_traits>
#include <utility>
#include <variant>

namespace vantor {

// Reading the value of a failed result (or the error of a successful one) is a programming error.
// It throws, like std::bad_expected_access, so that the module frame can turn it into a Python
// exception instead of letting undefined behaviour take the interpreter down.
class BadExpectedAccess : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

// The error branch, so that a T and an E that convert into each other never make a constructor
// ambiguous.
template <class E>
struct Failure {
  E error;
};

template <class E>
[[nodiscard]] Failure<std::decay_t<E>> fail(E&& error) {
  return {std::forward<E>(error)};
}

template <class T, class E>
class [[nodiscard]] Expected {
 public:
  Expected(const T& value) : state_(std::in_place_index<0>, value) {}
  Expected(T&& value) : state_(std::in_place_index<0>, std::move(value)) {}
  template <class G>
  Expected(Failure<G> failure) : state_(std::in_place_index<1>, std::move(failure.error)) {}

  bool has_value() const { return state_.index() == 0; }
  explicit operator bool() const { return has_value(); }

  T& value() & { return std::get<0>(checked(true)); }
  const T& value() const& { return std::get<0>(checked(true)); }
  T&& value() && { return std::move(std::get<0>(checked(true))); }
  E& error() & { return std::get<1>(checked(false)); }
  const E& error() const& { return std::get<1>(checked(false)); }
  E&& error() && { return std::move(std::get<1>(checked(false))); }

  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }

 private:
  std::variant<T, E>& checked(bool want_value) {
    if (has_value() != want_value) throw BadExpectedAccess(access_message(want_value));
    return state_;
  }
  const std::variant<T, E>& checked(bool want_value) const {
    if (has_value() != want_value) throw BadExpectedAccess(access_message(want_value));
    return state_;
  }
  static const char* access_message(bool want_value) {
    return want_value ? "the value of a failed result was read"
                      : "the error of a successful result was read";
  }

  std::variant<T, E> state_;
};

// For operations that either succeed with nothing to return or fail.
template <class E>
class [[nodiscard]] Expected<void, E> {
 public:
  Expected() = default;
  template <class G>
  Expected(Failure<G> failure) : error_(std::in_place, std::move(failure.error)) {}

  bool has_value() const { return !error_.has_value(); }
  explicit operator bool() const { return has_value(); }

  void value() const {
    if (!has_value()) throw BadExpectedAccess("the value of a failed result was read");
  }
  const E& error() const& {
    if (has_value()) throw BadExpectedAccess("the error of a successful result was read");
    return *error_;
  }
  E&& error() && {
    if (has_value()) throw BadExpectedAccess("the error of a successful result was read");
    return std::move(*error_);
  }

 private:
  std::optional<E> error_;
};

}  // namespace vantor

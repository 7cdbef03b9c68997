// A value or the reason there is none: how errors a user can cause travel.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace kelvora {

// A refusal: the message the operator sees and, where it helps, what it concerns
// (the key or table cell that did not convert, the lines that were skipped).
struct Failure {
  std::string message;
  std::string detail;
  // The 0-based row of the list the refusal concerns, when it concerns one, so
  // that the command line can name the line of the file that row came from.
  std::optional<std::size_t> row = std::nullopt;
};

template <typename T>
class Outcome {
 public:
  Outcome(T value) : state_(std::move(value)) {}            // NOLINT: implicit by design
  Outcome(Failure failure) : state_(std::move(failure)) {}  // NOLINT: implicit by design

  bool ok() const { return state_.index() == 0; }
  explicit operator bool() const { return ok(); }
  T& value() { return std::get<0>(state_); }
  const T& value() const { return std::get<0>(state_); }
  T& operator*() { return value(); }
  const T& operator*() const { return value(); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }
  const Failure& failure() const { return std::get<1>(state_); }

 private:
  std::variant<T, Failure> state_;
};

// The outcome of an action that gives nothing back but may be refused (a file
// written, a control clicked): success, or the reason.
template <>
class Outcome<void> {
 public:
  Outcome() = default;                                        // success
  Outcome(Failure failure) : failure_(std::move(failure)) {}  // NOLINT: implicit by design

  bool ok() const { return !failure_.has_value(); }
  explicit operator bool() const { return ok(); }
  const Failure& failure() const { return *failure_; }

 private:
  std::optional<Failure> failure_;
};

// A refusal that is only a message.
inline Outcome<void> Refused(std::string message) {
  return Failure{std::move(message), {}};
}

}  // namespace kelvora

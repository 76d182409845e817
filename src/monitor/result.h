#pragma once
// A value or the plain reason there is none.
#include <optional>
#include <string>
#include <utility>

namespace quorvane::monitor {

template <typename T>
class [[nodiscard]] Result {
 public:
  Result(T value) : m_value(std::move(value)) {}  // NOLINT: a value converts
  static Result Fail(std::string reason) {
    Result r;
    r.m_error = std::move(reason);
    return r;
  }
  explicit operator bool() const { return m_value.has_value(); }
  const T& operator*() const { return *m_value; }
  const T* operator->() const { return &*m_value; }
  T& operator*() { return *m_value; }
  const std::string& Error() const { return m_error; }

 private:
  Result() = default;
  std::optional<T> m_value;
  std::string m_error;
};

}  // namespace quorvane::monitor

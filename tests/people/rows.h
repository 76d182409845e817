#pragma once
// Table rows have a `name`: tests and failures are called by it.
#include <string>

namespace quorvane::people::test {

// A row that gives `in` and wants `out`.
template <typename In, typename Out>
struct Row {
  const char* name;
  In in;
  Out out;
};

inline constexpr auto RowName = [](const auto& info) { return std::string(info.param.name); };

}  // namespace quorvane::people::test

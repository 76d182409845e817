#pragma once
// Table rows are structs with a `name`: tests and failures are called by it.
#include <ostream>
#include <string>

namespace quorvane::people::test {
namespace {

// A row that gives `in` and wants `out`.
template <typename In, typename Out>
struct Row {
  const char* name;
  In in;
  Out out;
};

template <typename Row>
requires requires(const Row& row) { row.name; }
void PrintTo(const Row& row, std::ostream* os) { *os << row.name; }

constexpr auto RowName = [](const auto& info) { return std::string(info.param.name); };

}  // namespace
}  // namespace quorvane::people::test

// Any bytes as a rules reply: never a crash, and a hostile count cannot make
// it keep more rules than the bytes hold (two NULs each).
#include <cstdint>

#include "monitor/query.h"

using namespace quorvane::monitor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Result<std::vector<Rule>> rules = ParseRules(Bytes(data, size));
  if (rules && rules->size() * 2 > size) __builtin_trap();
  return 0;
}

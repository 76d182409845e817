// Any bytes as a players reply: never a crash, never more players than the
// count byte allows.
#include <cstdint>

#include "monitor/query.h"

using namespace quorvane::monitor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Result<std::vector<Player>> players = ParsePlayers(Bytes(data, size));
  if (players && (size < 6 || players->size() != data[5])) __builtin_trap();
  return 0;
}

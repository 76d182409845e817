// Any bytes as an info reply: the reader must not crash or read past them, and
// a reply it takes must hold only what fits in the bytes it was given.
#include <cstdint>

#include "monitor/query.h"

using namespace quorvane::monitor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Result<ServerInfo> info = ParseInfo(Bytes(data, size));
  if (info && info->name.size() + info->map.size() + info->version.size() + info->address.size() > size)
    __builtin_trap();
  return 0;
}

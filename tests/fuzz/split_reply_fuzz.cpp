// Any bytes as a stream of datagrams (each led by its length byte) into the
// query handshake with its split-reply joiner: never a crash, and never more
// unfinished replies held than its limit.
#include <algorithm>
#include <cstdint>

#include "monitor/query.h"

using namespace quorvane::monitor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  QueryClient client;
  SplitJoiner joiner;
  for (QueryKind kind : {QueryKind::Info, QueryKind::Players, QueryKind::Rules}) (void)client.Begin(kind);
  std::size_t at = 0;
  while (at < size) {
    const std::size_t length = std::min<std::size_t>(data[at], size - at - 1);
    const Bytes datagram(data + at + 1, length);
    at += 1 + length;
    (void)client.Feed(datagram);
    (void)joiner.Feed(datagram);
    if (joiner.Pending() > SplitJoiner::kMaxPending) __builtin_trap();
  }
  return 0;
}

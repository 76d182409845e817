// Any bytes as the server's side of a console exchange (datagrams led by their
// length byte, each 50 ms apart) and as a status answer: never a crash, the
// session always comes to an end, and its answer stays within its cap.
#include <algorithm>
#include <cstdint>
#include <string_view>

#include "monitor/console.h"

using namespace quorvane::monitor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ConsoleSession session;
  std::int64_t now = 0;
  if (session.Start("status", "pw", now).type != ConsoleStep::Type::Send) __builtin_trap();
  std::size_t at = 0;
  while (at < size) {
    const std::size_t length = std::min<std::size_t>(data[at], size - at - 1);
    now += 50;
    const ConsoleStep step = session.Feed(Bytes(data + at + 1, length), now);
    if (step.type == ConsoleStep::Type::Done && step.text.size() > ConsoleSession::kMaxAnswerBytes) __builtin_trap();
    at += 1 + length;
  }
  (void)session.Tick(now + ConsoleSession::kNoAnswerMs);
  if (session.Busy()) __builtin_trap();
  (void)ParseStatus(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}

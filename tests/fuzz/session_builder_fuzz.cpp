// Any bytes as log messages and status answers, line by line: never a crash,
// every session ends no earlier than it began, and no session is reported
// without a key.
#include <cstdint>
#include <string_view>

#include "people/session_builder.h"

using namespace quorvane::people;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  SessionBuilder builder("tfc", 27015);
  Stamp when = 1'700'000'000;
  builder.AddStatus(when, text);
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    builder.AddLogMessage(++when, text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  }
  builder.AddStatus(++when, "players : 0 active (32 max)\n");
  for (const Session& s : builder.TakeChanged()) {
    if (s.left && *s.left < s.joined) __builtin_trap();
    if (s.key.empty() && s.names.empty()) __builtin_trap();
  }
  if (builder.OpenCount() != 0) __builtin_trap();
  return 0;
}

// Any bytes as a log packet, with and without a log secret, then its message
// classified and masked: never a crash, and masking only ever touches console lines.
#include <cstdint>
#include <string_view>

#include "monitor/log_line.h"

using namespace quorvane::monitor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Bytes bytes(data, size);
  for (std::string_view secret : {std::string_view(), std::string_view("4711")}) {
    const Result<LogLine> line = ParseLogPacket(bytes, secret);
    if (!line) continue;
    (void)ClassifyLogMessage(line->message);
    const std::string masked = MaskPasswords(line->message);
    const bool console = line->message.rfind("Rcon: ", 0) == 0 || line->message.rfind("Bad Rcon: ", 0) == 0;
    if (!console && masked != line->message) __builtin_trap();
  }
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  (void)ClassifyLogMessage(text);
  (void)MaskPasswords(text);
  return 0;
}

// The wave header is read the same way on every system.
#include "platform/sound.h"

#include <cstdint>

namespace quorvane::platform {
namespace {

std::uint32_t Le32(const std::string& b, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}

}  // namespace

int WaveDurationMs(const std::string& bytes) {
  if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0) return -1;
  std::uint32_t byteRate = 0;
  std::size_t at = 12;
  while (at + 8 <= bytes.size()) {
    const std::uint32_t size = Le32(bytes, at + 4);
    const std::size_t body = at + 8;
    if (bytes.compare(at, 4, "fmt ") == 0) {
      if (size < 16 || body + 16 > bytes.size()) return -1;
      byteRate = Le32(bytes, body + 8);
    } else if (bytes.compare(at, 4, "data") == 0) {
      if (byteRate == 0) return -1;
      const std::uint64_t available = bytes.size() - body;
      const std::uint64_t length = size < available ? size : available;
      return static_cast<int>(length * 1000 / byteRate);
    }
    at = body + size + (size & 1u);
  }
  return -1;
}

}  // namespace quorvane::platform

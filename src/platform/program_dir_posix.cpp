#include "platform/program_dir.h"

#include <unistd.h>

#include <string>

#include "platform/codepage.h"

namespace quorvane::platform {

std::string ProgramDirectory() {
  std::string buffer(4096, '\0');
  for (;;) {
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return {};
    if (static_cast<std::size_t>(n) < buffer.size()) {
      buffer.resize(static_cast<std::size_t>(n));
      break;
    }
    buffer.resize(buffer.size() * 2);  // truncated: try again with more room
  }
  const std::size_t slash = buffer.rfind('/');
  if (slash == std::string::npos) return {};
  return Utf8ToAnsi(slash == 0 ? std::string("/") : buffer.substr(0, slash));
}

std::vector<std::string> ProgramArguments(int argc, char* argv[]) { return {argv, argv + argc}; }

}  // namespace quorvane::platform

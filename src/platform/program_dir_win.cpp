#include "platform/program_dir.h"

#include <string>

#include "platform/win32_api.h"

namespace quorvane::platform {

std::string ProgramDirectory() {
  // Long paths need a bigger buffer than MAX_PATH; grow until the name fits.
  std::string buffer(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) {
      buffer.resize(length);
      break;
    }
    if (buffer.size() >= 32768) return {};
    buffer.resize(buffer.size() * 2);
  }
  const std::size_t slash = buffer.find_last_of("\\/");
  if (slash == std::string::npos) return {};
  // A drive root keeps its backslash ("C:\"), as the system names it.
  if (slash == 2 && buffer[1] == ':') return buffer.substr(0, 3);
  return buffer.substr(0, slash);
}

}  // namespace quorvane::platform

#include "platform/program_dir.h"

#include <string>
#include <vector>

#include "platform/win32_api.h"

#include <shellapi.h>

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

std::vector<std::string> ProgramArguments(int argc, char* argv[]) {
  int count = 0;
  LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
  if (words == nullptr) return {argv, argv + argc};
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(Utf8FromWide(words[i]));
  LocalFree(words);
  return arguments;
}

}  // namespace quorvane::platform

#include "platform/path_resolver.h"

#include <string>

#include "platform/win32_api.h"

namespace quorvane::platform {

// Windows takes the program's path text as written: it ignores letter case,
// accepts doubled separators and has its own drive letters.
std::filesystem::path ResolvePath(std::string_view pathText) {
  return std::filesystem::path(WideFromAnsi(pathText));
}

std::filesystem::path ResolvePath(std::string_view pathText, const std::filesystem::path&) {
  return ResolvePath(pathText);
}

std::filesystem::path ResolveNativePath(std::string_view utf8) { return std::filesystem::path(WideFromUtf8(utf8)); }

// No Wine prefix is involved on Windows itself.
std::filesystem::path DefaultWinePrefix() { return {}; }

}  // namespace quorvane::platform

#include "platform/path_resolver.h"

#include <string>

#include "platform/win32_api.h"

namespace quorvane::platform {

// Windows takes the program's path text as written: it ignores letter case,
// accepts doubled separators and has its own drive letters.
std::filesystem::path ResolvePath(std::string_view pathText) {
  if (pathText.empty()) return {};
  const int size = static_cast<int>(pathText.size());
  const int wide = MultiByteToWideChar(CP_ACP, 0, pathText.data(), size, nullptr, 0);
  if (wide <= 0) return {};
  std::wstring text(static_cast<std::size_t>(wide), L'\0');
  MultiByteToWideChar(CP_ACP, 0, pathText.data(), size, text.data(), wide);
  return std::filesystem::path(text);
}

std::filesystem::path ResolvePath(std::string_view pathText, const std::filesystem::path&) {
  return ResolvePath(pathText);
}

std::filesystem::path ResolveNativePath(std::string_view utf8) { return std::filesystem::path(WideFromUtf8(utf8)); }

// No Wine prefix is involved on Windows itself.
std::filesystem::path DefaultWinePrefix() { return {}; }

}  // namespace quorvane::platform

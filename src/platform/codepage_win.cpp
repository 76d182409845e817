#include "platform/codepage.h"

#include <string>

#include "platform/win32_api.h"

namespace quorvane::platform {
namespace {

std::wstring ToWide(UINT codePage, DWORD flags, std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int wide = MultiByteToWideChar(codePage, flags, text.data(), size, nullptr, 0);
  if (wide <= 0) return {};
  std::wstring out(static_cast<std::size_t>(wide), L'\0');
  MultiByteToWideChar(codePage, flags, text.data(), size, out.data(), wide);
  return out;
}

std::string FromWide(UINT codePage, DWORD flags, const std::wstring& wide, const char* fallback) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int bytes = WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, fallback, nullptr);
  if (bytes <= 0) return {};
  std::string out(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(codePage, flags, wide.data(), size, out.data(), bytes, fallback, nullptr);
  return out;
}

}  // namespace

std::string AnsiToUtf8(std::string_view ansi) { return FromWide(CP_UTF8, 0, ToWide(CP_ACP, 0, ansi), nullptr); }

// Malformed UTF-8 arrives as U+FFFD and, like every character the code page
// lacks, leaves as '?'; no best-fit guesses ("Ā" must not become "A").
std::string Utf8ToAnsi(std::string_view utf8) {
  return FromWide(CP_ACP, WC_NO_BEST_FIT_CHARS, ToWide(CP_UTF8, 0, utf8), "?");
}

}  // namespace quorvane::platform

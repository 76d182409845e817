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

// The system's own UTF-8 decoder folds a malformed run into one U+FFFD and
// splits a character beyond the basic plane into two; the code page needs one
// '?' per bad byte and per character it lacks, so decode here.
std::wstring DecodeToWide(std::string_view utf8) {
  std::wstring out;
  out.reserve(utf8.size());
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    const std::optional<char32_t> cp = DecodeUtf8(utf8, pos);
    out += !cp || *cp > 0xFFFF ? L'?' : static_cast<wchar_t>(*cp);
  }
  return out;
}

}  // namespace

std::string AnsiToUtf8(std::string_view ansi) { return FromWide(CP_UTF8, 0, ToWide(CP_ACP, 0, ansi), nullptr); }

std::string Utf8ToAnsi(std::string_view utf8) {
  return FromWide(CP_ACP, WC_NO_BEST_FIT_CHARS, DecodeToWide(utf8), "?");
}

}  // namespace quorvane::platform

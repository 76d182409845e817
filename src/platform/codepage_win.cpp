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
std::wstring DecodeUtf8(std::string_view s) {
  std::wstring out;
  out.reserve(s.size());
  std::size_t pos = 0;
  while (pos < s.size()) {
    const auto lead = static_cast<unsigned char>(s[pos]);
    std::size_t length = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if (lead < 0x80) {
      out += static_cast<wchar_t>(lead);
      ++pos;
      continue;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2, cp = lead & 0x1Fu, min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3, cp = lead & 0x0Fu, min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4, cp = lead & 0x07u, min = 0x10000;
    }
    bool valid = length != 0 && pos + length <= s.size();
    for (std::size_t i = 1; valid && i < length; ++i) {
      const auto next = static_cast<unsigned char>(s[pos + i]);
      valid = (next & 0xC0u) == 0x80u;
      cp = (cp << 6) | (next & 0x3Fu);
    }
    valid = valid && cp >= min && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
    if (!valid) {
      out += L'?';
      ++pos;
      continue;
    }
    out += cp > 0xFFFF ? L'?' : static_cast<wchar_t>(cp);
    pos += length;
  }
  return out;
}

}  // namespace

std::string AnsiToUtf8(std::string_view ansi) { return FromWide(CP_UTF8, 0, ToWide(CP_ACP, 0, ansi), nullptr); }

std::string Utf8ToAnsi(std::string_view utf8) {
  return FromWide(CP_ACP, WC_NO_BEST_FIT_CHARS, DecodeUtf8(utf8), "?");
}

}  // namespace quorvane::platform

#include "platform/codepage.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <utility>

namespace quorvane::platform {
namespace {

// Built once through iconv: converting byte by byte would mean an iconv
// handle per call, and handles cannot be shared between threads.
struct CodePageTables {
  std::array<char32_t, 256> toUnicode{};
  // (code point, byte) for every byte above 0x7F, sorted by code point.
  std::array<std::pair<char32_t, unsigned char>, 128> fromUnicode{};

  CodePageTables() {
    for (unsigned i = 0; i < 256; ++i) toUnicode[i] = i;  // Latin-1 where iconv gives no answer
    iconv_t cd = iconv_open("UTF-32LE", "WINDOWS-1252");
    if (cd != reinterpret_cast<iconv_t>(-1)) {
      for (unsigned i = 0x80; i < 256; ++i) {
        char in = static_cast<char>(i);
        unsigned char out[4] = {};
        char* inPtr = &in;
        char* outPtr = reinterpret_cast<char*>(out);
        std::size_t inLeft = 1;
        std::size_t outLeft = sizeof out;
        // The undefined bytes fail here and keep their C1 value.
        if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1) && outLeft == 0) {
          toUnicode[i] = static_cast<char32_t>(out[0] | (out[1] << 8) | (out[2] << 16) |
                                               (static_cast<std::uint32_t>(out[3]) << 24));
        }
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
      }
      iconv_close(cd);
    }
    for (unsigned i = 0x80; i < 256; ++i) fromUnicode[i - 0x80] = {toUnicode[i], static_cast<unsigned char>(i)};
    std::sort(fromUnicode.begin(), fromUnicode.end());
  }
};

const CodePageTables& Tables() {
  static const CodePageTables tables;
  return tables;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool IsAscii(std::string_view s) {
  for (char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

}  // namespace

std::string AnsiToUtf8(std::string_view ansi) {
  if (IsAscii(ansi)) return std::string(ansi);  // file names mostly are
  const auto& t = Tables();
  std::string out;
  out.reserve(ansi.size());
  for (char c : ansi) AppendUtf8(out, t.toUnicode[static_cast<unsigned char>(c)]);
  return out;
}

std::string Utf8ToAnsi(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  const auto& t = Tables();
  std::string out;
  out.reserve(utf8.size());
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    const std::optional<char32_t> cp = DecodeUtf8(utf8, pos);
    if (!cp) {
      out += '?';
    } else if (*cp < 0x80) {
      out += static_cast<char>(*cp);
    } else {
      auto it =
          std::lower_bound(t.fromUnicode.begin(), t.fromUnicode.end(), std::pair<char32_t, unsigned char>{*cp, 0});
      out += (it != t.fromUnicode.end() && it->first == *cp) ? static_cast<char>(it->second) : '?';
    }
  }
  return out;
}

}  // namespace quorvane::platform

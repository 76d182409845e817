#include "platform/codepage.h"

namespace quorvane::platform {

std::optional<char32_t> DecodeUtf8(std::string_view text, std::size_t& pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  std::size_t length = 0;
  char32_t cp = 0;
  char32_t min = 0;
  if (lead < 0x80) {
    ++pos;
    return lead;
  }
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    cp = lead & 0x1Fu;
    min = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    cp = lead & 0x0Fu;
    min = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    cp = lead & 0x07u;
    min = 0x10000;
  }
  bool valid = length != 0 && text.size() - pos >= length;
  for (std::size_t i = 1; valid && i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[pos + i]);
    valid = (next & 0xC0u) == 0x80u;
    cp = (cp << 6) | (next & 0x3Fu);
  }
  valid = valid && cp >= min && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
  if (!valid) {
    ++pos;
    return std::nullopt;
  }
  pos += length;
  return cp;
}

}  // namespace quorvane::platform

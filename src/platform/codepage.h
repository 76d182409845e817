#pragma once
// The game's text is single-byte (Windows-1252); Qt and the file system speak
// UTF-8. Every byte 0x00-0xFF survives AnsiToUtf8 then Utf8ToAnsi: the five
// bytes Windows-1252 leaves undefined map to the C1 controls of the same value.
#include <optional>
#include <string>
#include <string_view>

namespace quorvane::platform {

std::string AnsiToUtf8(std::string_view ansi);
// Characters the code page lacks, and malformed UTF-8, become '?'.
std::string Utf8ToAnsi(std::string_view utf8);

// The character at `pos`, moving `pos` past it. A malformed or overlong sequence, a surrogate or a
// value beyond U+10FFFF gives nothing and moves one byte, so the code page puts one '?' per bad byte.
std::optional<char32_t> DecodeUtf8(std::string_view text, std::size_t& pos);

}  // namespace quorvane::platform

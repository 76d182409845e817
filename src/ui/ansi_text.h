#pragma once
// The game's single-byte text as the windows and the terminal show it, and
// back. The conversions are the platform's code page, installed once at start.
#include <QString>
#include <string>
#include <string_view>

namespace quorvane::ui {

using TextConversion = std::string (*)(std::string_view);
// `toUtf8` turns the code page's bytes into UTF-8; `fromUtf8` does the reverse,
// making characters the code page lacks, and malformed UTF-8, '?'.
void UseCodePage(TextConversion toUtf8, TextConversion fromUtf8);

std::string AnsiToUtf8(std::string_view ansi);
std::string Utf8ToAnsi(std::string_view utf8);

QString FromAnsi(std::string_view bytes);
// Characters the code page lacks become '?'.
std::string ToAnsi(const QString& text);

}  // namespace quorvane::ui

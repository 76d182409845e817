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
// True when the code page holds every character of `text`, so that it can
// become the game's text (GameDir) and come back unchanged.
bool CodePageHolds(const QString& text);

// This machine's own places (home, PATH, SteamCMD, the install folder) are
// UTF-8 inside the program, whatever the code page holds.
inline QString FromNative(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}
inline std::string ToNative(const QString& text) { return text.toStdString(); }

}  // namespace quorvane::ui

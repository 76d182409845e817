#include "ui/ansi_text.h"

namespace quorvane::ui {

namespace {

TextConversion g_toUtf8 = nullptr;
TextConversion g_fromUtf8 = nullptr;

}  // namespace

void UseCodePage(TextConversion toUtf8, TextConversion fromUtf8) {
  g_toUtf8 = toUtf8;
  g_fromUtf8 = fromUtf8;
}

std::string AnsiToUtf8(std::string_view ansi) { return g_toUtf8(ansi); }

std::string Utf8ToAnsi(std::string_view utf8) { return g_fromUtf8(utf8); }

QString FromAnsi(std::string_view bytes) { return QString::fromStdString(AnsiToUtf8(bytes)); }

std::string ToAnsi(const QString& text) { return Utf8ToAnsi(text.toStdString()); }

bool CodePageHolds(const QString& text) { return FromAnsi(ToAnsi(text)) == text; }

}  // namespace quorvane::ui

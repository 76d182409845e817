#include "ui/ansi_text.h"

#include "platform/codepage.h"

namespace quorvane::ui {

QString FromAnsi(std::string_view bytes) { return QString::fromStdString(platform::AnsiToUtf8(bytes)); }

std::string ToAnsi(const QString& text) { return platform::Utf8ToAnsi(text.toStdString()); }

}  // namespace quorvane::ui

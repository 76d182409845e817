#pragma once
// The game's single-byte text as the windows show it, and back.
#include <QString>
#include <string>
#include <string_view>

namespace quorvane::ui {

QString FromAnsi(std::string_view bytes);
// Characters the code page lacks become '?'.
std::string ToAnsi(const QString& text);

}  // namespace quorvane::ui

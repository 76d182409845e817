#pragma once
#include <QFont>

namespace quorvane::ui {

// Every window speaks Comic Sans MS; where the system lacks it, Comic Neue
// stands in. Safe to call more than once.
void InstallComicFont();
QFont ProgramFont(int pointSize = 9, bool bold = false);

}  // namespace quorvane::ui

#include "ui/fonts.h"

#include <QFont>
#include <QStringList>

namespace quorvane::ui {

namespace {
const QString kFamily = QStringLiteral("Comic Sans MS");
const QString kStandIn = QStringLiteral("Comic Neue");
}  // namespace

// Font matching tries the family itself before its substitutes, so the
// substitution costs nothing where the real font is installed; asking the font
// database first would load every font on the system at start-up.
void InstallComicFont() {
  if (!QFont::substitutes(kFamily).isEmpty()) return;
  QFont::insertSubstitution(kFamily, kStandIn);
}

QFont ProgramFont(int pointSize, bool bold) {
  QFont font(kFamily, pointSize, bold ? QFont::Bold : QFont::Normal);
  return font;
}

}  // namespace quorvane::ui

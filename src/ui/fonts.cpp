#include "ui/fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace quorvane::ui {

namespace {
const QString kFamily = QStringLiteral("Comic Sans MS");
const QString kStandIn = QStringLiteral("Comic Neue");
}  // namespace

void InstallComicFont() {
  if (!QFont::substitutes(kFamily).isEmpty()) return;
  if (QFontDatabase::hasFamily(kFamily)) return;
  QFont::insertSubstitution(kFamily, kStandIn);
}

QFont ProgramFont(int pointSize, bool bold) {
  QFont font(kFamily, pointSize, bold ? QFont::Bold : QFont::Normal);
  return font;
}

}  // namespace quorvane::ui

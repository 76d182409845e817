#include "ui/monitor_settings.h"

namespace quorvane::ui {

std::unique_ptr<QSettings> OpenMonitorSettings(const QString& file) {
  if (!file.isEmpty()) return std::make_unique<QSettings>(file, QSettings::IniFormat);
  // Its own file in the user's configuration directory, beside nothing of the game's.
  return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("quorvane"),
                                     QStringLiteral("monitor"));
}

}  // namespace quorvane::ui

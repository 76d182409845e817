#pragma once
// The server monitor's settings: its own file in the user's configuration
// directory, or the file a test names. Supervision keeps its switch and the
// last start's map there too, read whether or not the monitor is open.
#include <QSettings>
#include <QString>
#include <memory>

namespace quorvane::ui {

inline constexpr const char* kKeepRunningKey = "monitor/keepRunning";
inline constexpr const char* kLastMapKey = "monitor/lastMap";

std::unique_ptr<QSettings> OpenMonitorSettings(const QString& file);

}  // namespace quorvane::ui

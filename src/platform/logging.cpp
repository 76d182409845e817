#include "platform/logging.h"

#include <QLoggingCategory>
#include <QString>

namespace quorvane::platform {

namespace {
// Debug lines only, which these categories keep off until the rules turn them on.
Q_LOGGING_CATEGORY(lcLaunch, "quorvane.launch", QtInfoMsg)
Q_LOGGING_CATEGORY(lcStop, "quorvane.stop", QtInfoMsg)
}  // namespace

bool LogEnabled(LogTopic topic) {
  return topic == LogTopic::Launch ? lcLaunch().isDebugEnabled() : lcStop().isDebugEnabled();
}

void LogLine(LogTopic topic, const std::string& line) {
  const QString text = QString::fromStdString(line);
  if (topic == LogTopic::Launch) {
    qCDebug(lcLaunch).noquote() << text;
  } else {
    qCDebug(lcStop).noquote() << text;
  }
}

}  // namespace quorvane::platform

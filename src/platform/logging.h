#pragma once
// What the platform does to other programs, for whoever asks with
// QT_LOGGING_RULES="quorvane.*.debug=true": which program a launch started
// (quorvane.launch) and which process a stop ended (quorvane.stop). Silent
// unless asked.
#include <string>

namespace quorvane::platform {

enum class LogTopic { Launch, Stop };

bool LogEnabled(LogTopic topic);
void LogLine(LogTopic topic, const std::string& line);

// Builds the line only when someone listens: some lines read /proc.
template <typename MakeLine>
void Log(LogTopic topic, MakeLine makeLine) {
  if (LogEnabled(topic)) LogLine(topic, makeLine());
}

}  // namespace quorvane::platform

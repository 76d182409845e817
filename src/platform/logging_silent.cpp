#include "platform/logging.h"

namespace quorvane::platform {

// A build without Qt has no logging rules to turn the lines on.
bool LogEnabled(LogTopic) { return false; }

void LogLine(LogTopic, const std::string&) {}

}  // namespace quorvane::platform

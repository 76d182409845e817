#include "platform/display.h"

#include <cstdlib>

namespace quorvane::platform {
namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// Qt takes its own options with one dash or two, the value as the next argument.
bool IsQtOption(const std::string& argument, const std::string& option) {
  return argument == "-" + option || argument == "--" + option;
}

}  // namespace

DisplayChoice FindDisplay(const std::vector<std::string>& arguments) {
  DisplayChoice choice;
  choice.platform = Environment("QT_QPA_PLATFORM");
  std::string displayArgument;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    if (i + 1 == arguments.size()) break;
    // The argument wins over the environment, as in Qt.
    if (IsQtOption(arguments[i], "platform")) choice.platform = arguments[i + 1];
    if (IsQtOption(arguments[i], "display")) displayArgument = arguments[i + 1];
  }
  // X first: Qt's own choice on this system when both are set.
  for (const std::string& name : {displayArgument, Environment("DISPLAY"), Environment("WAYLAND_DISPLAY")}) {
    if (!name.empty()) {
      choice.name = name;
      break;
    }
  }
  return choice;
}

}  // namespace quorvane::platform

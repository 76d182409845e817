#pragma once
// Whether the windows have a display to open on, asked before the window
// system starts: without one the program says so in a word instead of
// letting the window system abort it.
#include <string>
#include <vector>

namespace quorvane::platform {

struct DisplayChoice {
  // The window system given by -platform or QT_QPA_PLATFORM, or the system's
  // only one; empty when Qt is left to choose.
  std::string platform;
  // The display the windows would open on (-display, else the environment's);
  // empty when there is none.
  std::string name;
};

// From the program's arguments (its own name first; Qt's -platform and
// -display among them) and the environment.
DisplayChoice FindDisplay(const std::vector<std::string>& arguments);

}  // namespace quorvane::platform

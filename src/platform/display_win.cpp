#include "platform/display.h"

namespace quorvane::platform {

// A Windows session always has its desktop, drawn by its one window system.
DisplayChoice FindDisplay(const std::vector<std::string>&) { return DisplayChoice{"windows", {}}; }

}  // namespace quorvane::platform

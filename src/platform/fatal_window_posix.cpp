#include "platform/fatal_window.h"

namespace quorvane::platform {

std::optional<std::string> FatalErrorWindowText(long long) { return std::nullopt; }

}  // namespace quorvane::platform

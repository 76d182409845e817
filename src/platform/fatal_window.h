#pragma once
// The server's fatal-error window: on Windows the server opens a modal box
// titled "Fatal error - Dedicated server" and waits there instead of ending.
#include <optional>
#include <string>

namespace quorvane::platform {

inline constexpr const char* kFatalWindowTitle = "Fatal error - Dedicated server";

// The text of such a window owned by process `processId` (its static texts,
// one a line), or none while it has none open. Linux has no such window to
// find: a Wine server's boxes are the X server's, and none is looked for.
std::optional<std::string> FatalErrorWindowText(long long processId);

}  // namespace quorvane::platform

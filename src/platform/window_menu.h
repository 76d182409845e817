#pragma once
// The window menu of a top-level window.
class QWidget;

namespace quorvane::platform {

// Takes the Close entry (and its separator) off the window's system menu so
// the user cannot close it from the title bar. False when the window has no
// such menu. The window must also ignore its close event.
bool RemoveCloseEntry(QWidget& window);

}  // namespace quorvane::platform

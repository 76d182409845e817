#pragma once
class QWidget;

namespace quorvane::ui {

// The closing animation: the window's outer frame shrinks around the
// screen's centre, letting pending events other than user input run between
// steps, then the window hides. It stays loaded. False when the window was
// deleted while it ran (the caller must not touch it then).
[[nodiscard]] bool ShrinkWindow(QWidget& window);

}  // namespace quorvane::ui

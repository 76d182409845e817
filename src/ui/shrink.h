#pragma once
class QWidget;

namespace quorvane::ui {

// The closing animation: the window shrinks around the screen's centre,
// letting pending events run between steps, then hides. It stays loaded.
void ShrinkWindow(QWidget& window);

}  // namespace quorvane::ui

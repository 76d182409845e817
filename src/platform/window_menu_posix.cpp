#include "platform/window_menu.h"

#include <QWidget>

namespace quorvane::platform {

bool RemoveCloseEntry(QWidget& window) {
  if (!window.isWindow()) return false;
  // Without CustomizeWindowHint the window manager keeps its own buttons.
  Qt::WindowFlags flags = window.windowFlags();
  flags |= Qt::CustomizeWindowHint;
  flags &= ~Qt::WindowCloseButtonHint;
  window.setWindowFlags(flags);
  return true;
}

}  // namespace quorvane::platform

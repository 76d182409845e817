#include "platform/window_menu.h"

#include "platform/win32_api.h"
#include "platform/window_menu_win.h"

#ifdef QUORVANE_PLATFORM_QT
#include <QWidget>
#endif

namespace quorvane::platform {

bool RemoveCloseEntry(void* nativeWindow) {
  HWND window = static_cast<HWND>(nativeWindow);
  HMENU menu = GetSystemMenu(window, FALSE);
  if (menu == nullptr) return false;
  const int count = GetMenuItemCount(menu);
  // By position, last first, so the second position still names the separator.
  if (count >= 1) RemoveMenu(menu, static_cast<UINT>(count - 1), MF_BYPOSITION);
  if (count >= 2) RemoveMenu(menu, static_cast<UINT>(count - 2), MF_BYPOSITION);
  DrawMenuBar(window);
  return true;
}

#ifdef QUORVANE_PLATFORM_QT
bool RemoveCloseEntry(QWidget& window) {
  if (!window.isWindow()) return false;
  // winId() creates the native window when it does not exist yet.
  return RemoveCloseEntry(reinterpret_cast<void*>(window.winId()));
}
#endif

}  // namespace quorvane::platform

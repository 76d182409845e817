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
  // On a standard menu Close is the last entry with a separator above it.
  // Some systems append entries of their own (Wine adds "About Wine"), so
  // the entries go by where Close stands, and by position only without one.
  int close = count - 1;
  for (int i = 0; i < count; ++i) {
    if (GetMenuItemID(menu, i) == SC_CLOSE) close = i;
  }
  if (close >= 0) RemoveMenu(menu, static_cast<UINT>(close), MF_BYPOSITION);
  const bool separatorAbove =
      close >= 1 && (GetMenuState(menu, static_cast<UINT>(close - 1), MF_BYPOSITION) & MF_SEPARATOR) != 0;
  if (close >= 1 && (separatorAbove || close == count - 1)) {
    RemoveMenu(menu, static_cast<UINT>(close - 1), MF_BYPOSITION);
  }
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

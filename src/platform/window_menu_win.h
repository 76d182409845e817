#pragma once
// The Win32 side of window_menu.h on a bare window handle, for code that
// holds an HWND rather than a Qt window (and for the Windows tests).
namespace quorvane::platform {

// Removes the last two entries of the window's system menu (on a standard
// menu, Close and the separator above it) and redraws the menu bar. False
// when the window has no system menu.
bool RemoveCloseEntry(void* nativeWindow);

}  // namespace quorvane::platform

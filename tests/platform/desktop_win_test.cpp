// The window menu on Windows, changed on a window of the test's own.
#include <gtest/gtest.h>

#include "platform/win32_api.h"
#include "platform/window_menu_win.h"

namespace quorvane::platform {
namespace {

bool HasCommand(HMENU menu, UINT command) { return GetMenuState(menu, command, MF_BYCOMMAND) != static_cast<UINT>(-1); }

TEST(WindowMenuWinTest, closeAndItsSeparatorLeaveTheSystemMenu) {
  HWND window = CreateWindowExA(0, "STATIC", "Intro", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  HMENU menu = GetSystemMenu(window, FALSE);
  const int before = GetMenuItemCount(menu);
  ASSERT_TRUE(HasCommand(menu, SC_CLOSE));
  EXPECT_TRUE(RemoveCloseEntry(window));
  EXPECT_EQ(GetMenuItemCount(menu), before - 2);
  EXPECT_FALSE(HasCommand(menu, SC_CLOSE));
  EXPECT_TRUE(HasCommand(menu, SC_MOVE)) << "the other entries stay";
  EXPECT_FALSE(GetMenuState(menu, static_cast<UINT>(before - 3), MF_BYPOSITION) & MF_SEPARATOR) << "no separator left last";
  DestroyWindow(window);
}

}  // namespace
}  // namespace quorvane::platform

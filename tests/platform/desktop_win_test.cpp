// The window menu and the sound cue on Windows.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/sound.h"
#include "platform/win_scratch.h"
#include "platform/window_menu_win.h"

namespace quorvane::platform {
namespace {

using testing::WinScratch;

// A top-level window of this test's own, destroyed with the object.
class TestWindow {
 public:
  explicit TestWindow(DWORD style) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "QuorvaneMenuTest";
    RegisterClassA(&windowClass);
    m_window = CreateWindowExA(0, windowClass.lpszClassName, "Intro", style, 0, 0, 300, 200, nullptr, nullptr,
                               windowClass.hInstance, nullptr);
  }
  ~TestWindow() {
    if (m_window != nullptr) DestroyWindow(m_window);
  }
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;
  HWND get() const { return m_window; }

 private:
  HWND m_window = nullptr;
};

bool HasCommand(HMENU menu, UINT command) { return GetMenuState(menu, command, MF_BYCOMMAND) != static_cast<UINT>(-1); }

TEST(WindowMenuWinTest, closeAndItsSeparatorLeaveTheSystemMenu) {
  TestWindow window(WS_OVERLAPPEDWINDOW);
  ASSERT_NE(window.get(), nullptr);
  HMENU menu = GetSystemMenu(window.get(), FALSE);
  ASSERT_NE(menu, nullptr);
  const int before = GetMenuItemCount(menu);
  ASSERT_GE(before, 3);
  ASSERT_TRUE(HasCommand(menu, SC_CLOSE));
  ASSERT_TRUE(HasCommand(menu, SC_MOVE));

  EXPECT_TRUE(RemoveCloseEntry(window.get()));

  menu = GetSystemMenu(window.get(), FALSE);
  EXPECT_EQ(GetMenuItemCount(menu), before - 2);
  EXPECT_FALSE(HasCommand(menu, SC_CLOSE));
  EXPECT_TRUE(HasCommand(menu, SC_MOVE)) << "the other entries stay";
  // No separator is left dangling at the end or doubled.
  auto separator = [&](int i) { return (GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR) != 0; };
  const int after = GetMenuItemCount(menu);
  EXPECT_FALSE(separator(after - 1));
  for (int i = 0; i + 1 < after; ++i) EXPECT_FALSE(separator(i) && separator(i + 1)) << i;
}

TEST(WindowMenuWinTest, menuWithoutCloseLosesItsLastTwoEntries) {
  TestWindow window(WS_OVERLAPPEDWINDOW);
  HMENU menu = GetSystemMenu(window.get(), FALSE);
  ASSERT_NE(menu, nullptr);
  RemoveMenu(menu, SC_CLOSE, MF_BYCOMMAND);
  const int before = GetMenuItemCount(menu);
  const UINT kept = GetMenuItemID(menu, 0);
  EXPECT_TRUE(RemoveCloseEntry(window.get()));
  EXPECT_EQ(GetMenuItemCount(menu), before - 2);
  EXPECT_EQ(GetMenuItemID(menu, 0), kept);
}

TEST(WindowMenuWinTest, noWindowNoMenu) { EXPECT_FALSE(RemoveCloseEntry(nullptr)); }

// A valid wave file of silence, `ms` long, 8 kHz mono 8-bit.
std::string SilentWave(int ms) {
  const std::uint32_t samples = static_cast<std::uint32_t>(8 * ms);
  auto le32 = [](std::uint32_t v) {
    return std::string{static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                       static_cast<char>(v >> 24)};
  };
  std::string w = "RIFF" + le32(36 + samples) + "WAVEfmt " + le32(16);
  w += std::string("\x01\x00\x01\x00", 4) + le32(8000) + le32(8000) + std::string("\x01\x00\x08\x00", 4);
  w += "data" + le32(samples) + std::string(samples, '\x80');
  return w;
}

TEST(SoundWinTest, cuesReturnForMissingAndPlayableFiles) {
  WinScratch dir;
  const std::string wave = dir.MakeFile("blip.wav", SilentWave(50));
  NativeSoundPlayer player;
  // Both calls must come back; a hang here would stop every start-up sequence.
  player.PlaySoundCue(dir / "missing.wav");
  player.PlaySoundCue("c:\\windows\\media\\no such cue.wav");
  player.PlaySoundCue(wave);
  // The synchronous call has released the file by the time it returns.
  EXPECT_TRUE(DeleteFileA(wave.c_str()));
}

}  // namespace
}  // namespace quorvane::platform

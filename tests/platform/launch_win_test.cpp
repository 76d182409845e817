// The launch buttons against real processes under Windows: the stand-in
// server is installed as hlds.exe in a temporary installation.
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "launch/launcher.h"
#include "platform/file_system.h"
#include "platform/process_starter.h"
#include "platform/server_control.h"
#include "platform/win_scratch.h"

namespace quorvane::platform {
namespace {

using Words = std::vector<std::string>;
constexpr DWORD kWaitMs = 20000;

class LaunchWinTest : public ::testing::Test, launch::LaunchWindow, launch::SoundPlayer {
  std::string GameDir() const override { return m_dir.Path(); }
  std::string StartingMap() const override { return "2Fort"; }
  void FocusStartingMap() override {}
  void ShowMessage(const std::string& text) override { m_messages.push_back(text); }
  void PlaySoundCue(const std::string&) override {}

 protected:
  void SetUp() override {
    std::string standIn = QUORVANE_STANDIN;  // the build machine's path: under Wine, on the current drive
    for (char& c : standIn) c = c == '/' ? '\\' : c;
    ASSERT_TRUE(CopyFileA(standIn.c_str(), (m_dir / "hlds.exe").c_str(), FALSE)) << standIn;
    SetEnvironmentVariableA("QUORVANE_STANDIN_RECORD", m_record.c_str());
    m_fields.SetText("port", "27015");
  }
  void TearDown() override {
    SetEnvironmentVariableA("QUORVANE_STANDIN_RECORD", nullptr);
    SetCurrentDirectoryA(m_previousDir.c_str());
    for (HANDLE p : m_processes) {
      TerminateProcess(p, 1);
      EXPECT_EQ(WaitForSingleObject(p, kWaitMs), WAIT_OBJECT_0) << "a stand-in outlived its test";
      CloseHandle(p);
    }
  }
  void Press(void (launch::Launcher::*button)(), NativeServerControl& control) {
    NativeProcessStarter starter;
    (launch::Launcher(m_files, m_fields, *this, *this, starter, control).*button)();
  }
  // Waits on change notifications, not on a clock, for the stand-in's record
  // (pid=, child=, cwd=, argc=, then the arguments); keeps its process.
  Words ReadRecord() {
    HANDLE change = FindFirstChangeNotificationA(m_dir.Path().c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME);
    while (GetFileAttributesA(m_record.c_str()) == INVALID_FILE_ATTRIBUTES &&
           WaitForSingleObject(change, kWaitMs) == WAIT_OBJECT_0) {
      FindNextChangeNotification(change);
    }
    FindCloseChangeNotification(change);
    std::istringstream in(testing::ReadAll(m_record));
    DeleteFileA(m_record.c_str());
    Words lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    const DWORD pid = lines.empty() ? 0 : static_cast<DWORD>(std::stoul(lines[0].substr(4)));
    m_pids.insert(pid);
    m_processes.push_back(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    return lines;
  }

  testing::WinScratch m_dir;
  std::string m_record = m_dir / "record.txt";
  std::string m_previousDir = std::filesystem::current_path().string();
  Words m_messages;
  config::MemoryFieldStore m_fields;
  NativeFileSystem m_files;
  std::set<DWORD> m_pids;
  std::vector<HANDLE> m_processes;
  // Only windows of the stand-ins this test started count.
  NativeServerControl m_ours{[this](launch::ServerControl::Handle h) {
    DWORD pid = 0;
    GetWindowThreadProcessId(reinterpret_cast<HWND>(static_cast<INT_PTR>(h)), &pid);
    return m_pids.count(pid) != 0;
  }};
};

TEST_F(LaunchWinTest, dedicatedServerGetsItsWordsInGameDir_andOnlyAStopThatFindsItsWindowEndsIt) {
  Press(&launch::Launcher::StartDedicatedServer, m_ours);
  const Words record = ReadRecord();
  ASSERT_EQ(record.size(), 10u);
  EXPECT_EQ(lstrcmpiA(record[2].c_str(), ("cwd=" + m_dir.Path()).c_str()), 0) << record[2];
  EXPECT_EQ(Words(record.begin() + 3, record.end()), (Words{"argc=6", "-game", "tfc", "-port", "27015", "+map", "2Fort"}));
  NativeServerControl none([](launch::ServerControl::Handle) { return false; });
  Press(&launch::Launcher::StopDedicatedServer, none);
  EXPECT_EQ(WaitForSingleObject(m_processes.back(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
  Press(&launch::Launcher::StopDedicatedServer, m_ours);
  EXPECT_EQ(WaitForSingleObject(m_processes.back(), kWaitMs), WAIT_OBJECT_0);
  EXPECT_FALSE(m_ours.FindServer().has_value());
  EXPECT_TRUE(m_messages.empty());
}

TEST_F(LaunchWinTest, closeRequestEndsTheServerThroughItsWindow) {
  Press(&launch::Launcher::StartDedicatedServer, m_ours);
  ReadRecord();
  m_ours.SendClose(m_ours.FindServer().value_or(0));
  ASSERT_EQ(WaitForSingleObject(m_processes.back(), kWaitMs), WAIT_OBJECT_0);
  DWORD code = STILL_ACTIVE;
  EXPECT_TRUE(GetExitCodeProcess(m_processes.back(), &code) && code == 0) << code;
}

}  // namespace
}  // namespace quorvane::platform

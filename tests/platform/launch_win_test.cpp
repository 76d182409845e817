// The launch buttons against real processes under Windows: the stand-in
// server is installed as hlds.exe and hl.exe in a temporary installation.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "launch/launcher.h"
#include "platform/file_system.h"
#include "platform/process_starter.h"
#include "platform/server_control.h"
#include "platform/win_scratch.h"
// After windows.h, which it needs.
#include <tlhelp32.h>

namespace quorvane::platform {
namespace {

using testing::ReadAll;
using testing::WinScratch;
using Words = std::vector<std::string>;

constexpr DWORD kWaitMs = 20000;

struct Record {
  DWORD pid = 0;
  std::string cwd;
  Words args;
};

// Waits on change notifications, not on a clock, until `path` exists.
bool WaitForFile(const std::string& dir, const std::string& path) {
  HANDLE change = FindFirstChangeNotificationA(dir.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME);
  if (change == INVALID_HANDLE_VALUE) return false;
  const ULONGLONG end = GetTickCount64() + kWaitMs;
  bool found = GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  while (!found) {
    const ULONGLONG now = GetTickCount64();
    if (now >= end) break;
    if (WaitForSingleObject(change, static_cast<DWORD>(end - now)) != WAIT_OBJECT_0) break;
    found = GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    FindNextChangeNotification(change);
  }
  FindCloseChangeNotification(change);
  return found;
}

struct Window : launch::LaunchWindow, launch::SoundPlayer {
  std::string gameDir;
  std::string map;
  Words messages;
  Words cues;
  std::string GameDir() const override { return gameDir; }
  std::string StartingMap() const override { return map; }
  void FocusStartingMap() override {}
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void PlaySoundCue(const std::string& path) override { cues.push_back(path); }
};

class LaunchWinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(m_dir.Path().empty());
    char current[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, current);
    m_previousDir = current;
    m_dir.MakeDir("tfc");
    for (const char* program : {"hlds.exe", "hl.exe"}) {
      ASSERT_TRUE(CopyFileA(StandIn().c_str(), (m_dir / program).c_str(), FALSE)) << StandIn();
    }
    m_record = m_dir / "record.txt";
    SetEnvironmentVariableA("QUORVANE_STANDIN_RECORD", m_record.c_str());
    m_window.gameDir = m_dir.Path();
    m_window.map = "2Fort";
    m_fields.SetText("port", "27015");
    m_fields.SetText("maxplayers", "8");
  }

  void TearDown() override {
    SetEnvironmentVariableA("QUORVANE_STANDIN_RECORD", nullptr);
    SetEnvironmentVariableA("QUORVANE_STANDIN_IGNORE_TERM", nullptr);
    SetCurrentDirectoryA(m_previousDir.c_str());
    // Every program started from this installation goes, found by where it lives.
    for (DWORD pid : ProcessesIn(m_dir.Path())) {
      if (HANDLE p = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
        TerminateProcess(p, 1);
        EXPECT_EQ(WaitForSingleObject(p, kWaitMs), WAIT_OBJECT_0) << "a stand-in outlived its test";
        CloseHandle(p);
      }
    }
    for (HANDLE process : m_processes) CloseHandle(process);
  }

  static std::string ImageOf(DWORD pid) {
    HANDLE p = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (p == nullptr) return {};
    char name[MAX_PATH * 2];
    DWORD size = sizeof name;
    const bool ok = QueryFullProcessImageNameA(p, 0, name, &size) != 0;
    CloseHandle(p);
    return ok ? std::string(name, size) : std::string();
  }

  static std::vector<DWORD> ProcessesIn(const std::string& dir) {
    std::vector<DWORD> found;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return found;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
      if (Lower(ImageOf(entry.th32ProcessID)).rfind(Lower(dir + "\\"), 0) == 0) found.push_back(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return found;
  }

  // The build names the stand-in by its path on the build machine; under Wine
  // a path from the root lies on the drive of the current directory.
  static std::string StandIn() {
    std::string path = QUORVANE_STANDIN;
    for (char& c : path) {
      if (c == '/') c = '\\';
    }
    return path;
  }

  launch::Launcher MakeLauncher(NativeProcessStarter& starter, NativeServerControl& control) {
    return launch::Launcher(m_files, m_fields, m_window, m_window, starter, control);
  }

  // The stand-in's record, once it is complete; its process is kept for the clean-up.
  Record ReadRecord() {
    Record r;
    if (!WaitForFile(m_dir.Path(), m_record)) {
      ADD_FAILURE() << "the stand-in left no record";
      return r;
    }
    std::istringstream in(ReadAll(m_record));
    std::string line;
    std::size_t count = 0;
    while (std::getline(in, line)) {
      if (line.rfind("pid=", 0) == 0) r.pid = static_cast<DWORD>(std::stoul(line.substr(4)));
      if (line.rfind("cwd=", 0) == 0) r.cwd = line.substr(4);
      if (line.rfind("argc=", 0) == 0) {
        count = std::stoul(line.substr(5));
        break;
      }
    }
    while (r.args.size() < count && std::getline(in, line)) r.args.push_back(line);
    EXPECT_EQ(r.args.size(), count);
    if (HANDLE p = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, r.pid)) {
      m_processes.push_back(p);
    }
    DeleteFileA(m_record.c_str());
    return r;
  }

  // Only windows of the programs in this test's installation count.
  NativeServerControl::Filter OurServers() {
    return [this](launch::ServerControl::Handle h) {
      DWORD pid = 0;
      GetWindowThreadProcessId(reinterpret_cast<HWND>(static_cast<INT_PTR>(h)), &pid);
      return Lower(ImageOf(pid)).rfind(Lower(m_dir.Path() + "\\"), 0) == 0;
    };
  }

  HANDLE LastProcess() const { return m_processes.empty() ? nullptr : m_processes.back(); }

  static std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
  }

  WinScratch m_dir;
  std::string m_record;
  std::string m_previousDir;
  Window m_window;
  config::MemoryFieldStore m_fields;
  NativeFileSystem m_files;
  std::vector<HANDLE> m_processes;
};

TEST_F(LaunchWinTest, dedicatedServerGetsItsWordsWorkingDirAndOurCurrentDir) {
  NativeProcessStarter starter;
  NativeServerControl control(OurServers());
  MakeLauncher(starter, control).StartDedicatedServer();
  const Record r = ReadRecord();
  EXPECT_EQ(r.args, (Words{"-game", "tfc", "-port", "27015", "+map", "2Fort"}));
  EXPECT_EQ(Lower(r.cwd), Lower(m_dir.Path()));
  char current[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, current);
  EXPECT_EQ(Lower(current), Lower(m_dir.Path())) << "the launch makes GameDir our current directory";
  EXPECT_TRUE(m_window.messages.empty());
}

TEST_F(LaunchWinTest, listenServerAndJoinStartTheClient) {
  m_files.WriteFile(m_dir / "tfc\\listenserver.cfg", "// listen\r\n");
  NativeProcessStarter starter;
  NativeServerControl control(OurServers());
  launch::Launcher launcher = MakeLauncher(starter, control);
  launcher.StartListenServer();
  EXPECT_EQ(ReadRecord().args, (Words{"-game", "tfc", "-console", "+sv_lan", "0", "+maxplayers", "8", "+map", "2Fort"}));
  launcher.JoinYourGame();
  EXPECT_EQ(ReadRecord().args, (Words{"-console", "+connect", "127.0.0.1:27016"}));
}

TEST_F(LaunchWinTest, missingProgramIsReportedWithTheSystemsReason) {
  DeleteFileA((m_dir / "hlds.exe").c_str());
  NativeProcessStarter starter;
  const launch::StartResult r = starter.Start({"Open", m_dir / "hlds.exe", " -game tfc", m_dir.Path(), 0});
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(r.error.empty());
}

TEST_F(LaunchWinTest, stopEndsTheServerWhoseWindowIsTitledHlds) {
  NativeProcessStarter starter;
  NativeServerControl control(OurServers());
  launch::Launcher launcher = MakeLauncher(starter, control);
  launcher.StartDedicatedServer();
  ReadRecord();
  ASSERT_NE(LastProcess(), nullptr);
  const std::optional<launch::ServerControl::Handle> found = control.FindServer();
  ASSERT_TRUE(found.has_value()) << "no window titled HLDS";
  char title[16] = {};
  GetWindowTextA(reinterpret_cast<HWND>(static_cast<INT_PTR>(*found)), title, sizeof title);
  EXPECT_STREQ(title, "HLDS");
  launcher.StopDedicatedServer();
  EXPECT_EQ(WaitForSingleObject(LastProcess(), kWaitMs), WAIT_OBJECT_0);
  EXPECT_FALSE(control.FindServer().has_value());
}

TEST_F(LaunchWinTest, closeRequestEndsAListeningServerAndTerminateADeafOne) {
  NativeProcessStarter starter;
  NativeServerControl control(OurServers());
  struct Case {
    const char* deaf;
    bool closeEnds;
  };
  for (const Case c : {Case{"0", true}, Case{"1", false}}) {
    SetEnvironmentVariableA("QUORVANE_STANDIN_IGNORE_TERM", c.deaf);
    MakeLauncher(starter, control).StartDedicatedServer();
    ReadRecord();
    const std::optional<launch::ServerControl::Handle> found = control.FindServer();
    ASSERT_TRUE(found.has_value()) << c.deaf;
    control.SendClose(*found);
    const DWORD afterClose = WaitForSingleObject(LastProcess(), c.closeEnds ? kWaitMs : 0);
    EXPECT_EQ(afterClose, c.closeEnds ? WAIT_OBJECT_0 : static_cast<DWORD>(WAIT_TIMEOUT)) << c.deaf;
    if (!c.closeEnds) {
      control.Terminate(*found);
      EXPECT_EQ(WaitForSingleObject(LastProcess(), kWaitMs), WAIT_OBJECT_0);
    }
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(LastProcess(), &code);
    // Left through its own window (0), or ended from outside without a code that reads "still active".
    EXPECT_NE(code, static_cast<DWORD>(STILL_ACTIVE));
    if (c.closeEnds) {
      EXPECT_EQ(code, 0u);
    }
  }
}

TEST_F(LaunchWinTest, stopWithoutSuchWindowLeavesEverythingRunning) {
  NativeProcessStarter starter;
  NativeServerControl ours(OurServers());
  MakeLauncher(starter, ours).StartDedicatedServer();
  ReadRecord();
  // A control that sees no server of ours: the press finds nothing and ends nothing.
  NativeServerControl none([](launch::ServerControl::Handle) { return false; });
  EXPECT_FALSE(none.FindServer().has_value());
  MakeLauncher(starter, none).StopDedicatedServer();
  EXPECT_EQ(WaitForSingleObject(LastProcess(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_TRUE(ours.FindServer().has_value());
}

}  // namespace
}  // namespace quorvane::platform

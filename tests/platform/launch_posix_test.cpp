// The launch buttons against real processes: the stand-in server is installed
// under the game's program names in a temporary installation.
#include <gtest/gtest.h>

#include "launch/launcher.h"
#include "platform/file_system.h"
#include "platform/process_starter.h"
#include "platform/server_control.h"
#include "support/standin_processes.h"

namespace quorvane::platform {
namespace {

namespace fs = std::filesystem;
using Words = std::vector<std::string>;
using namespace test_support;

class LaunchPosixTest : public ::testing::Test, launch::LaunchWindow, launch::SoundPlayer {
  std::string GameDir() const override { return m_dir.string(); }
  std::string StartingMap() const override { return m_map; }
  void FocusStartingMap() override {}
  void ShowMessage(const std::string& text) override { m_messages.push_back(text); }
  void PlaySoundCue(const std::string&) override {}

 protected:
  void SetUp() override {
    // A blank in the directory: the program and its directory are never quoted.
    char pattern[] = "/tmp/quorvane launch XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    m_dir = pattern;
    fs::create_directories(m_dir / "tfc");
    InstallStandIn(m_dir / "hlds.exe");
    m_fields.SetText("port", "27015");
  }
  void TearDown() override {
    unsetenv("QUORVANE_STANDIN_CHILD");
    unsetenv("QUORVANE_STANDIN_IGNORE_TERM");
    EXPECT_TRUE(EndAll(m_dir, m_started)) << "a started program outlived the test";
    fs::current_path(m_previousDir);
    fs::remove_all(m_dir);
  }
  // Presses the button (start or stop) with the starter given `wine`; returns the
  // record a started stand-in left, and remembers what it started for the clean-up.
  StandInRecord Press(void (launch::Launcher::*button)(), const std::string& wine = "/nonexistent/wine") {
    NativeProcessStarter starter(wine);
    (launch::Launcher(m_files, m_fields, *this, *this, starter, m_control).*button)();
    if (!m_messages.empty() || button != &launch::Launcher::StartDedicatedServer) return {};
    StandInRecord r = ReadStandInRecord(m_dir);
    EXPECT_TRUE(r.complete) << "the stand-in left no complete record";
    m_started.insert(m_started.end(), {r.pid, r.child});
    fs::remove(m_dir / "standin-record.txt");
    return r;
  }

  fs::path m_previousDir = fs::current_path();
  fs::path m_dir;
  std::string m_map = "2fort";
  Words m_messages;
  config::MemoryFieldStore m_fields;
  NativeFileSystem m_files;
  // Only the servers this test started count: other servers may run on the machine.
  NativeServerControl m_control{[this](launch::ServerControl::Handle h) { return ProcessesIn(m_dir).count(h) != 0; }};
  std::vector<long long> m_started;
};

TEST_F(LaunchPosixTest, fieldsReachTheServerAsPlainWordsInGameDir_andNoShellRunsThem) {
  m_fields.SetText("port", "");
  m_map = "my map $(touch X) `touch Y`;touch Z \"a b\" c|d>out";
  const StandInRecord r = Press(&launch::Launcher::StartDedicatedServer);
  EXPECT_EQ(r.args, (Words{"-game", "tfc", "-port", "+map", "my", "map", "$(touch", "X)", "`touch", "Y`;touch", "Z",
                           "\"a", "b\"", "c|d>out"}));
  EXPECT_EQ(fs::path(r.cwd), m_dir);
  EXPECT_EQ(fs::current_path(), m_dir);
  for (const char* made : {"X", "Y", "Z", "out"}) EXPECT_FALSE(fs::exists(m_dir / made)) << made;
}

TEST_F(LaunchPosixTest, programChoiceFollowsWhatLiesInGameDir) {
  fs::rename(m_dir / "hlds.exe", m_dir / "wine");
  Press(&launch::Launcher::StartDedicatedServer);
  EXPECT_EQ(m_messages, Words{"Quorvane could not start " + m_dir.string() + "\\hlds.exe: No such file or directory"});
  EXPECT_TRUE(ProcessesIn(m_dir).empty());
  m_messages.clear();
  InstallStandIn(m_dir / "hlds_run");  // the Linux server beside a missing hlds.exe
  EXPECT_EQ(Press(&launch::Launcher::StartDedicatedServer).args, (Words{"-game", "tfc", "-port", "27015", "+map", "2fort"}));
  std::ofstream(m_dir / "hlds.exe") << "MZ\x90";  // a Windows program runs through wine
  EXPECT_EQ(Press(&launch::Launcher::StartDedicatedServer, (m_dir / "wine").string()).args,
            (Words{(m_dir / "hlds.exe").string(), "-game", "tfc", "-port", "27015", "+map", "2fort"}));
}

TEST_F(LaunchPosixTest, stopEndsTheServerAndItsChild_evenWhenTheyIgnoreTheEndRequest) {
  setenv("QUORVANE_STANDIN_CHILD", "1", 1);
  setenv("QUORVANE_STANDIN_IGNORE_TERM", "1", 1);
  const StandInRecord r = Press(&launch::Launcher::StartDedicatedServer);
  ASSERT_NE(r.child, 0);
  Press(&launch::Launcher::StopDedicatedServer);
  EXPECT_TRUE(WaitForExit(r.pid, 2000));
  EXPECT_TRUE(WaitForExit(r.child, 2000));
  EXPECT_TRUE(ProcessesIn(m_dir).empty());
  EXPECT_TRUE(m_messages.empty());
}

}  // namespace
}  // namespace quorvane::platform

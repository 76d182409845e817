// The launch buttons against real processes: the stand-in server is installed
// under the game's program names in a temporary installation.
#include <gtest/gtest.h>

#include <QLoggingCategory>
#include <algorithm>

#include "launch/launcher.h"
#include "platform/file_system.h"
#include "platform/process_starter.h"
#include "platform/scratch_dir.h"
#include "platform/server_control.h"
#include "support/standin_processes.h"

namespace quorvane::platform {
namespace {

namespace fs = std::filesystem;
using Words = std::vector<std::string>;
using namespace test_support;

enum class Button { Start, Stop };

class RealLaunchTest : public ::testing::Test, launch::SoundPlayer {
  void PlaySoundCue(const std::string&) override {}

 protected:
  void SetUp() override {
    InstallStandIn(m_dir.Path() / "hlds.exe");
#ifndef _WIN32  // every stand-in starts a child in its group and ignores the polite end request
    setenv("QUORVANE_STANDIN_CHILD", "1", 1);
    setenv("QUORVANE_STANDIN_IGNORE_TERM", "1", 1);
#endif
  }
  void TearDown() override {
    EXPECT_TRUE(EndAll(m_dir.Path(), m_started)) << "a started program outlived the test";
    fs::current_path(m_previousDir);  // out of the directory the launch went into, back on the same drive
  }
  // Presses a button with the starter given `wine`; returns the record a started
  // stand-in left, and remembers what it started for the clean-up.
  StandInRecord Press(Button button, const std::string& wine = "/nonexistent/wine") {
    m_starter = NativeProcessStarter(wine);
    if (button == Button::Stop) {
      m_launcher.StopDedicatedServer();
      return {};
    }
    const launch::LaunchOutcome outcome = m_launcher.StartDedicatedServer({m_dir.Text(), m_map, m_fields});
    if (!outcome.message.empty()) m_messages.push_back(outcome.message);
    if (!m_messages.empty()) return {};
    StandInRecord r = ReadStandInRecord(m_dir.Path());
    EXPECT_TRUE(r.complete) << "the stand-in left no complete record";
    m_started.insert(m_started.end(), {r.pid, r.child});
    return r;
  }

  testing::ScratchDir m_dir;
  fs::path m_previousDir = fs::current_path();
  std::string m_map = "2fort";
  Words m_messages;
  config::FieldValues m_fields;
  NativeFileSystem m_files;
  std::vector<long long> m_started;
  // Only the servers this test started count: other servers may run on the machine.
  NativeServerControl m_ours{[this](launch::ServerControl::Handle h) {
#ifdef _WIN32  // a window, of a process
    DWORD pid = 0;
    GetWindowThreadProcessId(reinterpret_cast<HWND>(static_cast<INT_PTR>(h)), &pid);
    h = pid;
#endif
    return std::count(m_started.begin(), m_started.end(), h) != 0;
  }};
  NativeServerControl m_control = m_ours;
  NativeProcessStarter m_starter;
  launch::Launcher m_launcher{m_files, *this, m_starter, m_control};
};

// The port is left empty throughout: no empty word stands for it.
TEST_F(RealLaunchTest, fieldsReachTheServerAsPlainWordsInGameDir_andNothingRunsThem) {
  m_map = "my map $(touch X) `touch Y`;touch Z c|d>out";
  Words words{"-game", "tfc", "-port", "+map", "my", "map", "$(touch", "X)", "`touch", "Y`;touch", "Z", "c|d>out"};
#ifndef _WIN32  // Windows programs take quotes apart themselves
  m_map += " \"a b\"";
  words.insert(words.end(), {"\"a", "b\""});
#endif
  const StandInRecord r = Press(Button::Start);
  EXPECT_EQ(r.args, words);
  EXPECT_TRUE(fs::equivalent(r.cwd, m_dir.Path())) << r.cwd;
  EXPECT_TRUE(fs::equivalent(fs::current_path(), m_dir.Path()));
  for (const char* made : {"X", "Y", "Z", "out"}) EXPECT_FALSE(fs::exists(m_dir.Path() / made)) << made;
}

TEST_F(RealLaunchTest, stopEndsTheServerItStarted_withItsChildEvenWhenTheyIgnoreTheEndRequest) {
  const StandInRecord r = Press(Button::Start);
#ifndef _WIN32  // the start names the server's group, so no search is needed; Windows finds it by its window
  m_control = NativeServerControl([](launch::ServerControl::Handle) { return false; });
#endif
  Press(Button::Stop);
  EXPECT_TRUE(WaitForExit(r.pid, 20000));
  EXPECT_TRUE(WaitForExit(r.child, 20000));
  EXPECT_TRUE(m_messages.empty());
}

TEST_F(RealLaunchTest, launchLogSaysWhatStartedWhereOnlyOnceTurnedOn_andNeverThePassword) {
  static QStringList lines;
  const QtMessageHandler previous =
      qInstallMessageHandler([](QtMsgType, const QMessageLogContext& at, const QString& text) {
        if (QByteArray(at.category) == "quorvane.launch") lines << text;
      });
  m_fields.SetText("rcon_password", "s3cret");
  Press(Button::Start);
  EXPECT_TRUE(lines.isEmpty());
  QLoggingCategory::setFilterRules("quorvane.*.debug=true");
  Press(Button::Start);
  QLoggingCategory::setFilterRules({});
  qInstallMessageHandler(previous);
  EXPECT_EQ(lines.size(), 1);
  const QString line = lines.value(0);
  EXPECT_TRUE(line.startsWith("started ") && line.contains("hlds.exe\" -game tfc -port +map 2fort in "))
      << qPrintable(line);
  EXPECT_FALSE(line.contains("s3cret"));
}

#ifdef _WIN32
TEST_F(RealLaunchTest, closeRequestEndsTheServerThroughItsWindow) {
  const StandInRecord r = Press(Button::Start);
  m_ours.SendClose(m_ours.FindServer().value_or(0));
  EXPECT_TRUE(WaitForExit(r.pid, 20000));
}
#else
TEST_F(RealLaunchTest, programChoiceFollowsWhatLiesInGameDir) {
  fs::rename(m_dir.Path() / "hlds.exe", m_dir.Path() / "wine");
  Press(Button::Start);
  EXPECT_EQ(m_messages, Words{"Quorvane could not start " + m_dir.Text() + "\\hlds.exe: No such file or directory"});
  EXPECT_TRUE(ProcessesIn(m_dir.Path()).empty());
  m_messages.clear();
  InstallStandIn(m_dir.Path() / "hlds_run");  // the Linux server beside a missing hlds.exe
  EXPECT_EQ(Press(Button::Start).args, (Words{"-game", "tfc", "-port", "+map", "2fort"}));
  std::ofstream(m_dir.Path() / "hlds.exe") << "MZ\x90";  // a Windows program runs through wine
  EXPECT_EQ(Press(Button::Start, (m_dir.Path() / "wine").string()).args,
            (Words{(m_dir.Path() / "hlds.exe").string(), "-game", "tfc", "-port", "+map", "2fort"}));
}

// The game directory is the current one by then; PATH entries that mean it are no place to look for wine.
TEST_F(RealLaunchTest, wineInTheGameDirectoryNeverRunsThroughAnEmptyOrRelativePathEntry) {
  fs::rename(m_dir.Path() / "hlds.exe", m_dir.Path() / "wine");
  std::ofstream(m_dir.Path() / "hlds.exe") << "MZ\x90";
  const std::string path = std::getenv("PATH");
  setenv("PATH", ":.:bin::./", 1);
  Press(Button::Start, "wine");
  setenv("PATH", path.c_str(), 1);
  EXPECT_EQ(m_messages, Words{"Quorvane could not start " + m_dir.Text() +
                              "\\hlds.exe: it is a Windows program and wine is not installed"});
  EXPECT_TRUE(ProcessesIn(m_dir.Path()).empty());
}
#endif

}  // namespace
}  // namespace quorvane::platform

// The launch buttons against real processes: the stand-in server is installed
// under the game's program names in a temporary installation.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

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

struct Window : launch::LaunchWindow, launch::SoundPlayer {
  std::string gameDir;
  std::string map;
  std::vector<std::string> messages;
  std::vector<std::string> cues;
  std::string GameDir() const override { return gameDir; }
  std::string StartingMap() const override { return map; }
  void FocusStartingMap() override {}
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void PlaySoundCue(const std::string& path) override { cues.push_back(path); }
};

class LaunchPosixTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_previousDir = fs::current_path();
    // A blank in the directory: the program and its directory are never quoted.
    char pattern[] = "/tmp/quorvane launch XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    m_dir = pattern;
    fs::create_directories(m_dir / "tfc");
    InstallStandIn(m_dir / "hlds.exe");
    InstallStandIn(m_dir / "hl.exe");
    m_window.gameDir = m_dir.string();
    m_window.map = "2fort";
    m_fields.SetText("port", "27015");
    m_fields.SetText("maxplayers", "8");
  }

  void TearDown() override {
    for (const char* v : {"QUORVANE_STANDIN_CHILD", "QUORVANE_STANDIN_IGNORE_TERM", "QUORVANE_STANDIN_RECORD"}) {
      unsetenv(v);
    }
    // Nothing this test started may outlive it.
    EXPECT_TRUE(EndAll(m_dir, m_started));
    fs::current_path(m_previousDir);
    fs::remove_all(m_dir);
  }

  launch::Launcher MakeLauncher(NativeProcessStarter& starter, NativeServerControl& control) {
    return launch::Launcher(m_files, m_fields, m_window, m_window, starter, control);
  }

  // Reads the stand-in's record; remembers what it started for the clean-up.
  StandInRecord ReadRecord() {
    StandInRecord r = ReadStandInRecord(m_dir);
    EXPECT_TRUE(r.complete) << "the stand-in left no complete record";
    if (r.pid != 0) m_started.push_back(r.pid);
    if (r.child != 0) m_started.push_back(r.child);
    return r;
  }

  // Only the servers this test started count: other servers may run on the machine.
  NativeServerControl::Filter OurServers() {
    return [this](launch::ServerControl::Handle h) { return ProcessesIn(m_dir).count(h) != 0; };
  }

  fs::path m_previousDir;
  fs::path m_dir;
  Window m_window;
  config::MemoryFieldStore m_fields;
  NativeFileSystem m_files;
  std::vector<long long> m_started;
};

struct ParameterCase {
  const char* name;
  std::string port;
  std::string map;
  Words args;
};
void PrintTo(const ParameterCase& c, std::ostream* os) { *os << c.name; }


class DedicatedParametersTest : public LaunchPosixTest, public ::testing::WithParamInterface<ParameterCase> {};

TEST_P(DedicatedParametersTest, ReachTheServerAsPlainWordsInGameDir) {
  const ParameterCase& c = GetParam();
  m_fields.SetText("port", c.port);
  m_window.map = c.map;
  NativeProcessStarter starter("/nonexistent/wine");
  NativeServerControl control(OurServers());
  MakeLauncher(starter, control).StartDedicatedServer();

  const StandInRecord r = ReadRecord();
  EXPECT_EQ(r.args, c.args);
  EXPECT_EQ(fs::path(r.cwd), m_dir);
  EXPECT_EQ(fs::current_path(), m_dir);
  EXPECT_TRUE(m_window.messages.empty());
  // Nothing in the fields was run by a shell.
  for (const char* made : {"pwned", "pwned2", "out", "X"}) EXPECT_FALSE(fs::exists(m_dir / made)) << made;
}

INSTANTIATE_TEST_SUITE_P(
    Fields, DedicatedParametersTest,
    ::testing::Values(
        ParameterCase{"Plain", "27015", "2fort", {"-game", "tfc", "-port", "27015", "+map", "2fort"}},
        ParameterCase{"EmptyPortGivesNoEmptyWord", "", "2fort", {"-game", "tfc", "-port", "+map", "2fort"}},
        ParameterCase{"MapWithBlankIsTwoWords", "27015", "my map", {"-game", "tfc", "-port", "27015", "+map", "my", "map"}},
        ParameterCase{"ShellCharactersArePlainText",
                      "27015;rm -rf ~",
                      "$(touch X) `touch pwned` \"quoted words\" 'single' a|b&c>out;touch${IFS}pwned2",
                      {"-game", "tfc", "-port", "27015;rm", "-rf", "~", "+map", "$(touch", "X)", "`touch", "pwned`",
                       "\"quoted", "words\"", "'single'", "a|b&c>out;touch${IFS}pwned2"}}),
    [](const ::testing::TestParamInfo<ParameterCase>& info) { return info.param.name; });

struct ProgramCase {
  const char* name;
  // Shapes the installation; returns the wine the starter is given.
  std::function<std::string(const fs::path&)> prepare;
  std::string failure;  // empty: the stand-in starts
  Words leadingArgs;    // before the parameters, when it starts
};
void PrintTo(const ProgramCase& c, std::ostream* os) { *os << c.name; }


class ProgramChoiceTest : public LaunchPosixTest, public ::testing::WithParamInterface<ProgramCase> {};

TEST_P(ProgramChoiceTest, StartsTheRightProgramOrSaysWhyNot) {
  const ProgramCase& c = GetParam();
  fs::remove(m_dir / "hlds.exe");
  const std::string wine = c.prepare(m_dir);
  NativeProcessStarter starter(wine);
  NativeServerControl control(OurServers());
  MakeLauncher(starter, control).StartDedicatedServer();

  if (!c.failure.empty()) {
    EXPECT_EQ(m_window.messages, (Words{"Quorvane could not start " + m_window.gameDir + "\\hlds.exe: " + c.failure}));
    EXPECT_TRUE(ProcessesIn(m_dir).empty());
    return;
  }
  EXPECT_TRUE(m_window.messages.empty());
  const StandInRecord r = ReadRecord();
  Words expected = c.leadingArgs;
  for (const char* w : {"-game", "tfc", "-port", "27015", "+map", "2fort"}) expected.push_back(w);
  for (std::string& w : expected) {
    if (w == "@exe") w = (m_dir / "hlds.exe").string();
  }
  EXPECT_EQ(r.args, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Installations, ProgramChoiceTest,
    ::testing::Values(
        ProgramCase{"Missing", [](const fs::path&) { return std::string("/nonexistent/wine"); },
                    "No such file or directory", {}},
        ProgramCase{"NotExecutable",
                    [](const fs::path& dir) {
                      std::ofstream(dir / "hlds.exe") << "#!/bin/sh\n";
                      return std::string("/nonexistent/wine");
                    },
                    "Permission denied", {}},
        ProgramCase{"WindowsProgramWithoutWine",
                    [](const fs::path& dir) {
                      std::ofstream(dir / "hlds.exe") << "MZ\x90";
                      fs::permissions(dir / "hlds.exe", fs::perms::owner_all);
                      return std::string("/nonexistent/wine");
                    },
                    "it is a Windows program and wine is not installed", {}},
        ProgramCase{"WindowsProgramThroughWine",
                    [](const fs::path& dir) {
                      std::ofstream(dir / "hlds.exe") << "MZ\x90";
                      fs::create_directories(dir / "bin");
                      InstallStandIn(dir / "bin" / "wine");
                      return (dir / "bin" / "wine").string();
                    },
                    "", {"@exe"}},
        ProgramCase{"LinuxServerBesideIt",
                    [](const fs::path& dir) {
                      InstallStandIn(dir / "hlds_run");
                      return std::string("/nonexistent/wine");
                    },
                    "", {}}),
    [](const ::testing::TestParamInfo<ProgramCase>& info) { return info.param.name; });

struct StopCase {
  const char* name;
  bool child;
  bool deafToTerm;
};
void PrintTo(const StopCase& c, std::ostream* os) { *os << c.name; }


class StopTest : public LaunchPosixTest, public ::testing::WithParamInterface<StopCase> {};

TEST_P(StopTest, EndsTheServerAndItsGroup) {
  if (GetParam().child) setenv("QUORVANE_STANDIN_CHILD", "1", 1);
  if (GetParam().deafToTerm) setenv("QUORVANE_STANDIN_IGNORE_TERM", "1", 1);
  NativeProcessStarter starter("/nonexistent/wine");
  NativeServerControl control(OurServers());
  launch::Launcher launcher = MakeLauncher(starter, control);
  launcher.StartDedicatedServer();
  const StandInRecord r = ReadRecord();
  ASSERT_NE(r.pid, 0);
  ASSERT_EQ(r.child != 0, GetParam().child);
  ASSERT_EQ(control.FindServer(), r.pid);

  launcher.StopDedicatedServer();
  EXPECT_TRUE(WaitForExit(r.pid, 2000));
  if (r.child != 0) {
    EXPECT_TRUE(WaitForExit(r.child, 2000));
  }
  EXPECT_EQ(control.FindServer(), std::nullopt);
  EXPECT_TRUE(m_window.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Servers, StopTest,
                         ::testing::Values(StopCase{"Alone", false, false}, StopCase{"WithChild", true, false},
                                           StopCase{"DeafToTheEndRequest", true, true}),
                         [](const ::testing::TestParamInfo<StopCase>& info) { return info.param.name; });

TEST_F(LaunchPosixTest, StopWithoutServerChangesNothing) {
  // A server that is not ours stands for "none found" and must survive.
  NativeProcessStarter starter("/nonexistent/wine");
  NativeServerControl launchAll(OurServers());
  MakeLauncher(starter, launchAll).StartDedicatedServer();
  const StandInRecord r = ReadRecord();

  NativeServerControl none([](launch::ServerControl::Handle) { return false; });
  const auto before = std::chrono::steady_clock::now();
  MakeLauncher(starter, none).StopDedicatedServer();
  EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(1000));
  EXPECT_TRUE(IsRunning(r.pid));
  EXPECT_TRUE(m_window.messages.empty());
}

TEST_F(LaunchPosixTest, ServerIsFoundUnderEachOfItsNames) {
  NativeProcessStarter starter("/nonexistent/wine");
  NativeServerControl control(OurServers());
  for (const std::string name : {"hlds_linux", "HLDS.EXE"}) {
    SCOPED_TRACE(name);
    InstallStandIn(m_dir / name);
    launch::LaunchRequest request{"Open", m_window.gameDir + "\\" + name, " -game tfc", m_window.gameDir, 0};
    ASSERT_TRUE(starter.Start(request).ok);
    const StandInRecord r = ReadRecord();
    EXPECT_EQ(control.FindServer(), r.pid);
    KillGroup(r.pid);
    ASSERT_TRUE(WaitForExit(r.pid, 2000));
    fs::remove(m_dir / "standin-record.txt");
  }
}

TEST_F(LaunchPosixTest, MissingWorkingDirectoryIsReported) {
  NativeProcessStarter starter("/nonexistent/wine");
  launch::LaunchRequest request{"Open", m_window.gameDir + "\\hlds.exe", "", m_window.gameDir + "\\gone", 0};
  const launch::StartResult result = starter.Start(request);
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.error.find("No such file or directory"), std::string::npos) << result.error;
  EXPECT_TRUE(ProcessesIn(m_dir).empty());
}

}  // namespace
}  // namespace quorvane::platform

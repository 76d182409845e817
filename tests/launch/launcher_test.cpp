#include "launch/launcher.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "config/cfg_writer.h"
#include "install/build_info.h"
#include "support/memory_file_system.h"

namespace quorvane::launch {
namespace {

using Events = std::vector<std::string>;

// Every fake writes into one list, so a test sees the order across them.
struct Recorder : LaunchWindow, SoundPlayer, ProcessStarter, ServerControl {
  Events events;
  std::string gameDir = "C:\\Games\\Half-Life";
  std::string map;
  StartResult startResult;
  StartResult linkResult;
  std::optional<Handle> server;
  std::function<void()> duringCue;

  std::string GameDir() const override { return gameDir; }
  std::string StartingMap() const override { return map; }
  void FocusStartingMap() override { events.push_back("focus"); }
  void ShowMessage(const std::string& text) override { events.push_back("message " + text); }

  void PlaySoundCue(const std::string& path) override {
    events.push_back("cue " + path);
    if (duringCue) duringCue();
  }

  StartResult Start(const LaunchRequest& r) override {
    events.push_back("start " + r.verb + "|" + r.file + "|" + r.parameters + "|" + r.directory + "|" +
                     std::to_string(r.showCommand));
    return startResult;
  }
  void SetCurrentDirectory(const std::string& directory) override { events.push_back("chdir " + directory); }
  StartResult OpenLink(const std::string& url) override {
    events.push_back("link " + url);
    return linkResult;
  }

  std::optional<Handle> FindServer() override {
    events.push_back("find");
    return server;
  }
  void Terminate(Handle h) override { events.push_back("terminate " + std::to_string(h)); }
  void Pause(int ms) override { events.push_back("pause " + std::to_string(ms)); }
  void SendClose(Handle h) override { events.push_back("close " + std::to_string(h)); }
};

const std::string kUhOh = "cue c:\\windows\\media\\uhoh.wav";
const std::string kCommand = "cue c:\\windows\\media\\Military_command.wav";
const std::string kLaunchCue = "cue c:\\windows\\media\\launch.wav";
const std::string kNoMap = "message You Must Select a Starting Map Before you can Start a Game.";
const std::string kDir = "C:\\Games\\Half-Life";
const std::string kListenCfg = kDir + "\\Tfc\\listenserver.cfg";

class LauncherTest : public ::testing::Test {
 protected:
  LauncherTest() {
    fs.AddDirectory(kDir + "\\tfc");
    fields.SetText("port", "27015");
    fields.SetText("maxplayers", "8");
  }
  Launcher MakeLauncher() { return Launcher(fs, fields, rec, rec, rec, rec); }

  test_support::MemoryFileSystem fs;
  config::MemoryFieldStore fields;
  Recorder rec;
};

enum class Button { Dedicated, Listen };

struct StartCase {
  const char* name;
  Button button;
  std::string map;
  std::string port;
  Events expected;
};

class StartButtonTest : public LauncherTest, public ::testing::WithParamInterface<StartCase> {};

TEST_P(StartButtonTest, PlaysCueThenStartsOrWarns) {
  const StartCase& c = GetParam();
  fs.AddFile(kListenCfg, "existing");
  rec.map = c.map;
  fields.SetText("port", c.port);
  Launcher launcher = MakeLauncher();
  if (c.button == Button::Dedicated) {
    launcher.StartDedicatedServer();
  } else {
    launcher.StartListenServer();
  }
  EXPECT_EQ(rec.events, c.expected);
  EXPECT_EQ(fs.Bytes(kListenCfg), "existing");
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, StartButtonTest,
    ::testing::Values(
        StartCase{"DedicatedWithoutMap", Button::Dedicated, "", "27015", {kUhOh, kNoMap, "focus"}},
        StartCase{"ListenWithoutMap", Button::Listen, "", "27015", {kUhOh, kNoMap, "focus"}},
        StartCase{"DedicatedWithMap",
                  Button::Dedicated,
                  "2Fort",
                  "27015",
                  {kCommand, "chdir " + kDir,
                   "start Open|" + kDir + "\\hlds.exe| -game tfc -port 27015 +map 2Fort|" + kDir + "|0"}},
        StartCase{"DedicatedEmptyPortLeavesTwoBlanks",
                  Button::Dedicated,
                  "2fort",
                  "",
                  {kCommand, "chdir " + kDir, "start Open|" + kDir + "\\hlds.exe| -game tfc -port  +map 2fort|" + kDir + "|0"}},
        StartCase{"DedicatedMapAndPortUnchanged",
                  Button::Dedicated,
                  "my map ",
                  " 27016",
                  {kCommand, "chdir " + kDir,
                   "start Open|" + kDir + "\\hlds.exe| -game tfc -port  27016 +map my map |" + kDir + "|0"}},
        StartCase{"ListenWithMapUsesMaxplayersNotPort",
                  Button::Listen,
                  "2Fort",
                  "27015",
                  {kCommand, "chdir " + kDir,
                   "start Open|" + kDir + "\\hl.exe| -game tfc -console +sv_lan 0 +maxplayers 8 +map 2Fort|" + kDir +
                       "|0"}}),
    [](const ::testing::TestParamInfo<StartCase>& info) { return info.param.name; });

TEST_F(LauncherTest, StartingMapIsReadAgainAfterTheCue) {
  rec.map = "2fort";
  rec.duringCue = [this] { rec.map = "well"; };
  MakeLauncher().StartDedicatedServer();
  ASSERT_EQ(rec.events.size(), 3u);
  EXPECT_EQ(rec.events[2], "start Open|" + kDir + "\\hlds.exe| -game tfc -port 27015 +map well|" + kDir + "|0");
}

TEST_F(LauncherTest, ListenWithoutItsFileWritesItAndDoesNothingElse) {
  for (const std::string map : {"", "2fort"}) {
    SCOPED_TRACE(map);
    fs.Remove(kListenCfg);
    rec.events.clear();
    rec.map = map;
    MakeLauncher().StartListenServer();
    EXPECT_TRUE(rec.events.empty());
    EXPECT_EQ(fs.Bytes(kListenCfg), config::ListenServerCfgText(fields));
  }
  // The next press finds the file and starts the game.
  MakeLauncher().StartListenServer();
  ASSERT_EQ(rec.events.size(), 3u);
  EXPECT_EQ(rec.events[0], kCommand);
}

TEST_F(LauncherTest, TrailingBackslashInGameDirIsKept) {
  rec.gameDir = kDir + "\\";
  rec.map = "2fort";
  MakeLauncher().StartDedicatedServer();
  ASSERT_EQ(rec.events.size(), 3u);
  EXPECT_EQ(rec.events[1], "chdir " + kDir + "\\");
  EXPECT_EQ(rec.events[2], "start Open|" + kDir + "\\\\hlds.exe| -game tfc -port 27015 +map 2fort|" + kDir + "\\|0");
}

TEST_F(LauncherTest, JoinPlaysCueFirstAndAlwaysConnectsToTheFixedPort) {
  fields.SetText("port", "27099");
  MakeLauncher().JoinYourGame();
  EXPECT_EQ(rec.events, (Events{kLaunchCue, "start Open|" + kDir + "\\hl.exe| -console +connect 127.0.0.1:27016|" +
                                                kDir + "|0"}));
}

struct FailureCase {
  const char* name;
  std::function<void(Launcher&)> press;
  std::string map;
  std::string program;
};

class StartFailureTest : public LauncherTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(StartFailureTest, IsShownAfterTheCue) {
  fs.AddFile(kListenCfg, "x");
  rec.map = GetParam().map;
  rec.startResult = {false, "No such file or directory"};
  Launcher launcher = MakeLauncher();
  GetParam().press(launcher);
  ASSERT_GE(rec.events.size(), 3u);
  EXPECT_EQ(rec.events.back(),
            "message Quorvane could not start " + kDir + GetParam().program + ": No such file or directory");
  EXPECT_EQ(rec.events.front().rfind("cue ", 0), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, StartFailureTest,
    ::testing::Values(FailureCase{"Dedicated", [](Launcher& l) { l.StartDedicatedServer(); }, "2fort", "\\hlds.exe"},
                      FailureCase{"Listen", [](Launcher& l) { l.StartListenServer(); }, "2fort", "\\hl.exe"},
                      FailureCase{"Join", [](Launcher& l) { l.JoinYourGame(); }, "", "\\hl.exe"}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return info.param.name; });

TEST_F(LauncherTest, StopEndsTheServerPausesThenSendsClose) {
  rec.server = 4242;
  MakeLauncher().StopDedicatedServer();
  EXPECT_EQ(rec.events, (Events{"find", "terminate 4242", "pause 1000", "close 4242"}));
}

TEST_F(LauncherTest, StopWithoutServerOnlyWaitsAndShowsNothing) {
  MakeLauncher().StopDedicatedServer();
  EXPECT_EQ(rec.events, (Events{"find", "pause 1000"}));
}

TEST_F(LauncherTest, LinksOpenTheMakersAddressesSilently) {
  rec.linkResult = {false, "no mail program"};
  Launcher launcher = MakeLauncher();
  launcher.EmailComments();
  launcher.OpenWebsite();
  EXPECT_EQ(rec.events, (Events{std::string("link mailto:") + install::kMailAddress,
                                std::string("link ") + install::kDownloadPage}));
}

}  // namespace
}  // namespace quorvane::launch

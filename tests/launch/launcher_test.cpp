#include "launch/launcher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/cfg_writer.h"
#include "support/memory_file_system.h"

namespace quorvane::launch {
namespace {

using Events = std::vector<std::string>;

// Every fake writes into one list, so a test sees the order across them.
struct Recorder : LaunchWindow, SoundPlayer, ProcessStarter, ServerControl {
  Events events;
  std::string map;
  StartResult startResult;
  std::optional<Handle> server;

  std::string GameDir() const override { return "C:\\HL"; }
  std::string StartingMap() const override { return map; }
  void FocusStartingMap() override { events.push_back("focus"); }
  void ShowMessage(const std::string& text) override { events.push_back("message " + text); }
  void PlaySoundCue(const std::string& path) override { events.push_back("cue " + path); }
  StartResult Start(const LaunchRequest& r) override {
    events.push_back(r.verb + "|" + r.file + "|" + r.parameters + "|" + r.directory + "|" + std::to_string(r.showCommand));
    return startResult;
  }
  void SetCurrentDirectory(const std::string& directory) override { events.push_back("chdir " + directory); }
  StartResult OpenLink(const std::string&) override { return {}; }
  std::optional<Handle> FindServer() override { return server; }
  void Terminate(Handle h) override { events.push_back("terminate " + std::to_string(h)); }
  void Pause(int ms) override { events.push_back("pause " + std::to_string(ms)); }
  void SendClose(Handle h) override { events.push_back("close " + std::to_string(h)); }
};

const std::string kCommand = "cue c:\\windows\\media\\Military_command.wav";
const std::string kListenCfg = "C:\\HL\\Tfc\\listenserver.cfg";

class LauncherTest : public ::testing::Test {
 protected:
  Events Press(void (Launcher::*button)(), const std::string& map = "", const std::string& port = "27015") {
    rec.events.clear();
    rec.map = map;
    fs.AddDirectory("C:\\HL\\tfc");
    fields.SetText("maxplayers", "8");
    fields.SetText("port", port);
    (Launcher(fs, fields, rec, rec, rec, rec).*button)();
    return rec.events;
  }

  test_support::MemoryFileSystem fs;
  config::MemoryFieldStore fields;
  Recorder rec;
};

TEST_F(LauncherTest, launchButtonsPlayTheirCueThenStartOrAskForAMap) {
  fs.AddFile(kListenCfg, "existing");
  const Events noMap{"cue c:\\windows\\media\\uhoh.wav",
                     "message You Must Select a Starting Map Before you can Start a Game.", "focus"};
  EXPECT_EQ(Press(&Launcher::StartDedicatedServer), noMap);
  EXPECT_EQ(Press(&Launcher::StartListenServer), noMap);
  EXPECT_EQ(Press(&Launcher::StartDedicatedServer, "2Fort"),
            (Events{kCommand, "chdir C:\\HL", "Open|C:\\HL\\hlds.exe| -game tfc -port 27015 +map 2Fort|C:\\HL|0"}));
  // Pieces are joined unchanged: an empty port leaves two blanks, a map keeps its own.
  EXPECT_EQ(Press(&Launcher::StartDedicatedServer, "my map ", "").back(),
            "Open|C:\\HL\\hlds.exe| -game tfc -port  +map my map |C:\\HL|0");
  EXPECT_EQ(Press(&Launcher::StartListenServer, "2Fort"),
            (Events{kCommand, "chdir C:\\HL",
                    "Open|C:\\HL\\hl.exe| -game tfc -console +sv_lan 0 +maxplayers 8 +map 2Fort|C:\\HL|0"}));
  EXPECT_EQ(fs.Bytes(kListenCfg), "existing");
  // Join plays its cue first and always connects to the fixed port.
  EXPECT_EQ(Press(&Launcher::JoinYourGame, "", "27099"),
            (Events{"cue c:\\windows\\media\\launch.wav", "Open|C:\\HL\\hl.exe| -console +connect 127.0.0.1:27016|C:\\HL|0"}));
}

TEST_F(LauncherTest, listenWithoutItsFileWritesItAndStartsNothing) {
  for (const std::string map : {"", "2fort"}) {
    fs.Remove(kListenCfg);
    EXPECT_TRUE(Press(&Launcher::StartListenServer, map).empty()) << map;
    EXPECT_EQ(fs.Bytes(kListenCfg), config::ListenServerCfgText(fields));
  }
}

TEST_F(LauncherTest, startFailureIsShownWithTheProgramAndTheSystemsReason) {
  rec.startResult = {false, "No such file or directory"};
  EXPECT_EQ(Press(&Launcher::JoinYourGame).back(), "message Quorvane could not start C:\\HL\\hl.exe: No such file or directory");
}

TEST_F(LauncherTest, stopEndsTheServerPausesAndSendsClose_orWithoutOneOnlyWaits) {
  EXPECT_EQ(Press(&Launcher::StopDedicatedServer), Events{"pause 1000"});
  rec.server = 4242;
  EXPECT_EQ(Press(&Launcher::StopDedicatedServer), (Events{"terminate 4242", "pause 1000", "close 4242"}));
}

}  // namespace
}  // namespace quorvane::launch

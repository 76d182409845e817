#include "launch/launcher.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include "config/cfg_writer.h"
#include "support/memory_file_system.h"

namespace quorvane::launch {
namespace {

using Events = std::vector<std::string>;

// Every fake writes into one list, so a test sees the order across them.
struct Recorder : SoundPlayer, ProcessStarter, ServerControl {
  Events events;
  StartResult startResult;
  std::optional<Handle> server;
  std::set<Handle> running;

  // What the window would do with a press's outcome.
  void Carry(const LaunchOutcome& outcome) {
    if (!outcome.message.empty()) events.push_back("message " + outcome.message);
    if (outcome.focusStartingMap) events.push_back("focus");
  }
  void PlaySoundCue(const std::string& path) override { events.push_back("cue " + path); }
  StartResult Start(const LaunchRequest& r) override {
    events.push_back(r.verb + "|" + r.file + "|" + r.parameters + "|" + r.directory + "|" +
                     std::to_string(r.showCommand));
    return startResult;
  }
  void SetCurrentDirectory(const std::string& directory) override { events.push_back("chdir " + directory); }
  StartResult OpenLink(const std::string&) override { return {}; }
  bool IsRunning(Handle h) override { return running.count(h) != 0; }
  std::optional<Handle> FindServer() override { return server; }
  void Terminate(Handle h) override {
    events.push_back("terminate " + std::to_string(h));
    running.erase(h);
  }
  void Pause(int ms) override { events.push_back("pause " + std::to_string(ms)); }
  void SendClose(Handle h) override { events.push_back("close " + std::to_string(h)); }
};

const std::string kListenCfg = "C:\\HL\\Tfc\\listenserver.cfg";

// What each button does with the form; the stop takes nothing from it.
void Press(Launcher& launcher, Recorder& rec, const std::string& button, const LaunchForm& form) {
  if (button == "dedicated")
    rec.Carry(launcher.StartDedicatedServer(form));
  else if (button == "listen")
    rec.Carry(launcher.StartListenServer(form));
  else if (button == "join")
    rec.Carry(launcher.JoinYourGame(form.gameDir));
  else
    launcher.StopDedicatedServer();
}

// Each press, its installation and its events come from a data file.
TEST(LauncherTest, eachPressGivesItsCueMessageRequestAndListenFileInOrder) {
  std::ifstream in(QUORVANE_TEST_DATA "/launch/presses.tsv");
  int presses = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("#")) continue;
    SCOPED_TRACE(line);
    std::istringstream columns(line);
    std::string button;
    std::string port;
    std::string server;
    std::string error;
    std::string cfg;
    for (std::string* column : {&button, &port, &server, &error, &cfg}) std::getline(columns, *column, '|');
    LaunchForm form{"C:\\HL", {}, {}};
    std::getline(columns, form.startingMap, '\t');
    Events expected;
    for (std::string event; std::getline(columns, event, '\t');) expected.push_back(event);
    test_support::MemoryFileSystem fs;
    fs.AddDirectory("C:\\HL\\tfc");
    if (!cfg.empty()) fs.AddFile(kListenCfg, cfg);
    form.fields.SetText("maxplayers", "8");
    form.fields.SetText("port", port);
    Recorder rec;
    if (!server.empty()) rec.server = std::stoll(server);
    if (!error.empty()) rec.startResult = StartResult::Failure(error);
    Launcher launcher(fs, rec, rec, rec);
    Press(launcher, rec, button, form);
    EXPECT_EQ(rec.events, expected);
    EXPECT_EQ(fs.Bytes(kListenCfg), cfg.empty() ? config::ListenServerCfgText(form.fields) : cfg);
    ++presses;
  }
  EXPECT_EQ(presses, 11);
}

// A launcher whose dedicated start gives the server -77, which runs until a test says it has gone.
struct StartedServer : testing::Test {
  StartedServer() {
    rec.startResult.started = -77;
    rec.running = {-77};
  }
  Recorder rec;
  test_support::MemoryFileSystem fs;
  Launcher launcher{fs, rec, rec, rec};
  const LaunchForm form{"C:\\HL", "2fort", {}};
};

// The server found on the system (4242) waits until the one this program started is gone.
TEST_F(StartedServer, stopEndsItFirst_andLooksForAnotherOnlyOnceItIsGone) {
  rec.server = 4242;
  (void)launcher.LaunchDedicatedServer(form);
  rec.events.clear();
  launcher.StopDedicatedServer();
  EXPECT_EQ(rec.events, (Events{"terminate -77", "pause 1000", "close -77"}));
  rec.events.clear();
  launcher.StopDedicatedServer();
  EXPECT_EQ(rec.events, (Events{"terminate 4242", "pause 1000", "close 4242"}));
}

TEST_F(StartedServer, thatEndsByItself_isReportedEndedOnce) {
  EXPECT_EQ(launcher.WatchStartedServer(), Launcher::Watch::None);
  (void)launcher.LaunchDedicatedServer(form);
  EXPECT_EQ(launcher.WatchStartedServer(), Launcher::Watch::Running);
  rec.running.clear();
  EXPECT_EQ(launcher.WatchStartedServer(), Launcher::Watch::Ended);
  EXPECT_EQ(launcher.WatchStartedServer(), Launcher::Watch::None);
}

TEST_F(StartedServer, endedByAStopFromHere_isNotReportedEnded) {
  (void)launcher.LaunchDedicatedServer(form);
  launcher.StopDedicatedServer();
  EXPECT_EQ(launcher.WatchStartedServer(), Launcher::Watch::None);
}

}  // namespace
}  // namespace quorvane::launch

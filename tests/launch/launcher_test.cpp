#include "launch/launcher.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>

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
  std::set<Handle> running;

  std::string GameDir() const override { return "C:\\HL"; }
  std::string StartingMap() const override { return map; }
  void FocusStartingMap() override { events.push_back("focus"); }
  void ShowMessage(const std::string& text) override { events.push_back("message " + text); }
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

// Each press, its installation and its events come from a data file.
TEST(LauncherTest, eachPressGivesItsCueMessageRequestAndListenFileInOrder) {
  const std::map<std::string, void (Launcher::*)()> buttons{{"dedicated", &Launcher::StartDedicatedServer},
                                                            {"listen", &Launcher::StartListenServer},
                                                            {"join", &Launcher::JoinYourGame},
                                                            {"stop", &Launcher::StopDedicatedServer}};
  std::ifstream in(QUORVANE_TEST_DATA "/launch/presses.tsv");
  int presses = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("#")) continue;
    std::istringstream fields(line);
    std::string button, port, server, error, cfg;
    Recorder rec;
    for (std::string* field : {&button, &port, &server, &error, &cfg}) std::getline(fields, *field, '|');
    std::getline(fields, rec.map, '\t');
    Events expected;
    for (std::string event; std::getline(fields, event, '\t');) expected.push_back(event);
    test_support::MemoryFileSystem fs;
    fs.AddDirectory("C:\\HL\\tfc");
    if (!cfg.empty()) fs.AddFile(kListenCfg, cfg);
    config::MemoryFieldStore store;
    store.SetText("maxplayers", "8");
    store.SetText("port", port);
    if (!server.empty()) rec.server = std::stoll(server);
    if (!error.empty()) rec.startResult = StartResult::Failure(error);
    (Launcher(fs, store, rec, rec, rec, rec).*buttons.at(button))();
    EXPECT_EQ(rec.events, expected) << line;
    EXPECT_EQ(fs.Bytes(kListenCfg), cfg.empty() ? config::ListenServerCfgText(store) : cfg) << line;
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
  config::MemoryFieldStore store;
  Launcher launcher{fs, store, rec, rec, rec, rec};
};

// The server found on the system (4242) waits until the one this program started is gone.
TEST_F(StartedServer, stopEndsItFirst_andLooksForAnotherOnlyOnceItIsGone) {
  rec.server = 4242;
  launcher.LaunchDedicatedServer("2fort");
  rec.events.clear();
  launcher.StopDedicatedServer();
  EXPECT_EQ(rec.events, (Events{"terminate -77", "pause 1000", "close -77"}));
  rec.events.clear();
  launcher.StopDedicatedServer();
  EXPECT_EQ(rec.events, (Events{"terminate 4242", "pause 1000", "close 4242"}));
}

TEST_F(StartedServer, thatEndsByItself_isReportedEndedOnce) {
  EXPECT_EQ(launcher.WatchStartedServer(), Launcher::Watch::None);
  launcher.LaunchDedicatedServer("2fort");
  EXPECT_EQ(launcher.WatchStartedServer(), Launcher::Watch::Running);
  rec.running.clear();
  EXPECT_EQ(launcher.WatchStartedServer(), Launcher::Watch::Ended);
  EXPECT_EQ(launcher.WatchStartedServer(), Launcher::Watch::None);
}

TEST_F(StartedServer, endedByAStopFromHere_isNotReportedEnded) {
  launcher.LaunchDedicatedServer("2fort");
  launcher.StopDedicatedServer();
  EXPECT_EQ(launcher.WatchStartedServer(), Launcher::Watch::None);
}

}  // namespace
}  // namespace quorvane::launch

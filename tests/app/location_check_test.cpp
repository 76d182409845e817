#include "app/location_check.h"

#include <gtest/gtest.h>

#include "config/field_store.h"
#include "support/memory_file_system.h"

namespace quorvane::app {
namespace {

using test_support::MemoryFileSystem;

constexpr const char* kSettings = "C:\\Games\\Quorvane\\Quorvane.ini";

MemoryFileSystem WithProgramDirectory() {
  MemoryFileSystem fs;
  fs.AddDirectory("C:\\Games\\Quorvane");
  return fs;
}

// Every window step, in order, as text.
class RecordingWindows : public LocationWindows {
 public:
  void ShowMainForm() override { log.push_back("show MainForm"); }
  void SetMainGamePath(const std::string& text) override {
    mainGamePath = text;
    log.push_back("MainForm.GamePath=" + text);
  }
  void SetCheckGamePath(const std::string& text) override { checkGamePath = text; }
  std::string CheckGamePath() const override { return checkGamePath; }
  void ProcessEventsAndPause() override { log.push_back("pause"); }
  void ShowStartButton() override { log.push_back("show StartButton"); }
  void ShowLocateFile(const std::string& directory) override { log.push_back("show LocateFile " + directory); }
  void ShowMessage(const std::string& text) override { log.push_back("message " + text); }

  std::vector<std::string> log;
  std::string mainGamePath = "hlds.exe location goes here";
  std::string checkGamePath;
};

TEST(StartupCheckTest, settingsFile_winsOverTheDefaultInstallation) {
  MemoryFileSystem fs = WithProgramDirectory();
  fs.AddFile(kSettings, "D:\\Games\\Half-Life\r\n");
  fs.AddFile("c:\\sierra\\half-life\\hlds.exe", "MZ");
  RecordingWindows windows;

  EXPECT_EQ(RunStartupCheck(fs, {kSettings, {}}, windows), StartBranch::SettingsFile);

  EXPECT_EQ(windows.checkGamePath, "D:\\Games\\Half-Life");
  EXPECT_EQ(windows.mainGamePath, "D:\\Games\\Half-Life");
  EXPECT_EQ(windows.log.back(), "show StartButton");
  EXPECT_EQ(windows.log[windows.log.size() - 2], "pause");
  EXPECT_EQ(fs.Bytes(kSettings), "D:\\Games\\Half-Life\r\n");
}

TEST(StartupCheckTest, emptySettingsFile_givesAnEmptyLocationWithoutAsking) {
  MemoryFileSystem fs = WithProgramDirectory();
  fs.AddFile(kSettings, "");
  RecordingWindows windows;
  EXPECT_EQ(RunStartupCheck(fs, {kSettings, {}}, windows), StartBranch::SettingsFile);
  EXPECT_EQ(windows.mainGamePath, "");
  EXPECT_EQ(windows.log.back(), "show StartButton");
}

TEST(StartupCheckTest, defaultInstallation_isStoredWithItsClosingBackslash) {
  MemoryFileSystem fs = WithProgramDirectory();
  fs.AddFile("C:\\Sierra\\Half-Life\\HLDS.EXE", "MZ");
  RecordingWindows windows;

  EXPECT_EQ(RunStartupCheck(fs, {kSettings, {"/home/u/Steam/steamapps/common/Half-Life"}}, windows),
            StartBranch::DefaultInstallation);

  EXPECT_EQ(fs.Bytes(kSettings), "C:\\Sierra\\Half-Life\\\r\n");
  EXPECT_EQ(windows.log, (std::vector<std::string>{"show MainForm", "MainForm.GamePath=C:\\Sierra\\Half-Life\\",
                                                   "pause", "show StartButton"}));
}

struct SteamCase {
  const char* file;
  const char* stored;
};

class SteamPlaceTest : public ::testing::TestWithParam<SteamCase> {};

TEST_P(SteamPlaceTest, nativeServerFound_isStoredWithClosingSeparator) {
  MemoryFileSystem fs = WithProgramDirectory();
  fs.AddFile(GetParam().file, "#!/bin/sh");
  RecordingWindows windows;
  EXPECT_EQ(RunStartupCheck(fs, {kSettings, SteamInstallDirs("/home/u")}, windows), StartBranch::DefaultInstallation);
  EXPECT_EQ(windows.mainGamePath, GetParam().stored);
  EXPECT_EQ(fs.Bytes(kSettings), std::string(GetParam().stored) + "\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Places, SteamPlaceTest,
    ::testing::Values(SteamCase{"/home/u/Steam/steamapps/common/Half-Life/hlds_run",
                                "/home/u/Steam/steamapps/common/Half-Life/"},
                      SteamCase{"/home/u/.steam/steam/steamapps/common/Half-Life/hlds_linux",
                                "/home/u/.steam/steam/steamapps/common/Half-Life/"},
                      SteamCase{"/home/u/.local/share/Steam/steamapps/common/Half-Life/hlds_run",
                                "/home/u/.local/share/Steam/steamapps/common/Half-Life/"}));

TEST(StartupCheckTest, steamDirectoryWithoutServer_isNotAnInstallation) {
  MemoryFileSystem fs = WithProgramDirectory();
  fs.AddFile("/home/u/Steam/steamapps/common/Half-Life/hl.sh", "#!/bin/sh");
  fs.AddDirectory("/home/u/.steam/steam/steamapps/common/Half-Life/hlds_run");  // a directory, not the server
  RecordingWindows windows;
  EXPECT_EQ(RunStartupCheck(fs, {kSettings, SteamInstallDirs("/home/u")}, windows), StartBranch::FirstRun);
  EXPECT_TRUE(SteamInstallDirs("").empty());
}

TEST(StartupCheckTest, firstRun_opensLocateFileOnTheRootWithTheMessage) {
  MemoryFileSystem fs = WithProgramDirectory();
  RecordingWindows windows;
  EXPECT_EQ(RunStartupCheck(fs, {kSettings, {}}, windows), StartBranch::FirstRun);
  EXPECT_EQ(windows.log,
            (std::vector<std::string>{"show LocateFile C:\\",
                                      "message The location of the hlds.exe server file was not found.  Please "
                                      "select the location of the file now."}));
  EXPECT_FALSE(fs.Exists(kSettings));
}

TEST(FirstRunSaveTest, emptyLocation_isRefusedAndNothingIsStored) {
  MemoryFileSystem fs = WithProgramDirectory();
  RecordingWindows windows;
  EXPECT_FALSE(SaveFirstRunLocation(fs, kSettings, "", windows));
  EXPECT_EQ(windows.log,
            std::vector<std::string>{"message You Must Enter a Directory Location for the Hlds.exe file"});
  EXPECT_FALSE(fs.Exists(kSettings));
}

TEST(FirstRunSaveTest, chosenDirectory_isStoredThenTheStartGoesOn) {
  MemoryFileSystem fs = WithProgramDirectory();
  RecordingWindows windows;
  ASSERT_TRUE(SaveFirstRunLocation(fs, kSettings, "C:\\SIERRA\\HALF-LIFE", windows));
  EXPECT_EQ(fs.Bytes(kSettings), "C:\\SIERRA\\HALF-LIFE\r\n");
  ASSERT_EQ(windows.log.size(), 6u);
  EXPECT_EQ(windows.log[0], "MainForm.GamePath=C:\\SIERRA\\HALF-LIFE");
  EXPECT_EQ(windows.log[1], "show MainForm");
  EXPECT_EQ(windows.log[2], "message The Location of the Half-Life Server executable has been saved.");
  EXPECT_EQ(windows.log[3], std::string("message ") + kRereadAdviceMessage);
  EXPECT_EQ(windows.log[4], "pause");
  EXPECT_EQ(windows.log[5], "show StartButton");
}

TEST(FirstRunSaveTest, settingsFileCannotBeWritten_mainWindowStillTakesTheLocation) {
  MemoryFileSystem fs = WithProgramDirectory();
  fs.FailOn(MemoryFileSystem::Op::Write, kSettings, MemoryFileSystem::kNoSpace);
  RecordingWindows windows;
  EXPECT_TRUE(SaveFirstRunLocation(fs, kSettings, "E:\\HL", windows));
  EXPECT_EQ(windows.mainGamePath, "E:\\HL");
  EXPECT_FALSE(fs.Exists(kSettings));
}

class RecordingTarget : public ChangeTarget {
 public:
  std::string GameDir() const override { return gameDir; }
  config::FieldStore& Fields() override { return fields; }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void AddStartingMaps(const std::vector<std::string>&) override { ADD_FAILURE() << "the change only replaces"; }
  void AddAvailableMaps(const std::vector<std::string>&) override { ADD_FAILURE() << "the change only replaces"; }
  void ReplaceStartingMaps(const std::vector<std::string>& names) override {
    combo = names;
    comboText.clear();
  }
  void ReplaceAvailableMaps(const std::vector<std::string>& names) override { list2 = names; }
  void SetMapCycle(const std::vector<std::string>& entries) override { list1 = entries; }
  void SetMotd(const std::string& text) override { motd = text; }
  void LoadSoundForm() override { ADD_FAILURE() << "SoundForm is the start's alone"; }
  void SetGameDir(const std::string& text) override { gameDir = text; }
  void BringToFront() override { ++broughtForward; }

  config::MemoryFieldStore fields;
  std::string gameDir = "C:\\Old";
  std::vector<std::string> messages, combo, list2, list1{"2fort", "well"};
  std::string comboText = "2fort";
  std::string motd = "old message";
  int broughtForward = 0;
};

TEST(ChangeLocationSaveTest, newPlaceWithEverything_reloadsAllOfIt) {
  MemoryFileSystem fs = WithProgramDirectory();
  fs.AddFile("D:\\New\\tfc\\maps\\avanti.bsp", "BSP");
  fs.AddFile("D:\\New\\tfc\\mapcycle.txt", "avanti\r\ncz2\r\n");
  fs.AddFile("D:\\New\\tfc\\server.cfg", "hostname \"New one\"\r\n");
  fs.AddFile("D:\\New\\valve\\autoexec.cfg", "rate \"25000\"\r\n");
  fs.AddFile("D:\\New\\tfc\\motd.txt", "hi\r\n");
  RecordingTarget main;

  EXPECT_TRUE(SaveChangedLocation(fs, kSettings, "D:\\New", main));

  EXPECT_EQ(fs.Bytes(kSettings), "D:\\New\r\n");
  EXPECT_EQ(main.gameDir, "D:\\New");
  EXPECT_EQ(main.broughtForward, 1);
  const std::vector<std::string> catalogue{"2Fort", "avanti", "cz2", "hunted", "push", "rock2", "well"};
  EXPECT_EQ(main.combo, catalogue);
  EXPECT_EQ(main.comboText, "");
  EXPECT_EQ(main.list2, catalogue);
  EXPECT_EQ(main.list1, (std::vector<std::string>{"avanti", "cz2"}));
  EXPECT_EQ(main.fields.GetText("hostname"), "New one");
  EXPECT_EQ(main.fields.GetText("rate"), "25000");
  EXPECT_EQ(main.motd, "hi");
  EXPECT_EQ(main.messages, std::vector<std::string>{"The Location of the Half-Life Server executable has been saved."});
}

TEST(ChangeLocationSaveTest, newPlaceWithoutFiles_createsEmptyCycleAndKeepsTheRest) {
  MemoryFileSystem fs = WithProgramDirectory();
  fs.AddDirectory("D:\\Bare\\Tfc");
  RecordingTarget main;
  main.fields.SetText("hostname", "kept");

  SaveChangedLocation(fs, kSettings, "D:\\Bare", main);

  EXPECT_EQ(fs.Bytes("D:\\Bare\\tfc\\mapcycle.txt"), "");
  EXPECT_EQ(main.list1, (std::vector<std::string>{"2fort", "well"}));
  EXPECT_EQ(main.fields.GetText("hostname"), "kept");
  EXPECT_EQ(main.motd, "old message");
  EXPECT_EQ(main.combo.size(), 6u);
  EXPECT_EQ(main.comboText, "");
  EXPECT_EQ(main.messages.size(), 1u);
}

TEST(ChangeLocationSaveTest, settingsFileCannotBeWritten_isReportedAndTheReloadStillRuns) {
  MemoryFileSystem fs = WithProgramDirectory();
  fs.FailOn(MemoryFileSystem::Op::Write, kSettings, MemoryFileSystem::kDenied);
  RecordingTarget main;
  const install::IoResult result = SaveChangedLocation(fs, kSettings, "D:\\Else", main);
  EXPECT_FALSE(result);
  EXPECT_EQ(result.error, MemoryFileSystem::kDenied);
  EXPECT_EQ(main.gameDir, "D:\\Else");
  EXPECT_EQ(main.messages.size(), 1u);
}

}  // namespace
}  // namespace quorvane::app

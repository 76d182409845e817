// The start-up load of a workspace, the location check and the two saves of
// the locate windows, against the windows as plain data.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/location_check.h"
#include "app/workspace.h"
#include "install/build_info.h"
#include "platform/file_system.h"
#include "support/memory_file_system.h"
#include "support/temp_install.h"

namespace quorvane::app {
namespace {

using Names = std::vector<std::string>;
using test_support::MemoryFileSystem;
using test_support::TempInstall;

// Every window the start touches, as data, with each call logged in order.
struct Recorder : ChangeTarget, LocationWindows {
  std::string GameDir() const override { return gameDir; }
  config::FieldStore& Fields() override { return fields; }
  void ShowMessage(const std::string& text) override { messages.push_back(text), log.push_back("message " + text); }
  void AddStartingMaps(const Names& n) override { combo.insert(combo.end(), n.begin(), n.end()), log.push_back("Combo1"); }
  void AddAvailableMaps(const Names& n) override { list2.insert(list2.end(), n.begin(), n.end()), log.push_back("List2"); }
  void ReplaceStartingMaps(const Names& n) override { combo = n, log.push_back("replace Combo1"); }
  void ReplaceAvailableMaps(const Names& n) override { list2 = n, log.push_back("replace List2"); }
  void SetMapCycle(const Names& n) override { list1 = n, log.push_back("List1"); }
  void SetMotd(const std::string& text) override { motd = text, log.push_back("Text9"); }
  void LoadSoundForm() override { log.push_back("SoundForm"); }
  void SetGameDir(const std::string& text) override { gameDir = text; }
  void BringToFront() override { log.push_back("front"); }
  void ShowMainForm() override { log.push_back("show MainForm"); }
  void SetMainGamePath(const std::string& text) override { mainGamePath = text, log.push_back("GamePath=" + text); }
  void SetCheckGamePath(const std::string& text) override { checkGamePath = text; }
  std::string CheckGamePath() const override { return checkGamePath; }
  void ProcessEventsAndPause() override { log.push_back("pause"); }
  void ShowStartButton() override { log.push_back("show StartButton"); }
  void ShowLocateFile(const std::string& directory) override { log.push_back("show LocateFile " + directory); }

  config::MemoryFieldStore fields;
  std::string gameDir, mainGamePath, checkGamePath, motd = "untouched";
  Names messages, combo, list2, list1{"2fort", "well"}, log;
};

const Names kStandard = {"2Fort", "cz2", "hunted", "push", "rock2", "well"};

std::string Golden(const std::string& name) {
  std::ifstream in(QUORVANE_TEST_DATA "/config/" + name, std::ios::binary);
  std::string text{std::istreambuf_iterator<char>(in), {}};
  return text.replace(text.find("@DOWNLOAD_PAGE@"), 15, install::kDownloadPage);
}

struct Loaded : Recorder {
  explicit Loaded(const TempInstall& hl) { gameDir = hl.GameDir(), list1.clear(); }
  LoadReport Load() {
    platform::NativeFileSystem fs;
    return LoadWorkspace(fs, *this);
  }
};

void WriteComplete(const TempInstall& hl) {
  hl.Write("Valve/autoexec.cfg", "brightness \"2\"\r\ncl_himodels \"0\"\r\nrate \"9999\"\r\n");
  hl.Write("Tfc/server.cfg", "// hand made\nhostname \"Friday Night TFC\"\nport \"\"\nmp_teamplay \"1\"\n");
  hl.Write("Tfc/Maps/2fort.bsp", "BSP");
  hl.Write("Tfc/Maps/2fort.txt", "briefing");
  hl.Write("Tfc/mapcycle.txt", "2fort\r\nwell\r\navanti");
  hl.Write("Tfc/motd.txt", "Welcome!\r\nNo spawn camping.\r\n");
}

TEST(LoadWorkspace, completeInstallation_loadsEverythingWithoutMessagesAndFixesTheServerFields) {
  TempInstall hl;
  WriteComplete(hl);
  Loaded ws(hl);
  EXPECT_TRUE(ws.Load().ok());
  EXPECT_EQ(ws.log, (Names{"Combo1", "List1", "Text9", "List2", "SoundForm"}));
  EXPECT_EQ((Names{ws.fields.GetText("hostname"), ws.fields.GetText("mp_teamplay"), ws.fields.GetText("port"),
                   ws.fields.GetText("rate")}),
            (Names{"Friday Night TFC", "21", "27016", "9999"}));
  EXPECT_EQ(ws.fields.GetCheck("cl_himodels"), 0);
  // Two files named 2fort add the name twice besides the standard "2Fort".
  EXPECT_EQ(ws.combo.size(), 8u);
  EXPECT_EQ(std::count(ws.combo.begin(), ws.combo.end(), "2fort"), 2);
  EXPECT_EQ(ws.list2, ws.combo);
  EXPECT_EQ(ws.list1, (Names{"2fort", "well", "avanti"}));
  EXPECT_EQ(ws.motd, "Welcome!\r\nNo spawn camping.");
}

TEST(LoadWorkspace, missingConfigFile_twoMessagesDefaultsAndTheBasicFile) {
  const char* const cases[][4] = {
      {"Valve/autoexec.cfg", "autoexec_basic.cfg",
       "Autoexec.cfg file in the @Valve directory.  If it does not find it there, it will create a basic one.",
       "Your Autoexec Config file was not found, I will now put in the values for you in the form"},
      {"Tfc/server.cfg", "server_basic.cfg",
       "server.cfg file in the @TFC  directory.  If it does not find it there, it will create a basic one.",
       "Your Server Config file was not found, I will now put in the values for you in the form"}};
  for (const auto& [file, golden, first, second] : cases) {
    SCOPED_TRACE(file);
    TempInstall hl;
    WriteComplete(hl);
    std::filesystem::remove(hl.Path(file));
    Loaded ws(hl);
    ws.Load();
    std::string looks = std::string("This Form looks for your ") + first;
    EXPECT_EQ(ws.messages, (Names{looks.replace(looks.find('@'), 1, hl.GameDir()), second}));
    EXPECT_EQ(hl.Read(file), Golden(golden));
    EXPECT_EQ(ws.fields.GetCheck("cl_himodels"), std::string(golden) == "autoexec_basic.cfg" ? 1 : 0);
    EXPECT_EQ(ws.fields.GetText("port"), "27016");
  }
}

// The directories are found under any spelling; what is missing is created in them.
TEST(LoadWorkspace, lowerCaseDirectoriesWithoutMapsCycleOrMessage_getThemCreatedAndTheStandardMaps) {
  TempInstall hl;
  hl.Write("valve/autoexec.cfg", "rate \"9999\"\r\n");
  hl.Write("tfc/server.cfg", "hostname \"Lower\"\r\n");
  Loaded ws(hl);
  EXPECT_TRUE(ws.Load().ok());
  EXPECT_EQ(ws.fields.GetText("hostname"), "Lower");
  EXPECT_TRUE(std::filesystem::is_directory(hl.Path("tfc/Maps")));
  EXPECT_FALSE(hl.Exists("Tfc")) << "no second directory beside the lower-case one";
  EXPECT_EQ(ws.combo, kStandard);
  EXPECT_EQ(ws.list2, kStandard);
  EXPECT_EQ(hl.Read("tfc/mapcycle.txt"), "");
  EXPECT_EQ(hl.Read("tfc/motd.txt"), "");
  EXPECT_EQ(ws.log, (Names{"Combo1", "List2", "SoundForm"})) << "no message; the cycle and message are left alone";
}

constexpr const char* kSettings = "C:\\Games\\Quorvane\\Quorvane.ini";

struct Check : Recorder {
  Check() { fs.AddDirectory("C:\\Games\\Quorvane"); }
  StartBranch Run(const Names& native = {}) { return RunStartupCheck(fs, {kSettings, native}, *this); }
  MemoryFileSystem fs;
};

TEST(StartupCheck, settingsFile_winsOverTheDefaultInstallation) {
  Check c;
  c.fs.AddFile(kSettings, "D:\\Games\\Half-Life\r\n");
  c.fs.AddFile("c:\\sierra\\half-life\\hlds.exe", "MZ");
  EXPECT_EQ(c.Run(), StartBranch::SettingsFile);
  EXPECT_EQ(c.checkGamePath, "D:\\Games\\Half-Life");
  EXPECT_EQ(c.mainGamePath, "D:\\Games\\Half-Life");
  EXPECT_EQ(Names(c.log.end() - 2, c.log.end()), (Names{"pause", "show StartButton"}));
  EXPECT_EQ(c.fs.Bytes(kSettings), "D:\\Games\\Half-Life\r\n");
}

TEST(StartupCheck, defaultInstallation_isStoredWithItsClosingBackslash) {
  Check c;
  c.fs.AddFile("C:\\Sierra\\Half-Life\\HLDS.EXE", "MZ");
  EXPECT_EQ(c.Run({"/home/u/Steam/steamapps/common/Half-Life"}), StartBranch::DefaultInstallation);
  EXPECT_EQ(c.fs.Bytes(kSettings), "C:\\Sierra\\Half-Life\\\r\n");
  EXPECT_EQ(c.log, (Names{"show MainForm", "GamePath=C:\\Sierra\\Half-Life\\", "pause", "show StartButton"}));
}

TEST(StartupCheck, steamPlaceWithANativeServer_isStoredWithItsClosingSeparatorAndOthersAreNot) {
  const char* const cases[][2] = {{"/home/u/Steam", "hlds_run"}, {"/home/u/.steam/steam", "hlds_linux"},
                                  {"/home/u/.local/share/Steam", "hlds_run"}, {"/home/u/Steam", "hl.sh"}};
  for (const auto& [place, program] : cases) {
    const std::string dir = std::string(place) + "/steamapps/common/Half-Life/";
    Check c;
    c.fs.AddFile(dir + program, "#!/bin/sh");
    c.fs.AddDirectory("/home/u/.steam/steam/steamapps/common/Half-Life/hlds_run");  // a directory, not the server
    const bool server = std::string(program) != "hl.sh";
    EXPECT_EQ(c.Run(SteamInstallDirs("/home/u")), server ? StartBranch::DefaultInstallation : StartBranch::FirstRun);
    EXPECT_EQ(c.fs.Bytes(kSettings).value_or("none"), server ? dir + "\r\n" : "none") << dir << program;
  }
}

TEST(StartupCheck, firstRun_opensLocateFileOnTheRootWithTheMessageAndTheSaveStoresTheChoice) {
  Check c;
  EXPECT_EQ(c.Run(), StartBranch::FirstRun);
  EXPECT_EQ(c.log, (Names{"show LocateFile C:\\", std::string("message ") + kLocationNotFoundMessage}));
  EXPECT_FALSE(c.fs.Exists(kSettings));
  c.log.clear();
  EXPECT_FALSE(SaveFirstRunLocation(c.fs, kSettings, "", c));
  EXPECT_EQ(c.log, (Names{std::string("message ") + kEmptyLocationMessage}));
  c.log.clear();
  ASSERT_TRUE(SaveFirstRunLocation(c.fs, kSettings, "C:\\SIERRA\\HALF-LIFE", c));
  EXPECT_EQ(c.fs.Bytes(kSettings), "C:\\SIERRA\\HALF-LIFE\r\n");
  EXPECT_EQ(c.log, (Names{"GamePath=C:\\SIERRA\\HALF-LIFE", "show MainForm",
                          std::string("message ") + kLocationSavedMessage, std::string("message ") + kRereadAdviceMessage,
                          "pause", "show StartButton"}));
}

TEST(ChangeLocationSave, newPlace_reloadsWhatItHasKeepsTheCycleWithoutOneAndLeavesNoStartingMap) {
  for (bool full : {true, false}) {
    SCOPED_TRACE(full ? "full" : "bare");
    Check c;
    c.fs.AddDirectory("D:\\New\\Tfc");
    if (full) {
      c.fs.AddFile("D:\\New\\tfc\\maps\\avanti.bsp", "BSP");
      c.fs.AddFile("D:\\New\\tfc\\mapcycle.txt", "avanti\r\ncz2\r\n");
      c.fs.AddFile("D:\\New\\tfc\\server.cfg", "hostname \"New one\"\r\n");
      c.fs.AddFile("D:\\New\\tfc\\motd.txt", "hi\r\n");
    }
    c.fields.SetText("hostname", "kept");
    EXPECT_TRUE(SaveChangedLocation(c.fs, kSettings, "D:\\New", c));
    EXPECT_EQ(c.fs.Bytes(kSettings), "D:\\New\r\n");
    EXPECT_EQ(c.gameDir, "D:\\New");
    EXPECT_EQ(c.combo.size(), full ? 7u : 6u);
    EXPECT_EQ(c.list2, c.combo);
    EXPECT_EQ(std::count(c.log.begin(), c.log.end(), "Combo1"), 0) << "replaced, so no starting map stays chosen";
    EXPECT_EQ(c.list1, (full ? Names{"avanti", "cz2"} : Names{"2fort", "well"}));
    EXPECT_EQ(c.fs.Bytes("D:\\New\\tfc\\mapcycle.txt"), full ? "avanti\r\ncz2\r\n" : "");
    EXPECT_EQ(c.fields.GetText("hostname"), full ? "New one" : "kept");
    EXPECT_EQ(c.motd, full ? "hi" : "untouched");
    EXPECT_EQ(c.messages, Names{kLocationSavedMessage});
    EXPECT_EQ(std::count(c.log.begin(), c.log.end(), "front"), 1);
  }
}

}  // namespace
}  // namespace quorvane::app

// The start-up load of a workspace, the location check and the two saves of
// the locate windows, against the windows as plain data; the closing shrink.
#include <gtest/gtest.h>

#include "app/location_check.h"
#include "app/shrink_window.h"
#include "app/workspace.h"
#include "platform/file_system.h"
#include "support/memory_file_system.h"
#include "support/temp_install.h"

namespace quorvane::app {
namespace {

using Names = std::vector<std::string>;
using test_support::MemoryFileSystem;
constexpr const char* kSettings = "C:\\Games\\Quorvane\\Quorvane.ini";
const std::string kStandardMaps = "|2Fort|cz2|hunted|push|rock2|well";

// Every window the start touches, as data: each call is a line of one log, a list's names joined by '|'.
struct Recorder : ChangeTarget, LocationWindows {
  std::string GameDir() const override { return gameDir; }
  config::FieldStore& Fields() override { return fields; }
  void ShowMessage(const std::string& text) override { log.push_back("message " + text); }
  void AddStartingMaps(const Names& n) override { Note("Combo1", n); }
  void AddAvailableMaps(const Names& n) override { Note("List2", n); }
  void ReplaceStartingMaps(const Names& n) override { Note("replace Combo1", n); }
  void ReplaceAvailableMaps(const Names& n) override { Note("replace List2", n); }
  void SetMapCycle(const Names& n) override { Note("List1", n); }
  void SetMotd(const std::string& text) override { log.push_back("Text9 " + text); }
  void LoadSoundForm() override { log.push_back("SoundForm"); }
  void SetGameDir(const std::string& text) override { gameDir = text; }
  void BringToFront() override { log.push_back("front"); }
  void ShowMainForm() override { log.push_back("show MainForm"); }
  void SetMainGamePath(const std::string& text) override { log.push_back("GamePath=" + text); }
  void SetCheckGamePath(const std::string& text) override { checkGamePath = text; }
  std::string CheckGamePath() const override { return checkGamePath; }
  void ProcessEventsAndPause() override { log.push_back("pause"); }
  void ShowStartButton() override { log.push_back("show StartButton"); }
  void ShowLocateFile(const std::string& directory) override { log.push_back("show LocateFile " + directory); }

  void Note(std::string line, const Names& names) {
    for (const std::string& name : names) line += "|" + name;
    log.push_back(line);
  }

  Recorder() { fs.AddDirectory("C:\\Games\\Quorvane"); }  // where the settings file goes
  MemoryFileSystem fs;
  config::MemoryFieldStore fields;
  std::string gameDir = "D:\\Old", checkGamePath;
  Names log;
};

// A copy of the complete installation on the real disk, loaded through the platform's file system.
struct LoadWorkspaceTest : testing::Test {
  void SetUp() override {
    std::filesystem::copy(QUORVANE_TEST_DATA "/app/complete", hl.GameDir(), std::filesystem::copy_options::recursive);
    ws.gameDir = hl.GameDir();
  }
  void Load() {
    platform::NativeFileSystem disk;
    EXPECT_TRUE(LoadWorkspace(disk, ws).ok());
  }
  test_support::TempInstall hl;
  Recorder ws;
};

TEST_F(LoadWorkspaceTest, completeInstallationFillsEveryListQuietlyAndFixesUpTheServerFieldsAfterReading) {
  Load();
  // Two files named 2fort add the name twice after the standard "2Fort".
  const std::string maps = kStandardMaps + "|2fort|2fort";
  EXPECT_EQ(ws.log, (Names{"Combo1" + maps, "List1|2fort|well|avanti", "Text9 Welcome!\r\nNo spawn camping.",
                           "List2" + maps, "SoundForm"}));
  EXPECT_EQ((Names{ws.fields.GetText("hostname"), ws.fields.GetText("rate"), ws.fields.GetText("port"),
                   ws.fields.GetText("mp_teamplay")}),
            (Names{"Friday Night TFC", "9999", "27016", "21"}));
}

// Missing configuration files are the effects test's; here the map files, in a directory spelt "tfc".
TEST_F(LoadWorkspaceTest, missingMapsCycleAndMessageAreCreatedEmptyInTheDirectoryAsItIsSpelt) {
  // Through another name: Wine takes a rename to the same name in other letter case as nothing to do.
  std::filesystem::rename(hl.Path("Tfc"), hl.Path("tfc.renaming"));
  std::filesystem::rename(hl.Path("tfc.renaming"), hl.Path("tfc"));
  for (const char* gone : {"tfc/Maps", "tfc/mapcycle.txt", "tfc/motd.txt"}) std::filesystem::remove_all(hl.Path(gone));
  Load();
  EXPECT_EQ(ws.log, (Names{"Combo1" + kStandardMaps, "List2" + kStandardMaps, "SoundForm"}));
  EXPECT_TRUE(std::filesystem::is_directory(hl.Path("tfc/Maps")));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(hl.GameDir()), {}), 2) << "a second tfc directory";
  ASSERT_TRUE(hl.Exists("tfc/mapcycle.txt") && hl.Exists("tfc/motd.txt"));
  EXPECT_EQ(hl.Read("tfc/mapcycle.txt") + hl.Read("tfc/motd.txt"), "");
}

TEST(LoadWorkspace, aFileThatCannotBeRead_isReportedByNameAndReason) {
  Recorder ws;
  ws.gameDir = "C:\\HL";
  ws.fs.AddDirectory("C:\\HL\\Valve");
  ws.fs.AddFile("C:\\HL\\Tfc\\motd.txt", "");
  ws.fs.FailOn(MemoryFileSystem::Op::Read, "C:\\HL\\Tfc\\motd.txt", "Input/output error");
  EXPECT_EQ(LoadWorkspace(ws.fs, ws).failures,
            Names{"Quorvane could not read C:\\HL\\Tfc\\motd.txt: Input/output error"});
}

TEST(StartupCheck, settingsFileThenDefaultOrSteamServerThenFirstRun_andWhatEachStores) {
  const std::string hl = "/steamapps/common/Half-Life/";
  const struct {
    std::string settings, dir, program;  // the settings file's location, and the one program present
    StartBranch branch;
  } cases[] = {
      {"D:\\Games\\Half-Life", "c:\\sierra\\half-life\\", "hlds.exe", StartBranch::SettingsFile},
      {"", "C:\\Sierra\\Half-Life\\", "HLDS.EXE", StartBranch::DefaultInstallation},
      {"", "/home/u/Steam" + hl, "hlds_run", StartBranch::DefaultInstallation},
      {"", "/home/u/.steam/steam" + hl, "hlds_linux", StartBranch::DefaultInstallation},
      {"", "/home/u/.local/share/Steam" + hl, "hlds_run", StartBranch::DefaultInstallation},
      {"", "/home/u/Steam" + hl, "hl.sh", StartBranch::FirstRun},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.dir + k.program);
    Recorder c;
    if (!k.settings.empty()) c.fs.AddFile(kSettings, k.settings + "\r\n");
    c.fs.AddFile(k.dir + k.program, "MZ");
    c.fs.AddDirectory("/home/u/.steam/steam" + hl + "hlds_run");  // a directory, not the server
    EXPECT_EQ(RunStartupCheck(c.fs, {kSettings, SteamInstallDirs("/home/u")}, c), k.branch);
    const bool firstRun = k.branch == StartBranch::FirstRun;
    const std::string stored = k.settings.empty() ? k.dir : k.settings;  // a found place keeps its closing separator
    const Names last = firstRun ? Names{"show LocateFile C:\\", std::string("message ") + kLocationNotFoundMessage}
                                : Names{"show MainForm", "GamePath=" + stored, "pause", "show StartButton"};
    ASSERT_GE(c.log.size(), last.size());
    EXPECT_EQ(Names(c.log.end() - static_cast<std::ptrdiff_t>(last.size()), c.log.end()), last);
    EXPECT_EQ(c.fs.Bytes(kSettings).value_or("none"), firstRun ? "none" : stored + "\r\n");
  }
}

TEST(StartupCheck, foundInstallationWhoseSettingsCannotBeStored_saysSoAndStartsAnyway) {
  Recorder c;
  c.fs.AddFile("C:\\Sierra\\Half-Life\\hlds.exe", "MZ");
  c.fs.FailOn(MemoryFileSystem::Op::Write, kSettings, MemoryFileSystem::kNoSpace);
  EXPECT_EQ(RunStartupCheck(c.fs, {kSettings, {}}, c), StartBranch::DefaultInstallation);
  EXPECT_EQ(c.log, (Names{"show MainForm", "GamePath=C:\\Sierra\\Half-Life\\",
                          std::string("message Quorvane could not write ") + kSettings + ": No space left on device",
                          "pause", "show StartButton"}));
}

// Quorvane.ini holds the place as one line, so a name with a line break would come back cut.
TEST(LocationSave, aPlaceThatIsEmptyHoldsALineBreakOrCannotBeStored_isRefusedWithOneMessageAndChangesNothing) {
  const std::string cannotWrite = std::string("Quorvane could not write ") + kSettings + ": ";
  const struct {
    const char* name;
    bool change;  // the change-location save, else the first-run one
    std::string chosen;
    const char* writeFailure;  // the settings file's write fails with this reason, when set
    std::string message;
  } cases[] = {
      {"first run, nothing chosen", false, "", nullptr, kEmptyLocationMessage},
      {"first run, line break", false, "D:\\H\nL", nullptr, kLineBreakLocationMessage},
      {"change, line break", true, "D:\\New\r", nullptr, kLineBreakLocationMessage},
      {"first run, refused", false, "D:\\HL", MemoryFileSystem::kDenied, cannotWrite + MemoryFileSystem::kDenied},
      {"change, full disk", true, "D:\\New", MemoryFileSystem::kNoSpace, cannotWrite + MemoryFileSystem::kNoSpace},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Recorder r;
    if (c.writeFailure != nullptr) r.fs.FailOn(MemoryFileSystem::Op::Write, kSettings, c.writeFailure);
    EXPECT_FALSE(c.change ? SaveChangedLocation(r.fs, kSettings, c.chosen, r).ok
                          : SaveFirstRunLocation(r.fs, kSettings, c.chosen, r));
    EXPECT_EQ(r.log, Names{"message " + c.message});
    EXPECT_EQ(r.gameDir, "D:\\Old");
    EXPECT_FALSE(r.fs.Exists(kSettings));
  }
}

TEST(ChangeLocationSave, reloadsWhatTheNewPlaceHolds_keepsWhatItLacks_andReplacesTheMapListsWhole) {
  Recorder c;
  c.fs.AddDirectory("D:\\New\\Tfc");
  c.fields.SetText("hostname", "kept");
  const std::string saved = std::string("message ") + kLocationSavedMessage;
  ASSERT_TRUE(SaveChangedLocation(c.fs, kSettings, "D:\\New", c).ok);
  EXPECT_EQ(c.log, (Names{"front", "replace Combo1" + kStandardMaps, "replace List2" + kStandardMaps, saved}));
  EXPECT_EQ((Names{c.fs.Bytes(kSettings).value_or("none"), c.gameDir, c.fields.GetText("hostname")}),
            (Names{"D:\\New\r\n", "D:\\New", "kept"}));
  EXPECT_EQ(c.fs.Bytes("D:\\New\\tfc\\mapcycle.txt"), "") << "an empty cycle is created";
  c.log.clear();
  c.fs.AddFile("D:\\New\\tfc\\maps\\avanti.bsp", "BSP");
  c.fs.AddFile("D:\\New\\tfc\\mapcycle.txt", "avanti\r\ncz2\r\n");
  c.fs.AddFile("D:\\New\\tfc\\server.cfg", "hostname \"New one\"\r\n");
  c.fs.AddFile("D:\\New\\tfc\\motd.txt", "hi\r\n");
  ASSERT_TRUE(SaveChangedLocation(c.fs, kSettings, "D:\\New", c).ok);
  const std::string maps = "|2Fort|avanti|cz2|hunted|push|rock2|well";
  EXPECT_EQ(c.log,
            (Names{"front", "replace Combo1" + maps, "List1|avanti|cz2", "replace List2" + maps, "Text9 hi", saved}));
  EXPECT_EQ(c.fields.GetText("hostname"), "New one");
}

TEST(ChangeLocationSave, aFileOfTheNewPlaceThatCannotBeRead_isShownBeforeTheSavedMessage) {
  Recorder c;
  c.fs.AddFile("D:\\New\\Tfc\\server.cfg", "hostname \"x\"\r\n");
  c.fs.FailOn(MemoryFileSystem::Op::Read, "D:\\New\\Tfc\\server.cfg", "Input/output error");
  ASSERT_TRUE(SaveChangedLocation(c.fs, kSettings, "D:\\New", c).ok);
  EXPECT_EQ(Names(c.log.end() - 2, c.log.end()),
            (Names{"message Quorvane could not read D:\\New\\Tfc\\server.cfg: Input/output error",
                   std::string("message ") + kLocationSavedMessage}));
}

constexpr int kW = 19200;  // 1280 x 1024 pixels at 96 DPI, in twips
constexpr int kH = 15360;

TEST(ShrinkSteps, stepCountAndLastGeometryFollowWidthAndHeight) {
  const struct {
    TwipRect start;
    std::size_t steps;
    TwipRect last;
    int screenW = kW, screenH = kH;
  } cases[] = {
      // Narrower than 2000: one step, the width test comes after it.
      {{100, 200, 1950, 3000}, 1, {(kW - 1850) / 2, (kH - 2900) / 2, 1850, 2900}},
      // Width sets the number of steps; height stops between 350 and 449.
      {{0, 0, 7200, 4800}, 54, {(kW - 1800) / 2, (kH - 400) / 2, 1800, 400}},
      {{0, 0, 2000, 1000}, 2, {(kW - 1800) / 2, (kH - 800) / 2, 1800, 800}},
      // A height under 450 is left alone with its top.
      {{10, 1234, 3000, 449}, 12, {(kW - 1800) / 2, 1234, 1800, 449}},
      // A negative centring offset truncates toward zero: -0.5 gives 0, -500.5 gives -500.
      {{0, 0, 1101, 2101}, 1, {0, -500, 1001, 2001}, 1000, 1000},
  };
  for (const auto& c : cases) {
    const std::vector<TwipRect> steps = ShrinkSteps(c.start, c.screenW, c.screenH);
    ASSERT_EQ(steps.size(), c.steps) << c.start.width;
    EXPECT_EQ(steps.back(), c.last) << c.start.width;
  }
}

}  // namespace
}  // namespace quorvane::app

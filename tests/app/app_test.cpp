// The start-up load of a workspace, the location check and the two saves of
// the locate windows, against the windows as plain data; the closing shrink.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "app/location_check.h"
#include "app/shrink_window.h"
#include "app/workspace.h"
#include "platform/file_system.h"
#include "support/memory_file_system.h"
#include "support/temp_install.h"

namespace quorvane::app {
namespace {

using Names = std::vector<std::string>;

// Every window the start touches, as data, with each call logged in order.
struct Recorder : ChangeTarget, LocationWindows {
  std::string GameDir() const override { return gameDir; }
  config::FieldStore& Fields() override { return fields; }
  void ShowMessage(const std::string& text) override { messages.push_back(text), log.push_back("message " + text); }
  void AddStartingMaps(const Names& n) override {
    combo.insert(combo.end(), n.begin(), n.end()), log.push_back("Combo1");
  }
  void AddAvailableMaps(const Names& n) override {
    list2.insert(list2.end(), n.begin(), n.end()), log.push_back("List2");
  }
  void ReplaceStartingMaps(const Names& n) override { combo = n, log.push_back("replace Combo1"); }
  void ReplaceAvailableMaps(const Names& n) override { list2 = n, log.push_back("replace List2"); }
  void SetMapCycle(const Names& n) override { list1 = n, log.push_back("List1"); }
  void SetMotd(const std::string& text) override { motd = text, log.push_back("Text9"); }
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

  Recorder() { fs.AddDirectory("C:\\Games\\Quorvane"); }  // where the settings file goes
  test_support::MemoryFileSystem fs;
  config::MemoryFieldStore fields;
  std::string gameDir, checkGamePath, motd = "untouched";
  Names messages, combo, list2, list1{"2fort", "well"}, log;
};

// The workspace as the start-up load fills it from a temporary installation.
struct Loaded : Recorder {
  explicit Loaded(const test_support::TempInstall& hl) {
    gameDir = hl.GameDir(), list1.clear();
    platform::NativeFileSystem disk;
    EXPECT_TRUE(LoadWorkspace(disk, *this).ok());
  }
};

TEST(LoadWorkspace, completeInstallationLoadsQuietlyWithFixUps_andWhatIsMissingIsCreatedWithDefaultsAndMessages) {
  test_support::TempInstall hl;
  std::filesystem::copy(QUORVANE_TEST_DATA "/app/complete", hl.GameDir(), std::filesystem::copy_options::recursive);
  const Loaded ws(hl);
  EXPECT_EQ(ws.log, (Names{"Combo1", "List1", "Text9", "List2", "SoundForm"}));
  EXPECT_EQ((Names{ws.fields.GetText("hostname"), ws.fields.GetText("mp_teamplay"), ws.fields.GetText("port"),
                   ws.fields.GetText("rate"), std::to_string(ws.fields.GetCheck("cl_himodels"))}),
            (Names{"Friday Night TFC", "21", "27016", "9999", "0"}));
  // Two files named 2fort add the name twice besides the standard "2Fort".
  EXPECT_TRUE(ws.combo.size() == 8 && std::count(ws.combo.begin(), ws.combo.end(), "2fort") == 2);
  EXPECT_EQ(ws.list2, ws.combo);
  EXPECT_EQ(ws.list1, (Names{"2fort", "well", "avanti"}));
  EXPECT_EQ(ws.motd, "Welcome!\r\nNo spawn camping.");
  // The basic files' bytes are the configuration tests'; cl_himodels is the defaults', not the basic file's.
  for (const auto& [file, lines, where, what, himodels] :
       {std::tuple{"Valve/autoexec.cfg", 28, "Autoexec.cfg file in the @Valve", "Autoexec Config", 1},
        {"Tfc/server.cfg", 50, "server.cfg file in the @TFC ", "Server Config", 0}}) {
    SCOPED_TRACE(file);
    std::filesystem::remove(hl.Path(file));
    const Loaded missing(hl);
    std::string looks = std::string("This Form looks for your ") + where +
                        " directory.  If it does not find it there, it will create a basic one.";
    EXPECT_EQ(missing.messages, (Names{looks.replace(looks.find('@'), 1, hl.GameDir()), std::string("Your ") + what +
                                       " file was not found, I will now put in the values for you in the form"}));
    const std::string basic = hl.Read(file);
    EXPECT_EQ(std::count(basic.begin(), basic.end(), '\n'), lines);
    EXPECT_EQ(missing.fields.GetCheck("cl_himodels"), himodels);
  }
  // What else is missing is created in the directory there, spelt as it is ("tfc", not "Tfc").
  // Through another name: Wine takes a rename to the same name in other letter case as nothing to do.
  std::filesystem::rename(hl.Path("Tfc"), hl.Path("tfc.renaming"));
  std::filesystem::rename(hl.Path("tfc.renaming"), hl.Path("tfc"));
  for (const char* gone : {"tfc/Maps", "tfc/mapcycle.txt", "tfc/motd.txt"}) std::filesystem::remove_all(hl.Path(gone));
  const Loaded bare(hl);
  EXPECT_TRUE(std::filesystem::is_directory(hl.Path("tfc/Maps")));
  // Counted by name, since a file system that ignores case finds "Tfc" as "tfc".
  Names spellings;
  for (const auto& entry : std::filesystem::directory_iterator(hl.GameDir())) {
    std::string name = entry.path().filename().string();
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    if (name == "tfc") spellings.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(spellings, Names{"tfc"}) << "no second directory beside the lower-case one";
  EXPECT_EQ(bare.combo, (Names{"2Fort", "cz2", "hunted", "push", "rock2", "well"}));
  EXPECT_TRUE(hl.Exists("tfc/mapcycle.txt") && hl.Exists("tfc/motd.txt"));
  EXPECT_EQ(hl.Read("tfc/mapcycle.txt") + hl.Read("tfc/motd.txt"), "");
  EXPECT_EQ(bare.log, (Names{"Combo1", "List2", "SoundForm"})) << "no message; the cycle and message are left alone";
}

constexpr const char* kSettings = "C:\\Games\\Quorvane\\Quorvane.ini";

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

TEST(StartupCheck, firstRunSave_refusesAnEmptyChoiceAndStoresAnother) {
  Recorder c;
  EXPECT_FALSE(SaveFirstRunLocation(c.fs, kSettings, "", c));
  EXPECT_TRUE(SaveFirstRunLocation(c.fs, kSettings, "C:\\SIERRA\\HALF-LIFE", c));
  EXPECT_EQ(c.fs.Bytes(kSettings), "C:\\SIERRA\\HALF-LIFE\r\n");
  EXPECT_EQ(c.log, (Names{"message " + std::string(kEmptyLocationMessage), "GamePath=C:\\SIERRA\\HALF-LIFE",
                          "show MainForm", std::string("message ") + kLocationSavedMessage,
                          std::string("message ") + kRereadAdviceMessage, "pause", "show StartButton"}));
}

TEST(ChangeLocationSave, aPlaceWithoutACycleKeepsList1_aFullOneReloadsEverything_andNoStartingMapStaysChosen) {
  Recorder c;
  c.fs.AddDirectory("D:\\New\\Tfc");
  c.fields.SetText("hostname", "kept");
  EXPECT_TRUE(SaveChangedLocation(c.fs, kSettings, "D:\\New", c));
  EXPECT_EQ((Names{c.fs.Bytes(kSettings).value_or("none"), c.gameDir, c.fields.GetText("hostname"), c.motd}),
            (Names{"D:\\New\r\n", "D:\\New", "kept", "untouched"}));
  EXPECT_EQ(c.list1, (Names{"2fort", "well"}));
  EXPECT_EQ(c.fs.Bytes("D:\\New\\tfc\\mapcycle.txt"), "") << "an empty cycle is created";
  EXPECT_EQ(c.combo.size(), 6u);
  c.fs.AddFile("D:\\New\\tfc\\maps\\avanti.bsp", "BSP");
  c.fs.AddFile("D:\\New\\tfc\\mapcycle.txt", "avanti\r\ncz2\r\n");
  c.fs.AddFile("D:\\New\\tfc\\server.cfg", "hostname \"New one\"\r\n");
  c.fs.AddFile("D:\\New\\tfc\\motd.txt", "hi\r\n");
  EXPECT_TRUE(SaveChangedLocation(c.fs, kSettings, "D:\\New", c));
  EXPECT_EQ((Names{c.fields.GetText("hostname"), c.motd}), (Names{"New one", "hi"}));
  EXPECT_EQ(c.list1, (Names{"avanti", "cz2"}));
  EXPECT_EQ(c.combo.size(), 7u);
  EXPECT_EQ(c.list2, c.combo);
  EXPECT_EQ(std::count(c.log.begin(), c.log.end(), "Combo1"), 0) << "replaced, so no starting map stays chosen";
  EXPECT_EQ(c.messages, (Names{kLocationSavedMessage, kLocationSavedMessage}));
  EXPECT_EQ(std::count(c.log.begin(), c.log.end(), "front"), 2);
}

using test_support::MemoryFileSystem;

TEST(StartupCheck, foundInstallationWhoseSettingsCannotBeStored_saysSoAndStartsAnyway) {
  Recorder c;
  c.fs.AddFile("c:\\sierra\\half-life\\hlds.exe", "MZ");
  c.fs.FailOn(MemoryFileSystem::Op::Write, kSettings, MemoryFileSystem::kNoSpace);
  EXPECT_EQ(RunStartupCheck(c.fs, {kSettings, {}}, c), StartBranch::DefaultInstallation);
  EXPECT_EQ(c.messages, Names{std::string("Quorvane could not write ") + kSettings + ": No space left on device"});
  EXPECT_EQ(c.log.back(), "show StartButton");
}

TEST(StartupCheck, firstRunSaveThatCannotBeStored_saysSoAndNotThatItWasSaved) {
  Recorder c;
  c.fs.FailOn(MemoryFileSystem::Op::Write, kSettings, MemoryFileSystem::kDenied);
  EXPECT_FALSE(SaveFirstRunLocation(c.fs, kSettings, "D:\\HL", c));
  EXPECT_EQ(c.log, Names{std::string("message Quorvane could not write ") + kSettings + ": Permission denied"});
}

// Quorvane.ini holds the place as one line: such a name would come back cut.
TEST(StartupCheck, firstRunSaveOfADirectoryNamedWithALineBreak_isRefused) {
  Recorder c;
  EXPECT_FALSE(SaveFirstRunLocation(c.fs, kSettings, "D:\\H\nL", c));
  EXPECT_EQ(c.log, Names{std::string("message ") + kLineBreakLocationMessage});
  EXPECT_FALSE(c.fs.Exists(kSettings));
}

TEST(ChangeLocationSave, aDirectoryNamedWithALineBreak_isRefusedAndTheWindowKeepsItsPlace) {
  Recorder c;
  c.gameDir = "D:\\Old";
  EXPECT_FALSE(SaveChangedLocation(c.fs, kSettings, "D:\\New\r", c));
  EXPECT_EQ(c.log, Names{std::string("message ") + kLineBreakLocationMessage});
  EXPECT_EQ(c.gameDir, "D:\\Old");
  EXPECT_FALSE(c.fs.Exists(kSettings));
}

TEST(ChangeLocationSave, aPlaceThatCannotBeStored_saysSoAndTheWindowKeepsItsPlace) {
  Recorder c;
  c.gameDir = "D:\\Old";
  c.fs.AddDirectory("D:\\New\\Tfc");
  c.fs.FailOn(MemoryFileSystem::Op::Write, kSettings, MemoryFileSystem::kNoSpace);
  EXPECT_FALSE(SaveChangedLocation(c.fs, kSettings, "D:\\New", c));
  EXPECT_EQ(c.log, Names{std::string("message Quorvane could not write ") + kSettings + ": No space left on device"});
  EXPECT_EQ(c.gameDir, "D:\\Old");
}

TEST(ChangeLocationSave, aFileOfTheNewPlaceThatCannotBeRead_isShownBeforeTheSavedMessage) {
  Recorder c;
  c.fs.AddFile("D:\\New\\Tfc\\server.cfg", "hostname \"x\"\r\n");
  c.fs.FailOn(MemoryFileSystem::Op::Read, "D:\\New\\Tfc\\server.cfg", "Input/output error");
  EXPECT_TRUE(SaveChangedLocation(c.fs, kSettings, "D:\\New", c));
  EXPECT_EQ(c.messages, (Names{"Quorvane could not read D:\\New\\Tfc\\server.cfg: Input/output error",
                               kLocationSavedMessage}));
}

TEST(LoadWorkspace, aFileThatCannotBeRead_isReportedByNameAndReason) {
  Recorder c;
  c.gameDir = "C:\\HL";
  c.fs.AddFile("C:\\HL\\Valve\\autoexec.cfg", "");
  c.fs.AddFile("C:\\HL\\Tfc\\server.cfg", "");
  c.fs.AddFile("C:\\HL\\Tfc\\mapcycle.txt", "");
  c.fs.AddFile("C:\\HL\\Tfc\\motd.txt", "");
  c.fs.AddDirectory("C:\\HL\\Tfc\\Maps");
  c.fs.FailOn(MemoryFileSystem::Op::Read, "C:\\HL\\Tfc\\motd.txt", "Input/output error");
  const LoadReport report = LoadWorkspace(c.fs, c);
  EXPECT_EQ(report.failures, Names{"Quorvane could not read C:\\HL\\Tfc\\motd.txt: Input/output error"});
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
      // A negative centring offset truncates toward zero: -0.5 gives 0, -500.5 gives -500.
      {{0, 0, 1101, 2101}, 1, {0, -500, 1001, 2001}, 1000, 1000},
  };
  for (const auto& c : cases) {
    const std::vector<TwipRect> steps = ShrinkSteps(c.start, c.screenW, c.screenH);
    ASSERT_EQ(steps.size(), c.steps) << c.start.width;
    EXPECT_EQ(steps.back(), c.last) << c.start.width;
  }
  for (const TwipRect& step : ShrinkSteps({10, 1234, 3000, 449}, kW, kH))
    EXPECT_TRUE(step.height == 449 && step.top == 1234) << "a height under 450 is left alone with its top";
}

}  // namespace
}  // namespace quorvane::app

// Where the program finds the server at start, and the two saves of the locate windows.
#include "app/location_check.h"

#include <gtest/gtest.h>

#include "support/memory_file_system.h"

namespace quorvane::app {
namespace {

using Names = std::vector<std::string>;
using test_support::MemoryFileSystem;
constexpr const char* kSettings = "C:\\Games\\Quorvane\\Quorvane.ini";
const std::string kHalfLife = "/steamapps/common/Half-Life/";

struct LocationTest : testing::Test {
  LocationTest() { fs.AddDirectory("C:\\Games\\Quorvane"); }  // where the settings file goes
  MemoryFileSystem fs;
};

struct StartCase {
  const char* name;
  std::string settings;  // the settings file's line, when there is one
  std::string program;   // the one server program present
  StartBranch branch;
  std::string location;
};

TEST_F(LocationTest, startupTakesTheSettingsFileThenTheDefaultOrASteamServerThenTheFirstRun) {
  const StartCase cases[] = {
      {"settings file", "D:\\Games\\Half-Life", "c:\\sierra\\half-life\\hlds.exe", StartBranch::SettingsFile,
       "D:\\Games\\Half-Life"},
      {"default installation", "", "C:\\Sierra\\Half-Life\\HLDS.EXE", StartBranch::DefaultInstallation,
       "C:\\Sierra\\Half-Life\\"},
      {"Steam hlds_run", "", "/home/u/Steam" + kHalfLife + "hlds_run", StartBranch::DefaultInstallation,
       "/home/u/Steam" + kHalfLife},
      {"Steam hlds_linux", "", "/home/u/.steam/steam" + kHalfLife + "hlds_linux", StartBranch::DefaultInstallation,
       "/home/u/.steam/steam" + kHalfLife},
      {"no server program", "", "/home/u/Steam" + kHalfLife + "hl.sh", StartBranch::FirstRun, "C:\\"},
  };
  for (const StartCase& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryFileSystem disk;
    if (!c.settings.empty()) disk.AddFile(kSettings, c.settings + "\r\n");
    disk.AddFile(c.program, "MZ");
    disk.AddDirectory("/home/u/.steam/steam" + kHalfLife + "hlds_run");  // a directory, not the server
    const StartupDecision start = DecideStartup(disk, {kSettings, SteamInstallDirs("/home/u")});
    EXPECT_EQ(start.branch, c.branch);
    EXPECT_EQ(start.location, c.location);
    EXPECT_FALSE(disk.Exists(kSettings) && c.settings.empty()) << "the decision stores nothing";
  }
}

struct RefusalCase {
  const char* name;
  bool change;  // the change-location save, else the first-run one
  std::string chosen;
  const char* writeFailure;  // the settings file's write fails with this reason, when set
  std::string message;
};

TEST_F(LocationTest, aPlaceThatIsEmptyHoldsALineBreakOrCannotBeStored_isRefusedWithOneMessage) {
  const std::string cannotWrite = std::string("Quorvane could not write ") + kSettings + ": ";
  const RefusalCase cases[] = {
      {"first run, line break", false, "D:\\H\nL", nullptr, kLineBreakLocationMessage},
      {"change, line break", true, "D:\\New\r", nullptr, kLineBreakLocationMessage},
      {"first run, refused", false, "D:\\HL", MemoryFileSystem::kDenied, cannotWrite + MemoryFileSystem::kDenied},
      {"change, full disk", true, "D:\\New", MemoryFileSystem::kNoSpace, cannotWrite + MemoryFileSystem::kNoSpace},
  };
  for (const RefusalCase& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryFileSystem disk;
    disk.AddDirectory("C:\\Games\\Quorvane");
    if (c.writeFailure != nullptr) disk.FailOn(MemoryFileSystem::Op::Write, kSettings, c.writeFailure);
    const LocationSave saved =
        c.change ? SaveChangedLocation(disk, kSettings, c.chosen) : SaveFirstRunLocation(disk, kSettings, c.chosen);
    EXPECT_FALSE(saved.stored);
    EXPECT_EQ(saved.message, c.message);
    EXPECT_FALSE(disk.Exists(kSettings));
  }
}

TEST_F(LocationTest, reloadOfAnEmptyPlace_keepsTheFieldsAndCreatesAnEmptyCycle) {
  fs.AddDirectory("D:\\New\\Tfc");
  config::FieldValues fields;
  fields.SetText("hostname", "kept");
  const LocationReload reload = ReloadLocation(fs, "D:\\New", fields);
  EXPECT_EQ(reload.fields, fields);
  EXPECT_EQ(reload.maps, (Names{"2Fort", "cz2", "hunted", "push", "rock2", "well"}));
  EXPECT_FALSE(reload.mapCycle.has_value());
  EXPECT_FALSE(reload.motd.has_value());
  EXPECT_EQ(fs.Bytes("D:\\New\\tfc\\mapcycle.txt"), "");
}

TEST_F(LocationTest, reloadOfAFilledPlace_takesItsMapsCycleFieldsAndMessage) {
  fs.AddFile("D:\\New\\tfc\\maps\\avanti.bsp", "BSP");
  fs.AddFile("D:\\New\\tfc\\mapcycle.txt", "avanti\r\ncz2\r\n");
  fs.AddFile("D:\\New\\tfc\\server.cfg", "hostname \"New one\"\r\n");
  fs.AddFile("D:\\New\\tfc\\motd.txt", "hi\r\n");
  const LocationReload reload = ReloadLocation(fs, "D:\\New", {});
  EXPECT_EQ(reload.maps, (Names{"2Fort", "avanti", "cz2", "hunted", "push", "rock2", "well"}));
  EXPECT_EQ(reload.mapCycle, (Names{"avanti", "cz2"}));
  EXPECT_EQ(reload.fields.GetText("hostname"), "New one");
  EXPECT_EQ(reload.motd, "hi");
  EXPECT_TRUE(reload.failures.empty());
}

TEST_F(LocationTest, reloadOfAFileThatCannotBeRead_namesItAndKeepsTheFields) {
  fs.AddFile("D:\\New\\Tfc\\server.cfg", "hostname \"x\"\r\n");
  fs.FailOn(MemoryFileSystem::Op::Read, "D:\\New\\Tfc\\server.cfg", "Input/output error");
  const LocationReload reload = ReloadLocation(fs, "D:\\New", {});
  EXPECT_EQ(reload.failures, Names{"Quorvane could not read D:\\New\\Tfc\\server.cfg: Input/output error"});
  EXPECT_EQ(reload.fields.GetText("hostname"), "");
}

}  // namespace
}  // namespace quorvane::app

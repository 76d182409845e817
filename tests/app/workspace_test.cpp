#include "app/workspace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "install/build_info.h"
#include "platform/file_system.h"
#include "support/temp_install.h"

namespace quorvane::app {
namespace {

using test_support::TempInstall;

// The main window as plain data, with every call in the order it came.
class RecordingWorkspace : public Workspace {
 public:
  explicit RecordingWorkspace(std::string gameDir) : m_gameDir(std::move(gameDir)) {}
  std::string GameDir() const override { return m_gameDir; }
  config::FieldStore& Fields() override { return fields; }
  void ShowMessage(const std::string& text) override {
    messages.push_back(text);
    calls.push_back("message");
  }
  void AddStartingMaps(const std::vector<std::string>& names) override {
    combo.insert(combo.end(), names.begin(), names.end());
    calls.push_back("Combo1");
  }
  void AddAvailableMaps(const std::vector<std::string>& names) override {
    list2.insert(list2.end(), names.begin(), names.end());
    calls.push_back("List2");
  }
  void ReplaceStartingMaps(const std::vector<std::string>& names) override { combo = names; }
  void ReplaceAvailableMaps(const std::vector<std::string>& names) override { list2 = names; }
  void SetMapCycle(const std::vector<std::string>& entries) override {
    list1 = entries;
    calls.push_back("List1");
  }
  void SetMotd(const std::string& text) override {
    motd = text;
    calls.push_back("Text9");
  }
  void LoadSoundForm() override { calls.push_back("SoundForm"); }

  config::MemoryFieldStore fields;
  std::vector<std::string> messages, combo, list2, list1, calls;
  std::string motd = "untouched";

 private:
  std::string m_gameDir;
};

const std::vector<std::string> kStandard = {"2Fort", "cz2", "hunted", "push", "rock2", "well"};

std::string ServerCfg(const std::string& teamplay, const std::string& port = "27015") {
  return "// hand made\n"
         "hostname \"Friday Night TFC\"\n"
         "port \"" + port + "\"\n"
         "mp_teamplay \"" + teamplay + "\"\n"
         "sv_gravity \"800\"\n";
}

constexpr const char* kAutoexec = "brightness \"2\"\r\ncl_himodels \"0\"\r\nrate \"9999\"\r\n";

void WriteComplete(const TempInstall& hl, const std::string& teamplay = "21") {
  hl.Write("Valve/autoexec.cfg", kAutoexec);
  hl.Write("Tfc/server.cfg", ServerCfg(teamplay));
  hl.Write("Tfc/Maps/avanti.bsp", "BSP");
  hl.Write("Tfc/mapcycle.txt", "2fort\r\nwell\r\navanti");
  hl.Write("Tfc/motd.txt", "Welcome!\r\nNo spawn camping.\r\n");
}

std::vector<std::string> Lines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find("\r\n", start);
    EXPECT_NE(end, std::string::npos) << "line without CR LF";
    if (end == std::string::npos) break;
    lines.push_back(bytes.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

TEST(LoadWorkspaceTest, completeInstallation_loadsEverythingWithoutMessages) {
  TempInstall hl;
  WriteComplete(hl);
  RecordingWorkspace ws(hl.GameDir());
  platform::NativeFileSystem fs;

  const LoadReport report = LoadWorkspace(fs, ws);

  EXPECT_EQ(report.failures, std::vector<std::string>{});
  EXPECT_TRUE(ws.messages.empty());
  EXPECT_EQ(ws.fields.GetText("hostname"), "Friday Night TFC");
  EXPECT_EQ(ws.fields.GetText("sv_gravity"), "800");
  EXPECT_EQ(ws.fields.GetText("rate"), "9999");
  EXPECT_EQ(ws.fields.GetCheck("cl_himodels"), 0);
  EXPECT_EQ(ws.fields.GetText("port"), "27015");
  std::vector<std::string> maps = kStandard;
  maps.push_back("avanti");
  EXPECT_EQ(ws.combo, maps);
  EXPECT_EQ(ws.list2, maps);
  EXPECT_EQ(ws.list1, (std::vector<std::string>{"2fort", "well", "avanti"}));
  EXPECT_EQ(ws.motd, "Welcome!\r\nNo spawn camping.");
  EXPECT_EQ(ws.calls, (std::vector<std::string>{"Combo1", "List1", "Text9", "List2", "SoundForm"}));
}

struct FixUpCase {
  const char* teamplay;
  const char* port;
  const char* teamplayAfter;
  const char* portAfter;
};

class FixUpTest : public ::testing::TestWithParam<FixUpCase> {};

TEST_P(FixUpTest, serverFieldsAreFixedAfterLoad) {
  TempInstall hl;
  WriteComplete(hl);
  hl.Write("Tfc/server.cfg", ServerCfg(GetParam().teamplay, GetParam().port));
  RecordingWorkspace ws(hl.GameDir());
  platform::NativeFileSystem fs;
  LoadWorkspace(fs, ws);
  EXPECT_TRUE(ws.messages.empty());
  EXPECT_EQ(ws.fields.GetText("mp_teamplay"), GetParam().teamplayAfter);
  EXPECT_EQ(ws.fields.GetText("port"), GetParam().portAfter);
}

INSTANTIATE_TEST_SUITE_P(Values, FixUpTest,
                         ::testing::Values(FixUpCase{"1", "27015", "21", "27015"}, FixUpCase{"0", "", "21", "27016"},
                                           FixUpCase{"321", "27015", "321", "27015"},
                                           FixUpCase{"ctf", "27015", "21", "27015"},
                                           FixUpCase{"", "27020", "21", "27020"}));

TEST(LoadWorkspaceTest, missingAutoexec_twoMessagesDefaultsAndBasicFile) {
  TempInstall hl;
  WriteComplete(hl);
  std::filesystem::remove(hl.Path("Valve/autoexec.cfg"));
  RecordingWorkspace ws(hl.GameDir());
  platform::NativeFileSystem fs;

  LoadWorkspace(fs, ws);

  ASSERT_EQ(ws.messages.size(), 2u);
  EXPECT_EQ(ws.messages[0], "This Form looks for your Autoexec.cfg file in the " + hl.GameDir() +
                                "Valve directory.  If it does not find it there, it will create a basic one.");
  EXPECT_EQ(ws.messages[1],
            "Your Autoexec Config file was not found, I will now put in the values for you in the form");
  EXPECT_EQ(ws.fields.GetCheck("cl_himodels"), 1);
  EXPECT_EQ(ws.fields.GetText("brightness"), "2.5");
  const std::vector<std::string> lines = Lines(hl.Read("Valve/autoexec.cfg"));
  ASSERT_EQ(lines.size(), 28u);
  EXPECT_EQ(lines[0], "// Autoexec.cfg file genertated by Quorvane ");
  EXPECT_EQ(lines[1], std::string("//Visit out website at ") + install::kDownloadPage);
  EXPECT_EQ(lines[2], " ");
  EXPECT_EQ(lines[3], "brightness\t\"2.5\"");
  EXPECT_EQ(lines[27], "maxplayers\t\"" + ws.fields.GetText("maxplayers") + "\"");
  EXPECT_TRUE(std::none_of(lines.begin(), lines.end(), [](const std::string& l) { return l.find("cl_himodels") != l.npos; }));
  // The server file was there, so the server side stays quiet.
  EXPECT_EQ(ws.fields.GetText("hostname"), "Friday Night TFC");
}

TEST(LoadWorkspaceTest, missingServerCfg_basicFileKeepsPortFromBeforeFixUp) {
  TempInstall hl;
  WriteComplete(hl);
  std::filesystem::remove(hl.Path("Tfc/server.cfg"));
  const std::string gameDir = hl.GameDir() + "/";
  RecordingWorkspace ws(gameDir);
  platform::NativeFileSystem fs;

  LoadWorkspace(fs, ws);

  ASSERT_EQ(ws.messages.size(), 2u);
  EXPECT_EQ(ws.messages[0], "This Form looks for your server.cfg file in the " + gameDir +
                                "TFC  directory.  If it does not find it there, it will create a basic one.");
  EXPECT_EQ(ws.messages[1], "Your Server Config file was not found, I will now put in the values for you in the form");
  const std::vector<std::string> lines = Lines(hl.Read("Tfc/server.cfg"));
  ASSERT_EQ(lines.size(), 50u);
  EXPECT_EQ(lines[0], "// Server.cfg file genertated by Quorvane ");
  EXPECT_EQ(lines[5], "port\t\"\"");
  EXPECT_EQ(lines[49], "exec\t\"listip.cfg\"");
  EXPECT_EQ(ws.fields.GetText("port"), "27016");
  EXPECT_EQ(ws.fields.GetText("exec"), "listip.cfg");
}

TEST(LoadWorkspaceTest, missingMapDirectory_isCreatedAndListsHoldStandardMaps) {
  TempInstall hl;
  hl.Write("Valve/autoexec.cfg", kAutoexec);
  hl.Write("Tfc/server.cfg", ServerCfg("21"));
  RecordingWorkspace ws(hl.GameDir());
  platform::NativeFileSystem fs;

  const LoadReport report = LoadWorkspace(fs, ws);

  EXPECT_TRUE(report.ok());
  EXPECT_TRUE(std::filesystem::is_directory(hl.Path("Tfc/Maps")));
  EXPECT_EQ(ws.combo, kStandard);
  EXPECT_EQ(ws.list2, kStandard);
  // mapcycle.txt and motd.txt are created empty; their controls are left alone.
  EXPECT_EQ(hl.Read("Tfc/mapcycle.txt"), "");
  EXPECT_EQ(hl.Read("Tfc/motd.txt"), "");
  EXPECT_TRUE(ws.list1.empty());
  EXPECT_EQ(ws.motd, "untouched");
  EXPECT_EQ(ws.calls.back(), "SoundForm");
}

TEST(LoadWorkspaceTest, twoFilesNamed2fort_addTheNameTwiceBesidesTheStandardOne) {
  TempInstall hl;
  WriteComplete(hl);
  std::filesystem::remove(hl.Path("Tfc/Maps/avanti.bsp"));
  hl.Write("Tfc/Maps/2fort.bsp", "BSP");
  hl.Write("Tfc/Maps/2fort.txt", "briefing");
  RecordingWorkspace ws(hl.GameDir());
  platform::NativeFileSystem fs;
  LoadWorkspace(fs, ws);
  for (const auto* list : {&ws.combo, &ws.list2}) {
    EXPECT_EQ(std::count(list->begin(), list->end(), "2fort"), 2);
    EXPECT_EQ(std::count(list->begin(), list->end(), "2Fort"), 1);
    EXPECT_EQ(list->size(), 8u);
  }
}

TEST(LoadWorkspaceTest, lowerCaseDirectoriesOnDisk_areFoundUnderEverySpelling) {
  TempInstall hl;
  hl.Write("valve/autoexec.cfg", kAutoexec);
  hl.Write("tfc/server.cfg", ServerCfg("1"));
  hl.Write("tfc/maps/dustbowl.bsp", "BSP");
  hl.Write("tfc/MapCycle.txt", "dustbowl\n");
  RecordingWorkspace ws(hl.GameDir());
  platform::NativeFileSystem fs;

  LoadWorkspace(fs, ws);

  EXPECT_TRUE(ws.messages.empty());
  EXPECT_EQ(ws.fields.GetText("mp_teamplay"), "21");
  EXPECT_EQ(ws.list1, std::vector<std::string>{"dustbowl"});
  EXPECT_EQ(ws.combo.back(), "dustbowl");
  // Created in the existing lower-case directory, not in a new "Tfc".
  EXPECT_TRUE(hl.Exists("tfc/motd.txt"));
  EXPECT_FALSE(hl.Exists("Tfc"));
  EXPECT_FALSE(hl.Exists("tfc/Maps"));
}

TEST(LoadWorkspaceTest, noGameDirectories_defaultsStayAndFailuresAreReported) {
  TempInstall hl;
  RecordingWorkspace ws(hl.GameDir() + "/missing");
  platform::NativeFileSystem fs;

  const LoadReport report = LoadWorkspace(fs, ws);

  EXPECT_EQ(ws.messages.size(), 4u);
  EXPECT_EQ(ws.fields.GetCheck("cl_himodels"), 1);
  EXPECT_EQ(ws.fields.GetText("port"), "27016");
  EXPECT_EQ(ws.combo, kStandard);
  EXPECT_FALSE(report.ok());
  EXPECT_EQ(ws.calls.back(), "SoundForm");
  EXPECT_FALSE(std::filesystem::exists(hl.Path("missing")));
}

// Nothing may be created inside a directory the system refuses to change.
TEST(LoadWorkspaceTest, readOnlyGameDirectory_stepsFailQuietlyAndTheRestRuns) {
  TempInstall hl;
  hl.Write("Valve/autoexec.cfg", kAutoexec);
  hl.Write("Tfc/server.cfg", ServerCfg("21"));
  const std::string tfc = hl.Path("Tfc").string();
  if (std::system(("chattr +i '" + tfc + "' 2>/dev/null").c_str()) != 0) {
    GTEST_SKIP() << "chattr +i is not available here, so no directory can be made read-only";
  }
  RecordingWorkspace ws(hl.GameDir());
  platform::NativeFileSystem fs;
  const LoadReport report = LoadWorkspace(fs, ws);
  std::system(("chattr -i '" + tfc + "'").c_str());

  EXPECT_TRUE(ws.messages.empty());
  EXPECT_EQ(ws.fields.GetText("hostname"), "Friday Night TFC");
  EXPECT_EQ(ws.combo, kStandard);
  EXPECT_EQ(report.failures.size(), 3u);  // maps directory, mapcycle.txt, motd.txt
  EXPECT_FALSE(hl.Exists("Tfc/mapcycle.txt"));
  EXPECT_EQ(ws.calls.back(), "SoundForm");
}

}  // namespace
}  // namespace quorvane::app

// `quorvane --install-server DIR` against the stand-in SteamCMD found on PATH: what it prints where,
// and its exit code. What the installer makes of SteamCMD's runs is the installer tests'; no SteamCMD
// at all is the install window's and the SteamCMD search's.
#include "ui/install_terminal.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/file_system.h"
#include "platform/install_runner.h"
#include "platform/scratch_dir.h"
#include "support/temp_install.h"
#include "update/interrupted_update.h"
#include "update/locations.h"

namespace quorvane::ui {
namespace {

class InstallTerminalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(game.Path("bin"));
    // Under SteamCMD's own name, with this system's ending for a program.
    const std::filesystem::path standIn = QUORVANE_STEAMCMD_STANDIN;
    std::filesystem::copy_file(standIn, game.Path("bin") / ("steamcmd" + standIn.extension().string()));
    qputenv("PATH", QByteArray::fromStdString(game.Path("bin").string()));
  }
  void TearDown() override {
    qputenv("PATH", m_oldPath);
    std::fclose(out);
    std::fclose(err);
  }
  int Install(const std::string& mode) {
    game.Write("srv/steamcmd-standin-mode", mode + "\n");
    return InstallServerInTerminal(platform::ThisMachine(), fs, "srv", game.GameDir(), out, err, [] { return false; });
  }
  std::string Srv() const { return game.Path("srv").string(); }

  test_support::TempInstall game;
  platform::NativeFileSystem fs{platform::PathText::Native};
  // Files of their own, read back once the install has ended.
  std::FILE* out = std::fopen(game.Path("out").string().c_str(), "wb");
  std::FILE* err = std::fopen(game.Path("err").string().c_str(), "wb");

 private:
  QByteArray m_oldPath = qgetenv("PATH");
};

TEST_F(InstallTerminalTest, success_printsEachStageOnStandardOutputAndExitsWithZero) {
  EXPECT_EQ(Install("ok"), 0);
  const std::string printed = game.Read("out");
  EXPECT_EQ(printed.rfind("Installing the server in " + Srv() + " with ", 0), 0u) << printed;
  EXPECT_NE(printed.find("\ndownloading 45.2 % (123.4 of 272.9 MB)\n"), std::string::npos) << printed;
  EXPECT_TRUE(printed.ends_with("\nfinished\nInstalled in " + Srv() + "\n")) << printed;
  EXPECT_EQ(game.Read("err"), "");
}

TEST_F(InstallTerminalTest, failure_isReportedOnStandardErrorWithOne) {
  EXPECT_EQ(Install("fail"), 1);
  EXPECT_EQ(game.Read("err"),
            "Not enough disk space: SteamCMD stopped (state 0x202 usually means a full disk). Its last error: Error! "
            "App '90' state is 0x202 after update job.\n");
  EXPECT_TRUE(game.Read("out").ends_with("\nfailed\n"));
}

// `--install-server DIR` names a place of this machine: the folder is made and reported as named,
// whatever the game's code page holds.
struct FolderArgument {
  const char* name;
  const char* folder;  // UTF-8
};
void PrintTo(const FolderArgument& f, std::ostream* out) { *out << f.name; }

class InstallTerminalFolderTest : public InstallTerminalTest, public ::testing::WithParamInterface<FolderArgument> {};

TEST_P(InstallTerminalFolderTest, installsIntoTheFolderAsTheArgumentNamesIt) {
  const std::string dir = update::AbsoluteDir(GetParam().folder, game.GameDir(), platform::ThisSystem());
  EXPECT_EQ(InstallServerInTerminal(platform::ThisMachine(), fs, GetParam().folder, game.GameDir(), out, err,
                                    [] { return false; }),
            0);
  const std::string printed = game.Read("out");
  EXPECT_EQ(printed.rfind("Installing the server in " + dir + " with ", 0), 0u) << printed;
  EXPECT_TRUE(printed.ends_with("\nInstalled in " + dir + "\n")) << printed;
  const std::filesystem::path made =
      platform::testing::FromUtf8(game.GameDir()) / platform::testing::FromUtf8(GetParam().folder);
  EXPECT_TRUE(std::filesystem::exists(made / "tfc" / "liblist.gam"));
}

INSTANTIATE_TEST_SUITE_P(Scripts, InstallTerminalFolderTest,
                         ::testing::Values(FolderArgument{"latin", "Serveur de Jos\xC3\xA9"},
                                           FolderArgument{"cyrillic",
                                                          "\xD0\xA1\xD0\xB5\xD1\x80\xD0\xB2\xD0\xB5\xD1\x80"}),
                         [](const auto& info) { return std::string(info.param.name); });

// The program was killed mid-update: the stock server.cfg is in place and the user's waits in the backup.
TEST_F(InstallTerminalTest, unfinishedUpdate_putsTheKeptFilesBackAndListsThem_thenRuns) {
  const std::string mine = "hostname \"Mine\"\r\n";
  const std::string backup = "srv/quorvane-backup/2026-12-07_05-30-12/";
  game.Write(backup + "tfc/server.cfg", mine);
  game.Write(backup + "update-unfinished.txt",
             update::MarkerText({"2026-12-07 05:30:12", 0, 0, "", {"tfc/server.cfg"}}));
  game.Write("srv/tfc/server.cfg", "// stock\n");
  EXPECT_EQ(Install("ok"), 0);
  const std::string printed = game.Read("out");
  EXPECT_EQ(printed.rfind("An update of the server was interrupted on 2026-12-07 05:30:12.\n"
                          "Put back your own tfc/server.cfg.\nInstalling the server in ",
                          0),
            0u)
      << printed;
  EXPECT_EQ(game.Read("srv/tfc/server.cfg"), mine);
  EXPECT_FALSE(game.Exists(backup + "update-unfinished.txt"));
}

// `--check-update` against the stand-in SteamCMD: the installed build from the manifest, the latest
// as SteamCMD prints it (QUORVANE_STEAMCMD_LATEST_BUILD), and the exit code a script can act on.
struct CheckUpdateRow {
  const char* name;
  const char* manifestBuild;  // null: no manifest
  const char* latest;
  const char* mode;
  bool json;
  int exitCode;
  const char* printed;
};

class CheckUpdateTerminalTest : public InstallTerminalTest, public ::testing::WithParamInterface<CheckUpdateRow> {};

TEST_P(CheckUpdateTerminalTest, printsBothBuildsAndExitsWithTheStatesCode) {
  const CheckUpdateRow& row = GetParam();
  if (row.manifestBuild != nullptr)
    game.Write("srv/steamapps/appmanifest_90.acf",
               std::string("\"AppState\"\n{\n\t\"buildid\"\t\t\"") + row.manifestBuild + "\"\n}\n");
  qputenv("QUORVANE_STEAMCMD_LATEST_BUILD", row.latest);
  qputenv("QUORVANE_STEAMCMD_MODE", row.mode);
  const int code = CheckUpdateInTerminal(platform::ThisMachine(), Srv(), row.json, out, err);
  qunsetenv("QUORVANE_STEAMCMD_LATEST_BUILD");
  qunsetenv("QUORVANE_STEAMCMD_MODE");
  EXPECT_EQ(code, row.exitCode);
  std::fflush(out);
  EXPECT_NE(game.Read("out").find(row.printed), std::string::npos) << game.Read("out");
}

INSTANTIATE_TEST_SUITE_P(
    Builds, CheckUpdateTerminalTest,
    ::testing::Values(
        CheckUpdateRow{"newerBuild", "4000000", "4000007", "ok", false, 10,
                       "Installed build: 4000000\nLatest build: 4000007\n"
                       "An update of the server is available (build 4000007, installed 4000000).\n"},
        CheckUpdateRow{"sameBuild", "4000000", "4000000", "ok", false, 0, "The server is up to date.\n"},
        CheckUpdateRow{"newerBuildAsJson", "4000000", "4000007", "ok", true, 10,
                       "{\"installed\": 4000000, \"latest\": 4000007, \"state\": \"update available\"}\n"},
        CheckUpdateRow{
            "emptyAnswer_couldNotCheck", "4000000", "empty", "ok", false, 1,
            "Latest build: unknown\nCould not check for an update: SteamCMD's answer named no public build."},
        CheckUpdateRow{"staleOlderAnswer_couldNotCheck", "4000000", "3999999", "ok", false, 1,
                       "older than the installed"},
        CheckUpdateRow{"noLogin_couldNotCheck", "4000000", "4000007", "nonet", true, 1,
                       "\"state\": \"could not check\", \"reason\": \"SteamCMD's answer named no public build.\""},
        CheckUpdateRow{"noManifest_couldNotCheck", nullptr, "4000007", "ok", false, 1,
                       "appmanifest_90.acf could not be read"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(InstallTerminalTest, checkUpdateWithoutAStoredLocation_saysSoAndExitsWithOne) {
  EXPECT_EQ(CheckUpdateInTerminal(platform::ThisMachine(), "", false, out, err), 1);
  std::fflush(err);
  EXPECT_NE(game.Read("err").find("no server location is stored yet"), std::string::npos);
}

TEST(ProgressPrinterTest, repeatsOnlyNewStagesAndWholePercents) {
  ProgressPrinter printer;
  EXPECT_EQ(printer.Line(10.0, "downloading 10.0 %"), "downloading 10.0 %");
  EXPECT_EQ(printer.Line(10.4, "downloading 10.4 %"), "");
  EXPECT_EQ(printer.Line(11.0, "downloading 11.0 %"), "downloading 11.0 %");
  EXPECT_EQ(printer.Line(11.0, "verifying update 11.0 %"), "verifying update 11.0 %");
}

}  // namespace
}  // namespace quorvane::ui

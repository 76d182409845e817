// `quorvane --install-server DIR` against the stand-in SteamCMD found on PATH.
#include "ui/install_terminal.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <cstdio>
#include <filesystem>

#include "support/temp_install.h"

namespace quorvane::ui {
namespace {

std::string Drain(std::FILE* file) {
  std::rewind(file);
  std::string text;
  for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) text.push_back(static_cast<char>(c));
  return text;
}

class InstallTerminalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_oldPath = qgetenv("PATH");
    m_oldHome = qgetenv("HOME");
    std::filesystem::create_directories(game.Path("bin"));
    // Under SteamCMD's own name, with this system's ending for a program.
    const std::filesystem::path standIn = QUORVANE_STEAMCMD_STANDIN;
    std::filesystem::copy_file(standIn, game.Path("bin") / ("steamcmd" + standIn.extension().string()));
    qputenv("PATH", QByteArray::fromStdString(game.Path("bin").string()));
  }
  void TearDown() override {
    qputenv("PATH", m_oldPath);
    qputenv("HOME", m_oldHome);
    std::fclose(out);
    std::fclose(err);
  }
  int Install(const std::string& mode) {
    game.Write("srv/steamcmd-standin-mode", mode + "\n");
    return InstallServerInTerminal("srv", game.GameDir(), out, err, [] { return false; });
  }

  test_support::TempInstall game;
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();

 private:
  QByteArray m_oldPath;
  QByteArray m_oldHome;
};

TEST_F(InstallTerminalTest, success_printsProgressAndExitsWithZero) {
  EXPECT_EQ(Install("ok"), 0);
  const std::string printed = Drain(out);
  EXPECT_NE(printed.find("Installing the server in " + game.Path("srv").string()), std::string::npos) << printed;
  EXPECT_NE(printed.find("downloading 45.2 %"), std::string::npos) << printed;
  EXPECT_NE(printed.find("Installed in " + game.Path("srv").string()), std::string::npos) << printed;
  EXPECT_EQ(Drain(err), "");
}

// An interrupted install ends the same way; the installer's tests keep the user's files through both.
TEST_F(InstallTerminalTest, failure_isReportedOnStandardErrorWithOne) {
  EXPECT_EQ(Install("fail"), 1);
  const std::string reported = Drain(err);
  EXPECT_NE(reported.find("Not enough disk space"), std::string::npos) << reported;
  EXPECT_EQ(Drain(out).find("Installed in"), std::string::npos);
}

TEST_F(InstallTerminalTest, noSteamCmd_explainsHowToGetItWithOne) {
  qputenv("PATH", QByteArray::fromStdString(game.Path("nowhere").string()));
  qputenv("HOME", QByteArray::fromStdString(game.Path("nowhere").string()));
  EXPECT_EQ(Install("ok"), 1);
  EXPECT_NE(Drain(err).find("SteamCMD was not found"), std::string::npos);
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

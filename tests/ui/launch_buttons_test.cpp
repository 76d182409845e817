// The launch buttons of the map tab pressed on a real main window, with the
// stand-in server installed as the game's programs.
#include <gtest/gtest.h>

#include <QComboBox>

#include "config/cfg_writer.h"
#include "platform/process_starter.h"
#include "platform/server_control.h"
#include "support/standin_processes.h"
#include "ui_test_support.h"

namespace quorvane::ui {
namespace {

using Words = std::vector<std::string>;
namespace fs = std::filesystem;

class LaunchButtonsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::TestApp();
    game.MakeDir("tfc");
    test_support::InstallStandIn(game.Path("hlds.exe"));
    test_support::InstallStandIn(game.Path("hl.exe"));
    form = std::make_unique<MainForm>(fileSystem, dialogs, sound, starter, control);
    form->SetGameDir(game.GameDir());
    form->AddStartingMaps({"2fort", "well"});
    form->SetText("port", "27015");
    form->SetText("maxplayers", "12");
    form->Load();
  }
  void TearDown() override {
    fs::current_path(previousDir);
    form.reset();
    EXPECT_TRUE(test_support::EndAll(game.GameDir(), started)) << "a started program outlived the test";
  }
  void Press(const char* name, const QString& map = "2fort") {
    auto* combo = form->findChild<QComboBox*>("Combo1");
    combo->setCurrentIndex(combo->findText(map));
    ASSERT_TRUE(form->findChild<QWidget*>(name)->isVisible()) << name;
    QTest::mouseClick(form->findChild<QWidget*>(name), Qt::LeftButton);
  }
  test_support::StandInRecord Record() {
    const test_support::StandInRecord r = test_support::ReadStandInRecord(game.GameDir());
    EXPECT_TRUE(r.complete) << "the stand-in left no complete record";
    for (long long pid : {r.pid, r.child}) if (pid != 0) started.push_back(pid);
    return r;
  }

  fs::path previousDir = fs::current_path();
  test_support::TempInstall game;
  platform::NativeFileSystem fileSystem;
  test::RecordingDialogs dialogs;
  test::RecordingSound sound;
  platform::NativeProcessStarter starter{"/nonexistent/wine"};
  platform::NativeServerControl control{
      [this](launch::ServerControl::Handle h) { return test_support::ProcessesIn(game.GameDir()).count(h) != 0; }};
  std::unique_ptr<MainForm> form;
  std::vector<long long> started;
};

TEST_F(LaunchButtonsTest, startDedicatedStartsTheServerWithTheWindowsFieldsAndStopEndsIt) {
  Press("Command2", "well");
  const test_support::StandInRecord r = Record();
  EXPECT_EQ(r.args, (Words{"-game", "tfc", "-port", "27015", "+map", "well"}));
  EXPECT_EQ(fs::path(r.cwd), fs::path(game.GameDir()));
  EXPECT_EQ(sound.played, Words{"c:\\windows\\media\\Military_command.wav"});
  ASSERT_TRUE(test_support::IsRunning(r.pid));
  Press("Command21");
  EXPECT_TRUE(test_support::WaitForExit(r.pid, 2000));
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(LaunchButtonsTest, startListenFirstWritesItsFileThenStartsTheGame) {
  Press("Command20");
  EXPECT_EQ(game.Read("tfc/listenserver.cfg"), config::ListenServerCfgText(*form));
  EXPECT_TRUE(test_support::ProcessesIn(game.GameDir()).empty() && sound.played.empty());
  Press("Command20");
  EXPECT_EQ(Record().args, (Words{"-game", "tfc", "-console", "+sv_lan", "0", "+maxplayers", "12", "+map", "2fort"}));
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(LaunchButtonsTest, joinStartsTheClientForTheLocalServer) {
  Press("Command4");
  EXPECT_EQ(Record().args, (Words{"-console", "+connect", "127.0.0.1:27016"}));
  EXPECT_EQ(sound.played, Words{"c:\\windows\\media\\launch.wav"});
}

TEST_F(LaunchButtonsTest, startWithoutTheProgramSaysWhy) {
  fs::remove(game.Path("hlds.exe"));
  Press("Command2");
  EXPECT_EQ(dialogs.Texts(), QStringList{QString::fromStdString("Quorvane could not start " + game.GameDir() +
                                                                "\\hlds.exe: No such file or directory")});
}

}  // namespace
}  // namespace quorvane::ui

// The launch buttons of the map tab pressed on a real main window, with the
// stand-in server installed as the game's programs.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>
#include <QTest>

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
  LaunchButtonsTest()
      : m_control([this](launch::ServerControl::Handle h) { return test_support::ProcessesIn(Dir()).count(h) != 0; }) {
    test::TestApp();
    test_support::InstallStandIn(m_game.Path("hlds.exe"));
    test_support::InstallStandIn(m_game.Path("hl.exe"));
    m_form = std::make_unique<MainForm>(m_fs, m_dialogs, m_sound, m_starter, m_control);
    m_form->SetGameDir(m_game.GameDir());
    m_form->AddStartingMaps({"2fort", "well"});
    m_form->SetText("port", "27015");
    m_form->SetText("maxplayers", "12");
    m_form->Load();
  }

  ~LaunchButtonsTest() override {
    fs::current_path(m_previousDir);
    m_form.reset();
    EXPECT_TRUE(test_support::EndAll(Dir(), m_started)) << "a started program outlived the test";
  }

  fs::path Dir() const { return fs::path(m_game.GameDir()); }

  void ChooseMap(const QString& map) {
    auto* combo = m_form->findChild<QComboBox*>(QStringLiteral("Combo1"));
    ASSERT_NE(combo, nullptr);
    combo->setCurrentIndex(combo->findText(map));
  }

  void Press(const char* name) {
    auto* button = m_form->findChild<QPushButton*>(QLatin1String(name));
    ASSERT_NE(button, nullptr) << name;
    ASSERT_TRUE(button->isVisible()) << name;
    QTest::mouseClick(button, Qt::LeftButton);
  }

  test_support::StandInRecord Record() {
    test_support::StandInRecord r = test_support::ReadStandInRecord(Dir());
    EXPECT_TRUE(r.complete) << "the stand-in left no complete record";
    if (r.pid != 0) m_started.push_back(r.pid);
    if (r.child != 0) m_started.push_back(r.child);
    return r;
  }

  fs::path m_previousDir = fs::current_path();
  test::TempGameDir m_game;
  platform::NativeFileSystem m_fs;
  test::RecordingDialogs m_dialogs;
  test::RecordingSound m_sound;
  platform::NativeProcessStarter m_starter{"/nonexistent/wine"};
  platform::NativeServerControl m_control;
  std::unique_ptr<MainForm> m_form;
  std::vector<long long> m_started;
};

TEST_F(LaunchButtonsTest, startDedicatedStartsTheServerWithTheWindowsFields) {
  ChooseMap("well");
  Press("Command2");
  const test_support::StandInRecord r = Record();
  EXPECT_EQ(r.args, (Words{"-game", "tfc", "-port", "27015", "+map", "well"}));
  EXPECT_EQ(fs::path(r.cwd), Dir());
  EXPECT_EQ(m_sound.played, Words{"c:\\windows\\media\\Military_command.wav"});
  EXPECT_TRUE(m_dialogs.shown.empty());
}

TEST_F(LaunchButtonsTest, startListenFirstWritesItsFileThenStartsTheGame) {
  ChooseMap("2fort");
  Press("Command20");
  EXPECT_EQ(m_game.Read("tfc/listenserver.cfg"), config::ListenServerCfgText(*m_form));
  EXPECT_TRUE(m_sound.played.empty());
  EXPECT_TRUE(test_support::ProcessesIn(Dir()).empty());

  Press("Command20");
  const test_support::StandInRecord r = Record();
  EXPECT_EQ(r.args, (Words{"-game", "tfc", "-console", "+sv_lan", "0", "+maxplayers", "12", "+map", "2fort"}));
  EXPECT_TRUE(m_dialogs.shown.empty());
}

TEST_F(LaunchButtonsTest, joinStartsTheClientForTheLocalServer) {
  Press("Command4");
  const test_support::StandInRecord r = Record();
  EXPECT_EQ(r.args, (Words{"-console", "+connect", "127.0.0.1:27016"}));
  EXPECT_EQ(m_sound.played, Words{"c:\\windows\\media\\launch.wav"});
}

TEST_F(LaunchButtonsTest, stopEndsTheRunningServer) {
  ChooseMap("2fort");
  Press("Command2");
  const test_support::StandInRecord r = Record();
  ASSERT_TRUE(test_support::IsRunning(r.pid));
  Press("Command21");
  EXPECT_TRUE(test_support::WaitForExit(r.pid, 2000));
  EXPECT_TRUE(m_dialogs.shown.empty());
}

TEST_F(LaunchButtonsTest, startWithoutTheProgramSaysWhy) {
  fs::remove(m_game.Path("hlds.exe"));
  ChooseMap("2fort");
  Press("Command2");
  EXPECT_EQ(m_dialogs.Texts(), QStringList{QString::fromStdString("Quorvane could not start " + m_game.GameDir() +
                                                                  "\\hlds.exe: No such file or directory")});
}

}  // namespace
}  // namespace quorvane::ui

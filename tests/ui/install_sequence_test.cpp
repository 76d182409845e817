// InstallServer as the locate windows open it, and the installed directory
// becoming the server location through their saves.
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>

#include "app/location_check.h"
#include "ui/install_server.h"
#include "ui/window_fixtures.h"
#include "update/installer.h"

namespace quorvane::ui {
namespace {

using fixtures::FlushUnloads;
using fixtures::StartSequenceTest;
using fixtures::Tick;

struct InstallSequenceTest : StartSequenceTest {
  template <typename T = QWidget>
  static T* Child(QWidget* window, const char* name) { return window->findChild<T*>(QLatin1String(name)); }
  static void Press(QWidget* window, const char* name) { QTest::mouseClick(Child(window, name), Qt::LeftButton); }

  // The main window up, past the opening window.
  MainForm* Started() {
    Start(true);
    Tick(sequence->IntroWindow(), "Timer1", 4500);
    return sequence->Main();
  }
  LocateWindow* ChangeLocationWindow(MainForm* main) {
    Press(main, "Command19");
    return sequence->LocateFile2();
  }
  // Installs into <game>/srv with the stand-in and presses cmdUseLocation.
  void InstallAndUse() {
    InstallServerWindow* window = sequence->InstallServer();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(window->isVisible());
    Child<QLineEdit>(window, "txtInstallDir")->setText(Srv());
    Child<QLineEdit>(window, "txtSteamCmd")->setText(QUORVANE_STEAMCMD_STANDIN);
    QSignalSpy finished(window, &InstallServerWindow::installFinished);
    Press(window, "cmdInstall");
    ASSERT_TRUE(finished.wait(20000));
    ASSERT_TRUE(window->Result()->ok) << window->Result()->message;
    Press(window, "cmdUseLocation");
    FlushUnloads();
  }
  QString Srv() const { return QString::fromStdString(game.Path("srv").string()); }
};

TEST_F(InstallSequenceTest, firstRun_installedDirectoryIsSavedThroughTheFirstRunSave) {
  Start(false);
  game.MakeDir("program");
  Tick(sequence->IntroWindow(), "Timer1", 4500);
  ASSERT_NE(sequence->LocateFile(), nullptr);
  Press(sequence->LocateFile(), "cmdInstallServer");
  InstallAndUse();
  EXPECT_EQ(game.Read("program/Quorvane.ini"), Srv().toStdString() + "\r\n");
  EXPECT_TRUE(dialogs.shown.contains(app::kLocationSavedMessage)) << dialogs.shown.join('|').toStdString();
  EXPECT_EQ(sequence->LocateFile(), nullptr);
  EXPECT_EQ(sequence->InstallServer(), nullptr);
  ASSERT_NE(sequence->Main(), nullptr);
  EXPECT_EQ(sequence->Main()->GameDir(), Srv().toStdString());
}

TEST_F(InstallSequenceTest, changeLocation_installedDirectoryIsSavedAndReloaded) {
  MainForm* main = Started();
  ASSERT_NE(main, nullptr);
  Press(ChangeLocationWindow(main), "cmdInstallServer");
  InstallAndUse();
  EXPECT_EQ(main->GameDir(), Srv().toStdString());
  EXPECT_EQ(game.Read("program/Quorvane.ini"), Srv().toStdString() + "\r\n");
  EXPECT_EQ(sequence->LocateFile2(), nullptr);
  EXPECT_EQ(sequence->InstallServer(), nullptr);
}

TEST_F(InstallSequenceTest, serverStartedHereRunning_refusesWithAMessage) {
  MainForm* main = Started();
  ASSERT_NE(main, nullptr);
  outside.result.started = 4242;
  outside.running = true;
  main->Launcher().LaunchDedicatedServer("2fort");
  dialogs.shown.clear();
  Press(ChangeLocationWindow(main), "cmdInstallServer");
  EXPECT_EQ(dialogs.shown, QStringList{update::kServerInUseMessage});
  EXPECT_EQ(sequence->InstallServer(), nullptr);
}

TEST_F(InstallSequenceTest, firstRunSaveFailing_keepsTheInstallWindowForAnotherTry) {
  Start(false);
  Tick(sequence->IntroWindow(), "Timer1", 4500);
  Press(sequence->LocateFile(), "cmdInstallServer");
  InstallAndUse();
  EXPECT_TRUE(dialogs.shown.last().startsWith("Quorvane could not write")) << dialogs.shown.last().toStdString();
  EXPECT_NE(sequence->LocateFile(), nullptr);
  ASSERT_NE(sequence->InstallServer(), nullptr);
  EXPECT_TRUE(sequence->InstallServer()->isVisible());
}

TEST_F(InstallSequenceTest, updateFromTheMonitor_opensWithTheCurrentServerDirectory) {
  MainForm* main = Started();
  ASSERT_NE(main, nullptr);
  game.Write("hlds_run", "#!/bin/sh\n");
  Press(main, "StatusLine");
  QWidget* monitor = main->findChild<QWidget*>(QStringLiteral("ServerMonitor"));
  ASSERT_NE(monitor, nullptr);
  Press(monitor, "UpdateServer");
  ASSERT_NE(sequence->InstallServer(), nullptr);
  EXPECT_EQ(sequence->InstallServer()->InstallDir().toStdString(), main->GameDir());
}

TEST_F(InstallSequenceTest, quitting_takesTheInstallWindowAlong) {
  Start(false);
  Tick(sequence->IntroWindow(), "Timer1", 4500);
  Press(sequence->LocateFile(), "cmdInstallServer");
  ASSERT_NE(sequence->InstallServer(), nullptr);
  fixtures::Close(sequence->LocateFile());
  ExpectEnded();
}

}  // namespace
}  // namespace quorvane::ui

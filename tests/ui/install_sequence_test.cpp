// InstallServer as the locate windows and the server monitor open it, and the installed directory
// becoming the server location through the locate windows' saves.
#include <QLineEdit>
#include <QSignalSpy>

#include "ui/install_server.h"
#include "ui/window_fixtures.h"
#include "update/installer.h"

namespace quorvane::ui {
namespace {

using namespace fixtures;  // NOLINT(google-build-using-namespace): the shared fixtures

struct InstallSequenceTest : StartSequenceTest {
  // Opens the install window from the first run's locate window.
  void OpenFromFirstRun() {
    Start();
    Tick(sequence->IntroWindow(), "Timer1", 4500);
    Press(sequence->LocateFile(), "cmdInstallServer");
  }
  // Installs into <game>/srv with the stand-in and presses cmdUseLocation.
  void InstallAndUse() {
    InstallServerWindow* window = sequence->InstallServer();
    ASSERT_NE(window, nullptr);
    window->findChild<QLineEdit*>("txtInstallDir")->setText(QString::fromStdString(Srv()));
    window->findChild<QLineEdit*>("txtSteamCmd")->setText(QUORVANE_STEAMCMD_STANDIN);
    QSignalSpy finished(window, &InstallServerWindow::installFinished);
    Press(window, "cmdInstall");
    ASSERT_TRUE(finished.wait(20000));
    ASSERT_TRUE(window->Result()->ok) << window->Result()->message;
    Press(window, "cmdUseLocation");
  }
  std::string Srv() const { return game.Path("srv").string(); }
};

// The first try finds no folder for the settings file; the install window stays for the next.
TEST_F(InstallSequenceTest, firstRun_installedDirectoryIsSavedThroughTheFirstRunSave_onceItCanBeWritten) {
  OpenFromFirstRun();
  InstallAndUse();
  EXPECT_TRUE(dialogs.shown.last().startsWith("Quorvane could not write")) << dialogs.shown.last().toStdString();
  EXPECT_NE(sequence->LocateFile(), nullptr);
  ASSERT_NE(sequence->InstallServer(), nullptr);
  EXPECT_TRUE(sequence->InstallServer()->isVisible());
  game.MakeDir("program");
  Press(sequence->InstallServer(), "cmdUseLocation");
  EXPECT_EQ(game.Read("program/Quorvane.ini"), Srv() + "\r\n");
  EXPECT_EQ(sequence->LocateFile(), nullptr);
  EXPECT_EQ(sequence->InstallServer(), nullptr);
  ASSERT_NE(sequence->Main(), nullptr);
  EXPECT_EQ(sequence->Main()->GameDir(), Srv());
}

// No change-location window is open: the save opens one and takes it away again.
TEST_F(InstallSequenceTest, updateFromTheMonitor_offersTheServerDirectory_andTheInstalledOneIsSavedAndReloaded) {
  MainForm* main = StartPastIntro();
  ASSERT_NE(main, nullptr);
  game.Write("server/hlds_run", "#!/bin/sh\n");
  Press(main, "StatusLine");
  Press(main->findChild<QWidget*>(QStringLiteral("ServerMonitor")), "UpdateServer");
  ASSERT_NE(sequence->InstallServer(), nullptr);
  EXPECT_EQ(sequence->InstallServer()->InstallDir().toStdString(), main->GameDir());
  InstallAndUse();
  EXPECT_EQ(main->GameDir(), Srv());
  EXPECT_EQ(sequence->LocateFile2(), nullptr);
  EXPECT_EQ(sequence->InstallServer(), nullptr);
}

TEST_F(InstallSequenceTest, serverStartedHereRunning_refusesWithAMessage) {
  MainForm* main = StartPastIntro();
  ASSERT_NE(main, nullptr);
  outside.result.started = 4242;
  outside.running = true;
  (void)main->Launcher().LaunchDedicatedServer({main->GameDir(), "2fort", {}});
  dialogs.shown.clear();
  Press(main, "Command19");
  Press(sequence->LocateFile2(), "cmdInstallServer");
  EXPECT_EQ(dialogs.shown, QStringList{update::kServerInUseMessage});
  EXPECT_EQ(sequence->InstallServer(), nullptr);
}

TEST_F(InstallSequenceTest, closingTheFirstRunsLocateWindow_endsTheProgramTakingTheInstallWindowAlong) {
  OpenFromFirstRun();
  ASSERT_NE(sequence->InstallServer(), nullptr);
  Close(sequence->LocateFile());
  ExpectEnded();
  EXPECT_FALSE(game.Exists("program/Quorvane.ini"));
}

}  // namespace
}  // namespace quorvane::ui

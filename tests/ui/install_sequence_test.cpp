// InstallServer as the locate windows and the server monitor open it, and the installed directory
// becoming the server location through the locate windows' saves.
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QSignalSpy>

#include "app/location_check.h"
#include "platform/install_runner.h"
#include "ui/ansi_text.h"
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
  // Installs into `dir` (<game>/srv unless told) with the stand-in and presses cmdUseLocation.
  void InstallAndUse(const QString& dir = {}) {
    InstallServerWindow* window = sequence->InstallServer();
    ASSERT_NE(window, nullptr);
    window->findChild<QLineEdit*>("txtInstallDir")->setText(dir.isEmpty() ? QString::fromStdString(Srv()) : dir);
    window->findChild<QLineEdit*>("txtSteamCmd")->setText(QUORVANE_STEAMCMD_STANDIN);
    QSignalSpy finished(window, &InstallServerWindow::installFinished);
    Press(window, "cmdInstall");
    ASSERT_TRUE(finished.wait(20000));
    ASSERT_TRUE(window->Result()->ok) << window->Result()->message;
    Press(window, "cmdUseLocation");
  }
  std::string Srv() const { return game.Path("srv").string(); }
  // <game>/`folder` as the windows show it; `folder` is UTF-8.
  QString UnderGame(const char* folder) const {
    return QString::fromStdString(game.GameDir()) + QDir::separator() + QString::fromUtf8(folder);
  }
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

// The reported case: HOME=/home/josé. SteamCMD found there, and the install folder offered in it,
// are shown and used as named, never read as code-page text.
TEST_F(InstallSequenceTest, steamCmdAndInstallFolderInAHomeNamedWithAnAccent_areShownAsNamed) {
  const bool windows = platform::ThisSystem() == update::System::Windows;
  const QString home = UnderGame("jos\xC3\xA9");
  const QString steamCmd =
      QDir::toNativeSeparators(home + (windows ? "/steamcmd/steamcmd.exe" : "/steamcmd/steamcmd.sh"));
  QDir().mkpath(home + "/steamcmd");
  QFile program(steamCmd);
  ASSERT_TRUE(program.open(QIODevice::WriteOnly));
  program.close();
  program.setPermissions(program.permissions() | QFileDevice::ExeOwner);
  const char* homeVariable = windows ? "USERPROFILE" : "HOME";
  const QByteArray oldHome = qgetenv(homeVariable), oldPath = qgetenv("PATH");
  qputenv(homeVariable, home.toLocal8Bit());
  qputenv("PATH", QByteArray::fromStdString(game.Path("nothing-here").string()));
  OpenFromFirstRun();
  qputenv(homeVariable, oldHome);
  qputenv("PATH", oldPath);
  ASSERT_NE(sequence->InstallServer(), nullptr);
  EXPECT_EQ(sequence->InstallServer()->findChild<QLineEdit*>("txtSteamCmd")->text(), steamCmd);
  EXPECT_EQ(sequence->InstallServer()->InstallDir(), home + QDir::separator() + "hlds");
}

// A folder named outside the game's code page installs fine, but GameDir is code-page text: it
// cannot become the server location, and the one there was stays.
struct FolderCase {
  const char* name;
  const char* folder;  // UTF-8, under the game directory
  bool usable;
};
void PrintTo(const FolderCase& c, std::ostream* out) { *out << c.name; }

const auto kFolders =
    ::testing::Values(FolderCase{"latin", "Serveur de Jos\xC3\xA9", true},
                      FolderCase{"cyrillic", "\xD0\xA1\xD0\xB5\xD1\x80\xD0\xB2\xD0\xB5\xD1\x80", false},
                      FolderCase{"cjk", "\xE6\x9C\x8D\xE5\x8A\xA1\xE5\x99\xA8", false});
const auto kFolderName = [](const auto& info) { return std::string(info.param.name); };

class InstalledFolderTest : public InstallSequenceTest, public ::testing::WithParamInterface<FolderCase> {};

TEST_P(InstalledFolderTest, becomesTheServerLocationOnlyWhenTheCodePageHoldsItsName) {
  MainForm* main = StartPastIntro();
  ASSERT_NE(main, nullptr);
  const std::string before = main->GameDir();
  const std::string stored = game.Read("program/Quorvane.ini");
  Press(main, "StatusLine");
  Press(main->findChild<QWidget*>(QStringLiteral("ServerMonitor")), "UpdateServer");
  const QString dir = UnderGame(GetParam().folder);
  InstallAndUse(dir);
  if (GetParam().usable) {
    EXPECT_EQ(main->GameDir(), ToAnsi(dir));
    EXPECT_EQ(sequence->InstallServer(), nullptr);
    return;
  }
  EXPECT_EQ(dialogs.shown.last(), FromNative(app::CodePageLocationMessage(ToNative(dir))));
  EXPECT_EQ(main->GameDir(), before);
  EXPECT_EQ(game.Read("program/Quorvane.ini"), stored);
  ASSERT_NE(sequence->InstallServer(), nullptr);
  EXPECT_TRUE(sequence->InstallServer()->isVisible());
}

INSTANTIATE_TEST_SUITE_P(Scripts, InstalledFolderTest, kFolders, kFolderName);

class ChosenFolderTest : public InstallSequenceTest, public ::testing::WithParamInterface<FolderCase> {};

TEST_P(ChosenFolderTest, changeLocationSaveRefusesANameTheCodePageCannotHold) {
  MainForm* main = StartPastIntro();
  ASSERT_NE(main, nullptr);
  const std::string before = main->GameDir();
  const QString dir = UnderGame(GetParam().folder);
  QDir().mkpath(dir);
  Press(main, "Command19");
  sequence->LocateFile2()->findChild<QLineEdit*>("GamePath")->setText(dir);
  Press(sequence->LocateFile2(), "Command1");
  EXPECT_EQ(main->GameDir(), GetParam().usable ? ToAnsi(dir) : before);
  EXPECT_EQ(sequence->LocateFile2() != nullptr, !GetParam().usable);
}

TEST_P(ChosenFolderTest, firstRunSaveRefusesANameTheCodePageCannotHold) {
  game.MakeDir("program");
  Start();
  Tick(sequence->IntroWindow(), "Timer1", 4500);
  const QString dir = UnderGame(GetParam().folder);
  sequence->LocateFile()->findChild<QLineEdit*>("GamePath")->setText(dir);
  Press(sequence->LocateFile(), "Command1");
  EXPECT_EQ(game.Exists("program/Quorvane.ini"), GetParam().usable);
  if (!GetParam().usable) {
    EXPECT_EQ(dialogs.shown.last(), FromNative(app::CodePageLocationMessage(ToNative(dir))));
  }
}

INSTANTIATE_TEST_SUITE_P(Scripts, ChosenFolderTest, kFolders, kFolderName);

}  // namespace
}  // namespace quorvane::ui

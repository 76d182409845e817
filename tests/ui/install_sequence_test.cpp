// InstallServer as the locate windows and the server monitor open it, and the installed directory
// becoming the server location through the locate windows' saves.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>

#include <filesystem>
#include <fstream>
#include <map>

#include "app/installing_folders.h"
#include "app/location_check.h"
#include "platform/install_runner.h"
#include "ui/ansi_text.h"
#include "update/interrupted_update.h"
#include "update/kept_files.h"

#include "support/standin_processes.h"
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

  // The sample's installation loaded in the main window, and an update into its folder that hangs
  // mid-download, after replacing the user's server.cfg with the stock one as `validate` does.
  MainForm* UpdateHangingMidDownload() {
    MainForm* main = StartPastIntro();
    if (main == nullptr) return nullptr;
    main->MarkWorkspaceLoaded();
    game.Write("server/steamcmd-standin-mode", "hang\n");
    sequence->OpenInstallServer(StartSequence::InstallOrigin::ChangeLocation);
    InstallServerWindow* window = sequence->InstallServer();
    window->findChild<QLineEdit*>("txtInstallDir")->setText(QString::fromStdString(main->GameDir()));
    window->findChild<QLineEdit*>("txtSteamCmd")->setText(QUORVANE_STEAMCMD_STANDIN);
    Press(window, "cmdInstall");
    const auto* state = window->findChild<QLabel*>("lblState");
    EXPECT_TRUE(QTest::qWaitFor([state] { return state->text().startsWith("downloading 45.2 %"); }, 20000));
    return main;
  }
  // The sample installation's own server.cfg, before any update replaced it.
  static std::string SampleServerCfg() {
    std::ifstream in(QUORVANE_TEST_DATA "/app/complete/Tfc/server.cfg", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // Every file below the game folder but the stand-in's bookkeeping, with its bytes.
  std::map<std::string, std::string> Files() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(game.Path(""))) {
      const std::string name = std::filesystem::relative(entry.path(), game.Path("")).generic_string();
      if (entry.is_regular_file() && !name.starts_with("server/steamcmd-standin")) files[name] = game.Read(name);
    }
    return files;
  }
};

// What the main window might write into, or start from, the folder an update is writing into.
struct WhileUpdating {
  const char* name;
  void (*act)(InstallSequenceTest& t, MainForm& main);
};
void PrintTo(const WhileUpdating& c, std::ostream* out) { *out << c.name; }

class RefusedWhileUpdating : public InstallSequenceTest, public ::testing::WithParamInterface<WhileUpdating> {};

// The update puts back at its end the files it kept at its start, over anything written meanwhile.
TEST_P(RefusedWhileUpdating, writesNothingStartsNothingAndSaysWhy) {
  MainForm* main = UpdateHangingMidDownload();
  ASSERT_NE(main, nullptr);
  const std::map<std::string, std::string> before = Files();
  outside.events.clear();
  GetParam().act(*this, *main);
  EXPECT_EQ(outside.events, Words{std::string("message ") + app::kInstallingMessage});
  EXPECT_EQ(Files(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Actions, RefusedWhileUpdating,
    ::testing::Values(WhileUpdating{"autoexecCfg", [](InstallSequenceTest&, MainForm& m) { m.WriteAutoexecCfg(); }},
                      WhileUpdating{"serverCfg", [](InstallSequenceTest&, MainForm& m) { m.WriteServerCfg(); }},
                      WhileUpdating{"mapCycle", [](InstallSequenceTest&, MainForm& m) { m.SaveMapCycle(); }},
                      WhileUpdating{"motd", [](InstallSequenceTest&, MainForm& m) { m.SaveMotd(); }},
                      WhileUpdating{"dedicatedServer",
                                    [](InstallSequenceTest&, MainForm& m) { m.StartDedicatedServer(); }},
                      WhileUpdating{"listenServer", [](InstallSequenceTest&, MainForm& m) { m.StartListenServer(); }},
                      WhileUpdating{"joinGame", [](InstallSequenceTest&, MainForm& m) { m.JoinYourGame(); }},
                      // Spelled in other letters: the same place all the same.
                      WhileUpdating{"locationChangeToIt",
                                    [](InstallSequenceTest& t, MainForm& m) {
                                      Press(&m, "Command19");
                                      t.outside.events.clear();
                                      t.sequence->LocateFile2()->SetGamePathText(
                                          QString::fromStdString(t.game.Path("SERVER").string()));
                                      Press(t.sequence->LocateFile2(), "Command1");
                                    }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(InstallSequenceTest, writeRefusedDuringAnUpdate_worksOnceItEnded_andTheUpdateOverwroteNothing) {
  MainForm* main = UpdateHangingMidDownload();
  const std::string mine = SampleServerCfg();
  ASSERT_NE(main, nullptr);
  main->WriteServerCfg();
  InstallServerWindow* window = sequence->InstallServer();
  QSignalSpy finished(window, &InstallServerWindow::installFinished);
  Press(window, "cmdCancel");
  ASSERT_TRUE(!finished.isEmpty() || finished.wait(20000));
  EXPECT_EQ(game.Read("server/tfc/server.cfg"), mine);
  dialogs.shown.clear();
  main->WriteServerCfg();
  EXPECT_EQ(dialogs.shown, QStringList{"The new Server.cfg and Listenserver.cfg files have been created successfully"});
  EXPECT_EQ(game.Read("server/tfc/server.bak"), mine);
}

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
                      FolderCase{"cyrillic", "\xD0\xA1\xD0\xB5\xD1\x80\xD0\xB2\xD0\xB5\xD1\x80", false});
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

// The program was killed mid-update: SteamCMD had put the stock server.cfg in place of the user's,
// which waits in the backup folder under the update's marker.
struct UnfinishedUpdateTest : InstallSequenceTest {
  static constexpr const char* kMine = "hostname \"Mine\"\r\nmp_timelimit \"45\"\r\n";
  static constexpr const char* kBackup = "server/quorvane-backup/2026-12-07_05-30-12/";

  std::string KilledMidUpdate() {
    const std::string dir = Install("server");
    game.Write(std::string(kBackup) + "tfc/server.cfg", kMine);
    game.Write(std::string(kBackup) + "update-unfinished.txt",
               update::MarkerText({"2026-12-07 05:30:12", 0, 0, "", {"tfc/server.cfg"}}));
    game.Write("server/tfc/server.cfg", "// stock server.cfg\n");
    return dir;
  }
  // Starts on the installation up to the workspace load.
  void StartAndLoad(const std::string& dir) {
    Start(dir);
    Tick(sequence->IntroWindow(), "Timer1", 4500);
    Tick(sequence->StartWindow(), "Timer1", 1000, 2);
    Press(sequence->StartWindow(), "RockOn");
  }
  QString Question(const std::string& dir) const {
    return QString::fromStdString(
        "?Quorvane: An update of the server was interrupted on 2026-12-07 05:30:12. Your own "
        "files are kept in " +
        update::JoinPath(dir, "quorvane-backup/2026-12-07_05-30-12") + ". Put them back now?");
  }
};

TEST_F(UnfinishedUpdateTest, yesPutsTheKeptFilesBackAndSaysWhich_beforeTheWorkspaceLoads) {
  const std::string dir = KilledMidUpdate();
  dialogs.answer = true;
  StartAndLoad(dir);
  ASSERT_GE(dialogs.shown.size(), 2);
  EXPECT_EQ(dialogs.shown[0], Question(dir));
  EXPECT_EQ(dialogs.shown[1], "Put back your own tfc/server.cfg.");
  EXPECT_EQ(game.Read("server/tfc/server.cfg"), kMine);
  EXPECT_FALSE(game.Exists(std::string(kBackup) + "update-unfinished.txt"));
  ASSERT_NE(sequence->Main(), nullptr);
  EXPECT_EQ(sequence->Main()->Values().GetText("mp_timelimit"), "45");
}

TEST_F(UnfinishedUpdateTest, noKeepsEverythingAsItIs_andTheNextStartAsksAgain) {
  const std::string dir = KilledMidUpdate();
  StartAndLoad(dir);
  EXPECT_EQ(dialogs.shown.value(0), Question(dir));
  EXPECT_EQ(game.Read("server/tfc/server.cfg"), "// stock server.cfg\n");
  EXPECT_EQ(game.Read(std::string(kBackup) + "tfc/server.cfg"), kMine);
  sequence.reset();
  FlushUnloads();
  dialogs.shown.clear();
  StartAndLoad(dir);
  EXPECT_EQ(dialogs.shown.value(0), Question(dir));
}

// Ctrl+C in the launching terminal, or the session ending, while SteamCMD replaces the user's files.
TEST_F(InstallSequenceTest, interruptMidUpdate_endsSteamCmdAndPutsTheFilesBack_thenEndsTheProgram) {
  bool interrupted = false;
  bool ended = false;
  arrangeServices = [&](SequenceServices& services) {
    services.interrupted = [&interrupted] { return interrupted; };
    services.endInterrupted = [&ended] { ended = true; };
  };
  ASSERT_NE(UpdateHangingMidDownload(), nullptr);
  const std::string mine = SampleServerCfg();
  const long long pid = std::stoll(game.Read("server/steamcmd-standin-pid"));
  interrupted = true;
  ASSERT_TRUE(QTest::qWaitFor([&ended] { return ended; }, 5000));
  EXPECT_FALSE(test_support::IsRunning(pid));
  EXPECT_EQ(game.Read("server/tfc/server.cfg"), mine);
  EXPECT_TRUE(update::FindInterruptedUpdates(fs, game.Path("server").string()).empty());
}

}  // namespace
}  // namespace quorvane::ui

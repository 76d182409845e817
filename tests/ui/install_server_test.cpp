// InstallServer driven like a user would, against the stand-in SteamCMD.
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>

#include "ui/install_server.h"
#include "ui/window_fixtures.h"
#include "update/installer.h"

#ifndef _WIN32
#include <csignal>
#include <cerrno>
#endif

namespace quorvane::ui {
namespace {

using fixtures::FormOnDisk;

constexpr int kWaitMs = 20000;

// Edited files with the bytes a stock file never has: CR LF, a tab, a high byte.
constexpr const char* kEditedServerCfg = "// mine\r\nhostname \"Caf\xe9 TFC\"\r\nmp_timelimit\t45\r\n";
constexpr const char* kEditedMapCycle = "well\r\n2fort\r\n";
constexpr const char* kEditedMotd = "No spawn camping.\n\xa9 the admins\n";

struct InstallServerTest : ::testing::Test {
  InstallServerTest() {
    setup.installDir = QString::fromStdString(on.game.GameDir());
    setup.steamCmd = QUORVANE_STEAMCMD_STANDIN;
    setup.howToGet = "Get SteamCMD from your distribution.";
    setup.serverRunning = [this] { return serverRunning; };
    setup.stamp = [] { return std::string("2026-12-07_05-30-12"); };
  }
  void TearDown() override {
    window.reset();
    fixtures::FlushUnloads();
  }

  void Mode(const std::string& mode) const { on.game.Write("steamcmd-standin-mode", mode + "\n"); }
  void WriteEditedFiles() const {
    on.game.Write("tfc/server.cfg", kEditedServerCfg);
    on.game.Write("tfc/mapcycle.txt", kEditedMapCycle);
    on.game.Write("tfc/motd.txt", kEditedMotd);
  }
  InstallServerWindow& Open() {
    window = std::make_unique<InstallServerWindow>(on.fs, setup);
    window->show();
    return *window;
  }
  template <typename T = QWidget>
  T* Find(const char* name) const { return window->findChild<T*>(QLatin1String(name)); }
  QString Text(const char* label) const { return Find<QLabel>(label)->text(); }
  // Presses Install and lets the event loop run until the install is over.
  bool InstallAndWait() {
    QSignalSpy finished(window.get(), &InstallServerWindow::installFinished);
    QTest::mouseClick(Find("cmdInstall"), Qt::LeftButton);
    return !finished.isEmpty() || finished.wait(kWaitMs);
  }
  int StandInRuns() const {
    return on.game.Exists("steamcmd-standin-runs") ? std::stoi(on.game.Read("steamcmd-standin-runs")) : 0;
  }

  // The hanging stand-in's process id, once its pid file holds the whole line.
  int HangingPid() const {
    std::string line;
    const auto written = [&] {
      line = on.game.Exists("steamcmd-standin-pid") ? on.game.Read("steamcmd-standin-pid") : "";
      return line.ends_with('\n');
    };
    EXPECT_TRUE(QTest::qWaitFor(written, kWaitMs));
    return line.empty() ? -1 : std::stoi(line);
  }

  FormOnDisk on{-1, false};
  InstallServerSetup setup;
  bool serverRunning = false;
  std::unique_ptr<InstallServerWindow> window;
};

TEST_F(InstallServerTest, freshInstall_succeedsAndOffersTheLocation) {
  Open();
  ASSERT_TRUE(InstallAndWait());
  ASSERT_TRUE(window->Result().has_value());
  EXPECT_TRUE(window->Result()->ok);
  const QString outcome = Text("lblOutcome");
  EXPECT_TRUE(outcome.startsWith("Installed in " + window->InstallDir())) << outcome.toStdString();
  EXPECT_TRUE(Find("cmdUseLocation")->isVisibleTo(window.get()));
  EXPECT_EQ(Find<QProgressBar>("barProgress")->value(), Find<QProgressBar>("barProgress")->maximum());
  EXPECT_TRUE(on.game.Exists("hlds_run"));
}

TEST_F(InstallServerTest, progressBar_movesThroughTheDownload) {
  Open();
  QList<int> values;
  QObject::connect(Find<QProgressBar>("barProgress"), &QProgressBar::valueChanged, [&values](int v) { values << v; });
  ASSERT_TRUE(InstallAndWait());
  EXPECT_TRUE(values.contains(452)) << "45.23 % of the download";
  EXPECT_TRUE(std::any_of(values.begin(), values.end(), [](int v) { return v > 0 && v < 1000; }));
  EXPECT_TRUE(Find<QPlainTextEdit>("txtOutput")->toPlainText().contains("Update state (0x61) downloading"));
}

TEST_F(InstallServerTest, hangingRun_showsTheStateItHasReached) {
  Mode("hang");
  Open();
  QTest::mouseClick(Find("cmdInstall"), Qt::LeftButton);
  EXPECT_TRUE(QTest::qWaitFor([this] { return Text("lblState").startsWith("downloading 45.2 %"); }, kWaitMs))
      << Text("lblState").toStdString();
  window->CancelInstall();
}

TEST_F(InstallServerTest, firstRunStoppingShort_isRunAgainUntilSuccess) {
  Mode("twice");
  Open();
  ASSERT_TRUE(InstallAndWait());
  EXPECT_TRUE(window->Result()->ok);
  EXPECT_EQ(window->Result()->runs, 2);
  EXPECT_EQ(StandInRuns(), 2);
}

TEST_F(InstallServerTest, upToDateInstall_succeedsAtOnce) {
  Open();
  ASSERT_TRUE(InstallAndWait());
  ASSERT_TRUE(InstallAndWait());
  EXPECT_TRUE(window->Result()->ok);
  EXPECT_EQ(window->Result()->runs, 1);
  EXPECT_EQ(StandInRuns(), 2);
  EXPECT_TRUE(Find<QPlainTextEdit>("txtOutput")->toPlainText().contains("already up to date"));
}

// How an install ends, and what the window must say of it.
struct EndCase {
  const char* name;
  const char* mode;
  bool cancel;      // pressed once the stand-in hangs
  bool ok;
  const char* says;  // a piece of the outcome text
};

class InstallEndTest : public InstallServerTest, public ::testing::WithParamInterface<EndCase> {
 protected:
  void RunToEnd() {
    WriteEditedFiles();
    Mode(GetParam().mode);
    Open();
    QSignalSpy finished(window.get(), &InstallServerWindow::installFinished);
    QTest::mouseClick(Find("cmdInstall"), Qt::LeftButton);
    if (GetParam().cancel) {
      ASSERT_TRUE(QTest::qWaitFor([this] { return on.game.Exists("steamcmd-standin-pid"); }, kWaitMs));
      QTest::mouseClick(Find("cmdCancel"), Qt::LeftButton);
    }
    ASSERT_TRUE(!finished.isEmpty() || finished.wait(kWaitMs));
  }
};

TEST_P(InstallEndTest, editedFiles_comeBackByteForByte) {
  RunToEnd();
  EXPECT_EQ(on.game.Read("tfc/server.cfg"), kEditedServerCfg);
  EXPECT_EQ(on.game.Read("tfc/mapcycle.txt"), kEditedMapCycle);
  EXPECT_EQ(on.game.Read("tfc/motd.txt"), kEditedMotd);
  EXPECT_EQ(on.game.Read("quorvane-backup/2026-12-07_05-30-12/tfc/server.cfg"), kEditedServerCfg);
}

TEST_P(InstallEndTest, outcome_isShownAsItWas) {
  RunToEnd();
  EXPECT_EQ(window->Result()->ok, GetParam().ok);
  EXPECT_EQ(Find("cmdUseLocation")->isVisibleTo(window.get()), GetParam().ok);
  const QString outcome = Text("lblOutcome");
  EXPECT_TRUE(outcome.contains(GetParam().says)) << outcome.toStdString();
  EXPECT_EQ(outcome.contains("Installed in"), GetParam().ok) << outcome.toStdString();
  EXPECT_TRUE(outcome.contains("Put back your own tfc/server.cfg")) << outcome.toStdString();
  EXPECT_TRUE(Find("cmdInstall")->isEnabled());
  EXPECT_FALSE(Find("cmdCancel")->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(
    Ends, InstallEndTest,
    ::testing::Values(EndCase{"success", "ok", false, true, "Installed in"},
                      EndCase{"fullDisk", "fail", false, false, "Not enough disk space"},
                      EndCase{"cancelled", "hang", true, false, "Cancelled."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(InstallServerTest, noNetwork_isAFailureInPlainWords) {
  Mode("nonet");
  Open();
  ASSERT_TRUE(InstallAndWait());
  EXPECT_FALSE(window->Result()->ok);
  EXPECT_TRUE(Text("lblOutcome").contains("could not reach Steam")) << Text("lblOutcome").toStdString();
  EXPECT_EQ(Text("lblState"), "failed");
}

TEST_F(InstallServerTest, noSteamCmd_explainsHowToGetIt) {
  setup.steamCmd.clear();
  Open();
  EXPECT_TRUE(Find("lblHowToGetSteamCmd")->isVisibleTo(window.get()));
  ASSERT_TRUE(InstallAndWait());
  EXPECT_EQ(Text("lblOutcome"), setup.howToGet);
  EXPECT_FALSE(Find("cmdUseLocation")->isVisibleTo(window.get()));
  EXPECT_EQ(StandInRuns(), 0);
}

TEST_F(InstallServerTest, chosenProgramMissing_isAFailureNamingIt) {
  setup.steamCmd = QString::fromStdString(on.game.Path("no-such-steamcmd").string());
  Open();
  ASSERT_TRUE(InstallAndWait());
  EXPECT_FALSE(window->Result()->ok);
  EXPECT_TRUE(Text("lblOutcome").contains("SteamCMD could not be started")) << Text("lblOutcome").toStdString();
}

TEST_F(InstallServerTest, serverRunning_refusesWithoutStartingSteamCmd) {
  serverRunning = true;
  Open();
  ASSERT_TRUE(InstallAndWait());
  EXPECT_FALSE(window->Result()->ok);
  EXPECT_TRUE(Text("lblOutcome").startsWith(update::kServerInUseMessage)) << Text("lblOutcome").toStdString();
  EXPECT_EQ(StandInRuns(), 0);
}

TEST_F(InstallServerTest, relativeDirectory_isMadeAbsolute) {
  setup.installDir = "hlds-here";
  Open();
  EXPECT_TRUE(QDir::isAbsolutePath(window->InstallDir()));
  EXPECT_TRUE(window->InstallDir().endsWith("hlds-here"));
}

TEST_F(InstallServerTest, useLocation_givesTheInstalledDirectory) {
  Open();
  ASSERT_TRUE(InstallAndWait());
  QSignalSpy used(window.get(), &InstallServerWindow::useLocationRequested);
  QTest::mouseClick(Find("cmdUseLocation"), Qt::LeftButton);
  ASSERT_EQ(used.size(), 1);
  EXPECT_EQ(used.front().front().toString(), window->InstallDir());
}

#ifndef _WIN32
TEST_F(InstallServerTest, cancel_leavesNoProcessBehind) {
  Mode("hang");
  Open();
  QSignalSpy finished(window.get(), &InstallServerWindow::installFinished);
  QTest::mouseClick(Find("cmdInstall"), Qt::LeftButton);
  const pid_t pid = HangingPid();
  ASSERT_GT(pid, 0);
  QTest::mouseClick(Find("cmdCancel"), Qt::LeftButton);
  ASSERT_TRUE(!finished.isEmpty() || finished.wait(kWaitMs));
  EXPECT_FALSE(window->Running());
  EXPECT_EQ(::kill(pid, 0), -1);
  EXPECT_EQ(errno, ESRCH);
}

TEST_F(InstallServerTest, closingWhileRunning_endsSteamCmdAndPutsFilesBack) {
  WriteEditedFiles();
  Mode("hang");
  Open();
  QTest::mouseClick(Find("cmdInstall"), Qt::LeftButton);
  const pid_t pid = HangingPid();
  ASSERT_GT(pid, 0);
  window.reset();
  EXPECT_EQ(::kill(pid, 0), -1);
  EXPECT_EQ(on.game.Read("tfc/server.cfg"), kEditedServerCfg);
}
#endif

}  // namespace
}  // namespace quorvane::ui

// InstallServer driven like a user would, against the stand-in SteamCMD. What the installer decides
// from SteamCMD's runs is the platform tests'; here, what the window shows of it and does with it.
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSignalSpy>

#include "support/standin_processes.h"
#include "ui/install_server.h"
#include "ui/window_fixtures.h"
#include "update/installer.h"

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

  void Mode(const std::string& mode) const { on.game.Write("steamcmd-standin-mode", mode + "\n"); }
  void WriteEditedFiles() const {
    on.game.Write("tfc/server.cfg", kEditedServerCfg);
    on.game.Write("tfc/mapcycle.txt", kEditedMapCycle);
    on.game.Write("tfc/motd.txt", kEditedMotd);
  }
  void Open() {
    window = std::make_unique<InstallServerWindow>(on.fs, setup);
    window->show();
  }
  template <typename T = QWidget>
  T* Find(const char* name) const { return window->findChild<T*>(QLatin1String(name)); }
  QString Text(const char* label) const { return Find<QLabel>(label)->text(); }
  // Presses Install and lets the event loop run until the install is over; gives how it ended.
  std::optional<bool> InstallAndWait() {
    QSignalSpy finished(window.get(), &InstallServerWindow::installFinished);
    fixtures::Press(window.get(), "cmdInstall");
    if (finished.isEmpty() && !finished.wait(kWaitMs)) return std::nullopt;
    return finished.front().front().toBool();
  }
  int StandInRuns() const {
    return on.game.Exists("steamcmd-standin-runs") ? std::stoi(on.game.Read("steamcmd-standin-runs")) : 0;
  }

  // The hanging stand-in's process id, once its pid file holds the whole line.
  long long HangingPid() const {
    std::string line;
    const auto written = [&] {
      line = on.game.Exists("steamcmd-standin-pid") ? on.game.Read("steamcmd-standin-pid") : "";
      return line.ends_with('\n');
    };
    EXPECT_TRUE(QTest::qWaitFor(written, kWaitMs));
    return line.empty() ? -1 : std::stoll(line);
  }

  FormOnDisk on{-1, false};
  InstallServerSetup setup;
  bool serverRunning = false;
  std::unique_ptr<InstallServerWindow> window;
};

TEST_F(InstallServerTest, progressBar_movesThroughTheDownloadToItsEnd) {
  Open();
  QList<int> values;
  QObject::connect(Find<QProgressBar>("barProgress"), &QProgressBar::valueChanged, [&values](int v) { values << v; });
  ASSERT_EQ(InstallAndWait(), true);
  EXPECT_TRUE(values.contains(452)) << "45.23 % of the download";
  EXPECT_EQ(Find<QProgressBar>("barProgress")->value(), Find<QProgressBar>("barProgress")->maximum());
  EXPECT_TRUE(Find<QPlainTextEdit>("txtOutput")->toPlainText().contains("Update state (0x61) downloading"));
}

TEST_F(InstallServerTest, firstRunStoppingShort_isRunAgainUntilSuccess) {
  Mode("twice");
  Open();
  ASSERT_EQ(InstallAndWait(), true);
  EXPECT_EQ(window->Result()->runs, 2);
  EXPECT_EQ(StandInRuns(), 2);
}

TEST_F(InstallServerTest, secondInstallInTheSameWindow_findsItUpToDate) {
  Open();
  ASSERT_EQ(InstallAndWait(), true);
  ASSERT_EQ(InstallAndWait(), true);
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
    fixtures::Press(window.get(), "cmdInstall");
    if (GetParam().cancel) {
      ASSERT_TRUE(QTest::qWaitFor([this] { return on.game.Exists("steamcmd-standin-pid"); }, kWaitMs));
      fixtures::Press(window.get(), "cmdCancel");
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

// An install that cannot begin or whose SteamCMD cannot start: the window says why.
struct RefusalCase {
  const char* name;
  void (*arrange)(InstallServerTest& t);
  const char* says;  // how the outcome text begins
};

class InstallRefusalTest : public InstallServerTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(InstallRefusalTest, failsSayingWhyWithoutRunningSteamCmd) {
  GetParam().arrange(*this);
  Open();
  ASSERT_EQ(InstallAndWait(), false);
  EXPECT_TRUE(Text("lblOutcome").startsWith(GetParam().says)) << Text("lblOutcome").toStdString();
  EXPECT_FALSE(Find("cmdUseLocation")->isVisibleTo(window.get()));
  EXPECT_EQ(StandInRuns(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, InstallRefusalTest,
    ::testing::Values(
        RefusalCase{"noSteamCmd_explainsHowToGetIt", [](InstallServerTest& t) { t.setup.steamCmd.clear(); },
                    "Get SteamCMD from your distribution."},
        RefusalCase{"chosenProgramMissing",
                    [](InstallServerTest& t) {
                      t.setup.steamCmd = QString::fromStdString(t.on.game.Path("no-such-steamcmd").string());
                    },
                    "SteamCMD could not be started"},
        RefusalCase{"serverRunning", [](InstallServerTest& t) { t.serverRunning = true; },
                    update::kServerInUseMessage}),
    [](const auto& info) { return std::string(info.param.name); });

// Ending a hanging install, by its Cancel button or by closing the window, ends SteamCMD and puts the
// edited files back.
class HangingInstallTest : public InstallServerTest, public ::testing::WithParamInterface<bool> {};

TEST_P(HangingInstallTest, endingItMidDownload_leavesNoSteamCmdRunningAndTheFilesBack) {
  WriteEditedFiles();
  Mode("hang");
  Open();
  fixtures::Press(window.get(), "cmdInstall");
  ASSERT_TRUE(QTest::qWaitFor([this] { return Text("lblState").startsWith("downloading 45.2 %"); }, kWaitMs))
      << Text("lblState").toStdString();
  const long long pid = HangingPid();
  ASSERT_GT(pid, 0);
  if (GetParam()) window.reset();
  else fixtures::Press(window.get(), "cmdCancel");
  EXPECT_FALSE(test_support::IsRunning(pid));
  EXPECT_EQ(on.game.Read("tfc/server.cfg"), kEditedServerCfg);
}

INSTANTIATE_TEST_SUITE_P(Ends, HangingInstallTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "closingTheWindow" : "cancel"; });

}  // namespace
}  // namespace quorvane::ui

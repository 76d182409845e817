// InstallServer driven like a user would, against the stand-in SteamCMD. What the installer decides
// from SteamCMD's runs is the installer tests'; here, what the window shows of it and does with it.
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

using fixtures::Child;

constexpr int kWaitMs = 20000;
constexpr const char* kEditedServerCfg = "// mine\r\nhostname \"Caf\xe9 TFC\"\r\nmp_timelimit\t45\r\n";

struct InstallServerTest : ::testing::Test {
  InstallServerTest() {
    setup.installDir = QString::fromStdString(on.game.GameDir());
    setup.steamCmd = QUORVANE_STEAMCMD_STANDIN;
    setup.howToGet = "Get SteamCMD from your distribution.";
    on.game.Write("tfc/server.cfg", kEditedServerCfg);
  }

  // Opens the window over a stand-in that behaves as `mode` says.
  void Open(const std::string& mode) {
    on.game.Write("steamcmd-standin-mode", mode + "\n");
    window = std::make_unique<InstallServerWindow>(on.fs, platform::ThisMachine(), setup);
    window->show();
  }
  QString Text(const char* label) const { return Child<QLabel>(window.get(), label)->text(); }

  // Presses Install, and Cancel mid-download when told; gives how the install ended.
  std::optional<bool> InstallAndWait(bool cancelMidDownload = false) {
    QSignalSpy finished(window.get(), &InstallServerWindow::installFinished);
    fixtures::Press(window.get(), "cmdInstall");
    if (cancelMidDownload) {
      const long long pid = DownloadingPid();
      fixtures::Press(window.get(), "cmdCancel");
      EXPECT_FALSE(test_support::IsRunning(pid));
    }
    if (finished.isEmpty() && !finished.wait(kWaitMs)) return std::nullopt;
    return finished.front().front().toBool();
  }
  // Waits for the hanging stand-in's download; it writes its process id whole before that.
  long long DownloadingPid() const {
    const bool downloading =
        QTest::qWaitFor([this] { return Text("lblState").startsWith("downloading 45.2 %"); }, kWaitMs);
    EXPECT_TRUE(downloading) << Text("lblState").toStdString();
    return downloading ? std::stoll(on.game.Read("steamcmd-standin-pid")) : -1;
  }

  fixtures::FormOnDisk on{-1, false};
  InstallServerSetup setup;
  std::unique_ptr<InstallServerWindow> window;
};

// How an install ends, or why it never starts, and what the window shows of it.
struct EndCase {
  const char* name;
  const char* mode;
  void (*arrange)(InstallServerTest& t);  // before the window opens, when set
  bool cancel;                            // pressed mid-download
  bool ok;
  bool ran;            // the stand-in, which prints its download and replaces server.cfg
  int bar;             // of 1000
  const char* state;   // the last
  const char* begins;  // the outcome text
};
void PrintTo(const EndCase& c, std::ostream* out) { *out << c.name; }

class InstallEndTest : public InstallServerTest, public ::testing::WithParamInterface<EndCase> {};

TEST_P(InstallEndTest, barStateOutputOutcomeAndButtons_showHowItEnded) {
  if (GetParam().arrange != nullptr) GetParam().arrange(*this);
  Open(GetParam().mode);
  ASSERT_EQ(InstallAndWait(GetParam().cancel), GetParam().ok);
  EXPECT_EQ(Child<QProgressBar>(window.get(), "barProgress")->value(), GetParam().bar);
  EXPECT_EQ(Text("lblState").toStdString(), GetParam().state);
  const QString output = Child<QPlainTextEdit>(window.get(), "txtOutput")->toPlainText();
  EXPECT_EQ(output.contains("Update state (0x61) downloading, progress: 45.23"), GetParam().ran);
  const QString outcome = Text("lblOutcome");
  EXPECT_TRUE(outcome.startsWith(GetParam().begins)) << outcome.toStdString();
  const bool putBack = outcome.endsWith("\nPut back your own tfc/server.cfg (SteamCMD had replaced it).");
  EXPECT_EQ(putBack, GetParam().ran) << outcome.toStdString();
  EXPECT_EQ(Child(window.get(), "cmdUseLocation")->isVisibleTo(window.get()), GetParam().ok);
  EXPECT_TRUE(Child(window.get(), "cmdInstall")->isEnabled());
  EXPECT_FALSE(Child(window.get(), "cmdCancel")->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Ends, InstallEndTest,
                         ::testing::Values(EndCase{"installedOnTheSecondRun", "twice", nullptr, false, true, true, 1000,
                                                   "Run 2 of at most 5: finished", "Installed in "},
                                           EndCase{"cancelled_leavesNoSteamCmdRunning", "hang", nullptr, true, false,
                                                   true, 452, "cancelled", "Cancelled."},
                                           EndCase{"noSteamCmd_explainsHowToGetIt", "ok",
                                                   [](InstallServerTest& t) { t.setup.steamCmd.clear(); }, false, false,
                                                   false, 0, "failed", "Get SteamCMD from your distribution."},
                                           EndCase{"serverRunning", "ok",
                                                   [](InstallServerTest& t) {
                                                     t.setup.serverRunning = [] { return true; };
                                                   },
                                                   false, false, false, 0, "failed", update::kServerInUseMessage}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(InstallServerTest, closingTheWindowMidDownload_endsSteamCmdAndPutsTheFileBack) {
  Open("hang");
  fixtures::Press(window.get(), "cmdInstall");
  const long long pid = DownloadingPid();
  window.reset();
  EXPECT_FALSE(test_support::IsRunning(pid));
  EXPECT_EQ(on.game.Read("tfc/server.cfg"), kEditedServerCfg);
}

// SteamCMD's script has ended, and the program it started goes on writing for as long as anyone reads.
struct EndlessGrandchild : update::ChildRun {
  install::IoResult Start(const std::string&, const std::vector<std::string>&, const std::string&) override {
    return install::IoResult::Success();
  }
  ReadStatus Read(std::string& output, int) override {
    output += reads++ == 0 ? "Success! App '90' fully installed.\n" : "still here\n";
    return ReadStatus::Data;
  }
  bool TryWait(update::ChildExit& exit) override {
    exit = {};
    return true;
  }
  update::ChildExit Wait() override { return {}; }
  void Cancel(int) override {}
  long long ProcessGroup() const override { return 0; }
  long long reads = 0;
};

TEST_F(InstallServerTest, outputAfterSteamCmdEnded_isReadForABoundedTimeOnly) {
  update::InstallMachine machine = platform::ThisMachine();
  machine.newChild = [] { return std::make_unique<EndlessGrandchild>(); };
  window = std::make_unique<InstallServerWindow>(on.fs, std::move(machine), setup);
  QSignalSpy finished(window.get(), &InstallServerWindow::installFinished);
  fixtures::Press(window.get(), "cmdInstall");
  ASSERT_TRUE(finished.wait(kWaitMs));
  EXPECT_TRUE(finished.front().front().toBool());
}

TEST_F(InstallServerTest, floodOfOutput_keepsTheLast5000LinesAndStillFinishes) {
  Open("flood");
  ASSERT_EQ(InstallAndWait(), true);
  const auto* output = Child<QPlainTextEdit>(window.get(), "txtOutput");
  EXPECT_EQ(output->blockCount(), 5000);
  EXPECT_TRUE(output->toPlainText().endsWith("Success! App '90' fully installed."))
      << output->toPlainText().right(200).toStdString();
  EXPECT_FALSE(output->toPlainText().contains("chatter line 1 of"));
}

}  // namespace
}  // namespace quorvane::ui

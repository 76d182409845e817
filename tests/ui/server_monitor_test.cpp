// The status line, the monitor window and the terminal modes, driven with
// QTest against the stand-in server on a free loopback port.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>

#include "ui/server_monitor.h"
#include "ui/status_line.h"
#include "ui/terminal_modes.h"
#include "ui/window_fixtures.h"

namespace quorvane::ui {
namespace {

using fixtures::RecordingDialogs;

void App() {
  static int argc = 1;
  static char* argv[] = {const_cast<char*>("ui_tests"), nullptr};
  if (qApp == nullptr) new QApplication(argc, argv);
}

bool Await(const std::function<bool()>& done, int ms = 10000) {
  QDeadlineTimer deadline(ms);
  while (!done() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  return done();
}

std::uint16_t FreeUdpPort() {
  QUdpSocket probe;
  EXPECT_TRUE(probe.bind(QHostAddress::LocalHost, 0));
  return probe.localPort();
}

// The stand-in dedicated server in a scratch installation whose server.cfg holds `password`.
class StandIn {
 public:
  explicit StandIn(const std::string& password = "se cret") : m_port(FreeUdpPort()) {
    App();
    QDir(m_dir.path()).mkpath("tfc/maps");
    std::ofstream(m_dir.filePath("tfc/server.cfg").toStdString(), std::ios::binary)
        << "hostname \"Monitor Test\"\r\nrcon_password \"" << password << "\"\r\n";
    m_process.setWorkingDirectory(m_dir.path());
    m_process.start(QUORVANE_STANDIN, {"-game", "tfc", "-port", QString::number(m_port), "+map", "2fort"});
    EXPECT_TRUE(m_process.waitForStarted());
  }
  ~StandIn() {
    m_process.kill();
    m_process.waitForFinished();
  }
  std::uint16_t Port() const { return m_port; }

 private:
  QTemporaryDir m_dir;
  QProcess m_process;
  std::uint16_t m_port;
};

struct StatusLineTest : ::testing::Test {
  StatusLineTest() { App(); }
  std::unique_ptr<StatusLine> Line(std::uint16_t port) {
    return std::make_unique<StatusLine>(
        StatusLine::Sources{[port] { return std::to_string(port); }, [this] { return m_watch; }});
  }
  launch::Launcher::Watch m_watch = launch::Launcher::Watch::None;
};

TEST_F(StatusLineTest, saysNotRunningWhenNothingAnswers) {
  const auto line = Line(FreeUdpPort());
  EXPECT_EQ(line->text(), "Server: not running");
}

TEST_F(StatusLineTest, saysStartingWhileTheStartedServerHasNotAnswered) {
  m_watch = launch::Launcher::Watch::Running;
  const auto line = Line(FreeUdpPort());
  EXPECT_EQ(line->text(), QString::fromUtf8("Server: starting\u2026"));
}

TEST_F(StatusLineTest, showsTheMapPlayersRoundTripAndGameOnceTheServerAnswers) {
  StandIn server;
  const auto line = Line(server.Port());
  ASSERT_TRUE(Await([&] {
    line->Refresh();
    return line->text().startsWith(QString::fromUtf8("Server: 2fort \u00B7 4/16 players \u00B7 "));
  })) << line->text().toStdString();
  EXPECT_TRUE(line->text().endsWith(QString::fromUtf8(" ms \u00B7 Team Fortress")));
}

TEST_F(StatusLineTest, tellsWhenTheStartedServerEndedByItself) {
  const auto line = Line(FreeUdpPort());
  QSignalSpy ended(line.get(), &StatusLine::serverEnded);
  m_watch = launch::Launcher::Watch::Ended;
  line->Refresh();
  EXPECT_EQ(ended.count(), 1);
}

TEST(StatusLineOnMainForm, liesUnderTheTabsOutsideTheTabOrder) {
  fixtures::FormOnDisk main(2);
  auto* line = main.Find<StatusLine>("StatusLine");
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(line->focusPolicy(), Qt::NoFocus);
  const QWidget* tabs = main.Find("SSTab1");
  EXPECT_GE(line->geometry().top(), tabs->geometry().bottom());
}

TEST(StatusLineOnMainForm, altOOpensTheMonitor) {
  fixtures::FormOnDisk main(2);
  QTest::keyClick(main.form.get(), Qt::Key_O, Qt::AltModifier);
  auto* monitor = main.Find<ServerMonitor>("ServerMonitor");
  ASSERT_NE(monitor, nullptr);
  EXPECT_TRUE(monitor->isVisible());
  EXPECT_TRUE(monitor->isWindow());
}

// A monitor on `port` with `password` in the written server.cfg (and on the tab).
struct MonitorTest : ::testing::Test {
  std::unique_ptr<ServerMonitor> Open(std::uint16_t port, const std::string& password = "se cret") {
    App();
    MonitorSources sources;
    sources.port = port;
    sources.serverCfgPath = "C:\\game\\Tfc\\server.cfg";
    sources.filePassword = [password] { return monitor::ConsolePassword{true, "", password}; };
    sources.fieldPassword = [password] { return password; };
    sources.maps = [] { return std::vector<std::string>{"2fort", "well"}; };
    sources.dialogs = &dialogs;
    sources.settingsFile = settings.filePath("monitor.ini");
    auto window = std::make_unique<ServerMonitor>(std::move(sources));
    window->show();
    window->Connect();
    return window;
  }
  template <typename T = QWidget>
  static T* Find(const ServerMonitor& w, const char* name) {
    return w.findChild<T*>(QLatin1String(name));
  }
  static QString Output(const ServerMonitor& w) { return Find<QPlainTextEdit>(w, "ConsoleOutput")->toPlainText(); }
  static QString LogText(const ServerMonitor& w) { return Find<QPlainTextEdit>(w, "LogView")->toPlainText(); }
  static void Type(const ServerMonitor& w, const char* command) {
    auto* input = Find<QLineEdit>(w, "ConsoleInput");
    QTest::keyClicks(input, command);
    QTest::keyClick(input, Qt::Key_Return);
  }
  static monitor::LogLine Line(const char* message) {
    monitor::LogLine line;
    line.message = message;
    return line;
  }

  RecordingDialogs dialogs;
  QTemporaryDir settings;
};

TEST_F(MonitorTest, commandHistoryWalksWithUpAndDown) {
  const auto w = Open(FreeUdpPort());
  Type(*w, "status");
  Type(*w, "users");
  auto* input = Find<QLineEdit>(*w, "ConsoleInput");
  QTest::keyClick(input, Qt::Key_Up);
  QTest::keyClick(input, Qt::Key_Up);
  EXPECT_EQ(input->text(), "status");
  QTest::keyClick(input, Qt::Key_Down);
  EXPECT_EQ(input->text(), "users");
}

TEST_F(MonitorTest, aTypedCommandIsEchoedAndItsWholeAnswerShown) {
  StandIn server;
  const auto w = Open(server.Port());
  ASSERT_TRUE(Await([&] { return w->LogAddressAdded(); }));
  Type(*w, "status");
  ASSERT_TRUE(Await([&] { return Output(*w).contains("4 users"); })) << Output(*w).toStdString();
  EXPECT_TRUE(Output(*w).contains("] status\n"));
}

TEST_F(MonitorTest, kickAsksFirstAndSendsNothingWhenTheAnswerIsNo) {
  StandIn server;
  const auto w = Open(server.Port());
  auto* players = Find<QTableWidget>(*w, "Players");
  ASSERT_TRUE(Await([&] { return players->rowCount() == 4 && w->ConsoleIdle(); }));
  players->selectRow(1);
  dialogs.answer = false;
  QTest::mouseClick(Find(*w, "Kick"), Qt::LeftButton);
  ASSERT_EQ(dialogs.shown.size(), 1);
  EXPECT_EQ(dialogs.shown[0], "?Kick Player: Kick [LAN] Sniper Bob from the server?");
  EXPECT_TRUE(w->ConsoleIdle());
  EXPECT_FALSE(Output(*w).contains("kick"));
}

TEST_F(MonitorTest, kickAfterYesUsesTheUserIdFromStatus) {
  StandIn server;
  const auto w = Open(server.Port());
  auto* players = Find<QTableWidget>(*w, "Players");
  ASSERT_TRUE(Await([&] { return players->rowCount() == 4; }));
  players->selectRow(1);
  dialogs.answer = true;
  QTest::mouseClick(Find(*w, "Kick"), Qt::LeftButton);
  ASSERT_TRUE(Await([&] { return Output(*w).contains("] kick \"#3\""); })) << Output(*w).toStdString();
  ASSERT_TRUE(Await([&] { return w->ConsoleIdle(); }));
  EXPECT_FALSE(Output(*w).contains("was not run")) << Output(*w).toStdString();
}

TEST_F(MonitorTest, theLogArrivesAfterLogaddressAddWithThePasswordMasked) {
  StandIn server;
  const auto w = Open(server.Port());
  ASSERT_TRUE(Await([&] { return w->LogAddressAdded(); }));
  Type(*w, "say hello there");
  ASSERT_TRUE(Await([&] { return LogText(*w).contains("say \"hello there\""); })) << LogText(*w).toStdString();
  ASSERT_TRUE(Await([&] { return LogText(*w).contains("Rcon:"); }));
  EXPECT_FALSE(LogText(*w).contains("se cret"));
  EXPECT_FALSE(Output(*w).contains("se cret"));
}

TEST_F(MonitorTest, theFilterShowsOnlyMatchingLines) {
  const auto w = Open(FreeUdpPort());
  w->AddLogLine(Line("\"Alpha<2><STEAM_0:1:2><Blue>\" say \"hi\""));
  w->AddLogLine(Line("Started map \"well\" (CRC \"1\")"));
  QTest::keyClicks(Find<QLineEdit>(*w, "LogFilter"), "well");
  EXPECT_EQ(LogText(*w), "00:00:00  Started map \"well\" (CRC \"1\")");
}

TEST_F(MonitorTest, scrollbackKeepsTheCapFromTheSettings) {
  QSettings(settings.filePath("monitor.ini"), QSettings::IniFormat).setValue("monitor/scrollback", 100);
  const auto w = Open(FreeUdpPort());
  for (int i = 0; i < 250; ++i) w->AddLogLine(Line(("line " + std::to_string(i)).c_str()));
  QTest::keyClicks(Find<QLineEdit>(*w, "LogFilter"), "line");
  EXPECT_EQ(w->Log().Size(), 100u);
  EXPECT_EQ(Find<QPlainTextEdit>(*w, "LogView")->blockCount(), 100);
  EXPECT_TRUE(LogText(*w).startsWith("00:00:00  line 150\n"));
}

TEST_F(MonitorTest, withoutAPasswordTheConsoleIsOffAndOneLineSaysHowToSetIt) {
  const auto w = Open(FreeUdpPort(), "");
  const auto* notice = Find<QLabel>(*w, "PasswordNotice");
  EXPECT_TRUE(notice->isVisible());
  EXPECT_TRUE(notice->text().contains("Server Config tab"));
  EXPECT_TRUE(notice->text().contains("restart the server"));
  for (const char* name : {"ConsoleInput", "LogFilter", "Kick", "Say", "ChangeMap", "RestartServer", "WarnAndStop"})
    EXPECT_FALSE(Find(*w, name)->isEnabled()) << name;
}

TEST_F(MonitorTest, aRefusedPasswordIsShownOnceAndNotSentAgain) {
  StandIn server("right");
  const auto w = Open(server.Port(), "wrong");
  ASSERT_TRUE(Await([&] { return Output(*w).contains("Bad rcon_password."); })) << Output(*w).toStdString();
  Type(*w, "status");
  ASSERT_TRUE(Await([&] { return w->ConsoleIdle(); }));
  EXPECT_EQ(Output(*w).count("Bad rcon_password."), 1);
  EXPECT_TRUE(Output(*w).contains("not sent again"));
}

// What a terminal mode printed and returned.
struct TerminalRun {
  int code = -1;
  std::string out, err;
};

TerminalRun Capture(const std::function<int(std::FILE*, std::FILE*)>& run) {
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  TerminalRun r;
  r.code = run(out, err);
  for (auto [file, text] : {std::pair{out, &r.out}, std::pair{err, &r.err}}) {
    std::rewind(file);
    for (int c; (c = std::fgetc(file)) != EOF;) text->push_back(static_cast<char>(c));
    std::fclose(file);
  }
  return r;
}

TEST(TerminalModes, queryPrintsInfoAndPlayersAndExitsZero) {
  StandIn server;
  const std::string target = "127.0.0.1:" + std::to_string(server.Port());
  const TerminalRun r = Capture([&](std::FILE* o, std::FILE* e) { return RunQuery(target, false, o, e); });
  EXPECT_EQ(r.code, kTerminalAnswered) << r.err;
  EXPECT_NE(r.out.find("map:       2fort\n"), std::string::npos);
  EXPECT_NE(r.out.find("player:    [LAN] Sniper Bob\t3\t"), std::string::npos);
}

TEST(TerminalModes, queryAsJsonIsOneObject) {
  StandIn server;
  const std::string target = "127.0.0.1:" + std::to_string(server.Port());
  const TerminalRun r = Capture([&](std::FILE* o, std::FILE* e) { return RunQuery(target, true, o, e); });
  EXPECT_EQ(r.code, kTerminalAnswered);
  EXPECT_EQ(r.out.substr(0, 24), "{\"name\":\"Monitor Test\",\"");
}

TEST(TerminalModes, queryOfASilentPortExitsOneAfterThreeTries) {
  App();
  const std::string target = "127.0.0.1:" + std::to_string(FreeUdpPort());
  const TerminalRun r = Capture([&](std::FILE* o, std::FILE* e) { return RunQuery(target, false, o, e); });
  EXPECT_EQ(r.code, kTerminalNoAnswer);
  EXPECT_NE(r.err.find("did not answer after 3 tries"), std::string::npos);
}

TEST(TerminalModes, aBadTargetIsAUsageError) {
  App();
  const TerminalRun r = Capture([&](std::FILE* o, std::FILE* e) { return RunQuery("host:port", false, o, e); });
  EXPECT_EQ(r.code, kTerminalBadUsage);
}

TEST(TerminalModes, rconPrintsTheWholeAnswer) {
  StandIn server;
  const std::string target = "127.0.0.1:" + std::to_string(server.Port());
  // The stand-in opens its socket a moment after it starts; the query waits for it.
  ASSERT_EQ(Capture([&](std::FILE* o, std::FILE* e) { return RunQuery(target, false, o, e); }).code, 0);
  const TerminalRun r =
      Capture([&](std::FILE* o, std::FILE* e) { return RunRcon(target, "status", "se cret", o, e); });
  EXPECT_EQ(r.code, kTerminalAnswered) << r.err;
  EXPECT_NE(r.out.find("4 users\n"), std::string::npos);
}

TEST(TerminalModes, rconWithAWrongPasswordExitsOneWithTheRefusal) {
  StandIn server;
  const std::string target = "127.0.0.1:" + std::to_string(server.Port());
  ASSERT_EQ(Capture([&](std::FILE* o, std::FILE* e) { return RunQuery(target, false, o, e); }).code, 0);
  const TerminalRun r =
      Capture([&](std::FILE* o, std::FILE* e) { return RunRcon(target, "status", "nope", o, e); });
  EXPECT_EQ(r.code, kTerminalNoAnswer);
  EXPECT_EQ(r.err.substr(0, 18), "Bad rcon_password.");
  EXPECT_TRUE(r.out.empty());
}

TEST(TerminalModes, rconWithoutAPasswordIsAUsageError) {
  App();
  const TerminalRun r =
      Capture([&](std::FILE* o, std::FILE* e) { return RunRcon("127.0.0.1", "status", nullptr, o, e); });
  EXPECT_EQ(r.code, kTerminalBadUsage);
  EXPECT_NE(r.err.find("QUORVANE_RCON_PASSWORD"), std::string::npos);
}

}  // namespace
}  // namespace quorvane::ui

// The monitor window and the terminal modes, driven with
// QTest against the stand-in server on a free loopback port.
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QProcess>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <cstdio>

#include "ui/server_monitor.h"
#include "ui/terminal_modes.h"
#include "ui/window_fixtures.h"

namespace quorvane::ui {
namespace {

// A table's row by its name, so a failure says which case it was.
const auto RowName = [](const auto& info) { return std::string(info.param.name); };

using fixtures::App;
using fixtures::Child;

bool Await(const std::function<bool()>& done) { return QTest::qWaitFor(done, 10000); }

std::uint16_t FreeUdpPort() {
  QUdpSocket probe;
  EXPECT_TRUE(probe.bind(QHostAddress::LocalHost, 0));
  return probe.localPort();
}

// The stand-in dedicated server in a scratch installation whose server.cfg holds the console password,
// answering rules as `rules` says (see its QUORVANE_STANDIN_RULES).
class StandIn {
 public:
  explicit StandIn(const QString& rules = {}) : m_port(FreeUdpPort()) {
    App();
    QDir(m_dir.path()).mkpath("tfc/maps");
    std::ofstream(m_dir.filePath("tfc/server.cfg").toStdString(), std::ios::binary)
        << "hostname \"Monitor Test\"\r\nrcon_password \"se cret\"\r\n";
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QUORVANE_STANDIN_RULES", rules);
    m_process.setProcessEnvironment(environment);
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

// A monitor on `port` with `password` in the written server.cfg.
struct MonitorTest : ::testing::Test {
  std::unique_ptr<ServerMonitor> Open(std::uint16_t port, const std::string& password = "se cret") {
    App();
    MonitorSources sources;
    sources.links = platform::UdpServerLinks();
    sources.port = port;
    sources.filePassword = [password] { return monitor::ConsolePassword{true, "", password}; };
    sources.dialogs = &dialogs;
    sources.settingsFile = settings.filePath("monitor.ini");
    auto window = std::make_unique<ServerMonitor>(std::move(sources));
    window->show();
    window->Connect();
    return window;
  }
  static QString Output(const ServerMonitor& w) { return Child<QPlainTextEdit>(&w, "ConsoleOutput")->toPlainText(); }
  static QString LogText(const ServerMonitor& w) {
    const QAbstractItemModel* rows = Child<QListView>(&w, "LogView")->model();
    QStringList lines;
    for (int row = 0; row < rows->rowCount(); ++row) lines << rows->index(row, 0).data().toString();
    return lines.join('\n');
  }

  fixtures::RecordingDialogs dialogs;
  QTemporaryDir settings;
};

TEST_F(MonitorTest, commandHistoryWalksWithUpAndDown) {
  const auto w = Open(FreeUdpPort());
  auto* input = Child<QLineEdit>(w.get(), "ConsoleInput");
  for (const char* command : {"status", "users"}) {
    QTest::keyClicks(input, command);
    QTest::keyClick(input, Qt::Key_Return);
  }
  QTest::keyClick(input, Qt::Key_Up);
  QTest::keyClick(input, Qt::Key_Up);
  EXPECT_EQ(input->text(), "status");
  QTest::keyClick(input, Qt::Key_Down);
  EXPECT_EQ(input->text(), "users");
}

TEST_F(MonitorTest, withoutAPasswordTheConsoleIsOffAndOneLineSaysHowToSetIt) {
  const auto w = Open(FreeUdpPort(), "");
  const auto* notice = Child<QLabel>(w.get(), "PasswordNotice");
  EXPECT_TRUE(notice->isVisible());
  EXPECT_TRUE(notice->text().contains("Server Config tab"));
  EXPECT_TRUE(notice->text().contains("restart the server"));
  for (const char* name : {"ConsoleInput", "LogFilter", "Kick", "Say", "ChangeMap", "RestartServer", "WarnAndStop"}) {
    EXPECT_FALSE(Child(w.get(), name)->isEnabled()) << name;
  }
}

TEST_F(MonitorTest, kickAsksFirstAndUsesTheUserIdFromStatus) {
  StandIn server;
  const auto w = Open(server.Port());
  auto* players = Child<QTableWidget>(w.get(), "Players");
  ASSERT_TRUE(Await([&] { return players->rowCount() == 4; }));
  players->selectRow(1);
  dialogs.answer = true;
  QTest::mouseClick(Child(w.get(), "Kick"), Qt::LeftButton);
  EXPECT_EQ(dialogs.shown, QStringList{"?Kick Player: Kick [LAN] Sniper Bob from the server?"});
  ASSERT_TRUE(Await([&] { return Output(*w).contains("] kick \"#3\""); })) << Output(*w).toStdString();
  ASSERT_TRUE(Await([&] { return w->ConsoleIdle(); }));
  EXPECT_FALSE(Output(*w).contains("was not run")) << Output(*w).toStdString();
}

TEST_F(MonitorTest, theLogArrivesAfterLogaddressAddWithThePasswordMasked) {
  StandIn server;
  const auto w = Open(server.Port());
  ASSERT_TRUE(Await([&] { return w->LogAddressAdded(); }));
  auto* input = Child<QLineEdit>(w.get(), "ConsoleInput");
  QTest::keyClicks(input, "say hello there");
  QTest::keyClick(input, Qt::Key_Return);
  ASSERT_TRUE(Await([&] { return LogText(*w).contains("say \"hello there\""); })) << LogText(*w).toStdString();
  ASSERT_TRUE(Await([&] { return LogText(*w).contains("Rcon:"); }));
  EXPECT_FALSE(LogText(*w).contains("se cret"));
  EXPECT_FALSE(Output(*w).contains("se cret"));
}

struct ScrollbackCase {
  const char* name;
  const char* filter;  // typed between the two batches of lines
  const char* first;   // the first line shown at the end
  int shown;
};
class ScrollbackTest : public MonitorTest, public ::testing::WithParamInterface<ScrollbackCase> {};

TEST_P(ScrollbackTest, keepsTheNewestLinesUpToTheCapFromTheSettingsThatTheFilterShows) {
  QSettings(settings.filePath("monitor.ini"), QSettings::IniFormat).setValue("monitor/scrollback", 100);
  const auto w = Open(FreeUdpPort());
  const auto add = [&](int from, int to) {
    for (int n = from; n < to; ++n) w->AddLogLine({.message = "line " + std::to_string(n)});
  };
  add(0, 250);
  QTest::keyClicks(Child<QLineEdit>(w.get(), "LogFilter"), GetParam().filter);
  // The pane shows the first batch before the second drops some of it.
  ASSERT_TRUE(Await([&] { return !LogText(*w).isEmpty(); }));
  add(250, 280);
  ASSERT_TRUE(Await([&] { return LogText(*w).endsWith("line 279"); })) << LogText(*w).toStdString();
  EXPECT_TRUE(LogText(*w).startsWith(GetParam().first)) << LogText(*w).toStdString();
  EXPECT_EQ(LogText(*w).count('\n') + 1, GetParam().shown);
  EXPECT_EQ(w->Log().Size(), 100u);
}

const ScrollbackCase kScrollbackCases[] = {{"none", "", "00:00:00  line 180\n", 100},
                                           {"digit", "7", "00:00:00  line 187\n", 19},
                                           {"otherCase", "LINE 2", "00:00:00  line 200\n", 80}};
INSTANTIATE_TEST_SUITE_P(Filters, ScrollbackTest, ::testing::ValuesIn(kScrollbackCases), RowName);

struct RulesCase {
  const char* name;
  const char* standin;  // how the stand-in answers rules
  const char* state;    // what the view says at the end
  int rows;
};
class RulesTest : public MonitorTest, public ::testing::WithParamInterface<RulesCase> {};

TEST_P(RulesTest, areAskedOnlyWhenTheirTabOpensOrRefreshIsPressedAndShownByNameOrWhyNot) {
  StandIn server(GetParam().standin);
  const auto w = Open(server.Port());
  const auto* rules = Child<QTableWidget>(w.get(), "RulesTable");
  const auto* state = Child<QLabel>(w.get(), "RulesState");
  // Info and players are asked for meanwhile, the rules not.
  ASSERT_TRUE(Await([&] { return Child<QTableWidget>(w.get(), "Players")->rowCount() == 4; }));
  EXPECT_TRUE(state->text().isEmpty());
  Child<QTabWidget>(w.get(), "PlayersAndRules")->setCurrentIndex(1);
  ASSERT_TRUE(Await([&] { return state->text().contains(GetParam().state); })) << state->text().toStdString();
  QStringList names;
  for (int row = 0; row < rules->rowCount(); ++row) names << rules->item(row, 0)->text();
  EXPECT_EQ(names.size(), GetParam().rows);
  EXPECT_TRUE(std::is_sorted(names.begin(), names.end())) << names.join(' ').toStdString();
  QTest::mouseClick(Child(w.get(), "RefreshRules"), Qt::LeftButton);
  EXPECT_TRUE(state->text().startsWith("Asking the server for its rules"));
}

const RulesCase kRulesCases[] = {{"answered", "", "37 rules", 37},
                                 {"none", "silent", "The server did not answer the rules request after 3 tries.", 0},
                                 {"cutShort", "cut", "The rules reply is cut short", 0}};
INSTANTIATE_TEST_SUITE_P(Replies, RulesTest, ::testing::ValuesIn(kRulesCases), RowName);

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

struct TerminalCase {
  const char* name;
  bool answering;        // the stand-in is at the target, else nothing is
  const char* password;  // for `status` on the console; none to query
  int code;
  const char* out;  // a part of what is printed on each stream
  const char* err;
};
class TerminalModeTest : public ::testing::TestWithParam<TerminalCase> {};

TEST_P(TerminalModeTest, printsWhatTheServerSaidOrWhyNotAndExitsWithTheMatchingCode) {
  const TerminalCase& c = GetParam();
  App();
  std::optional<StandIn> server;
  if (c.answering) server.emplace();
  const std::string target = "127.0.0.1:" + std::to_string(server ? server->Port() : FreeUdpPort());
  const auto query = [&](std::FILE* o, std::FILE* e) {
    return RunQuery(platform::UdpServerLinks(), target, false, o, e);
  };
  // The stand-in opens its socket a moment after it starts; the query waits for it.
  if (server && c.password != nullptr) {
    ASSERT_EQ(Capture(query).code, kTerminalAnswered);
  }
  const TerminalRun r = c.password == nullptr ? Capture(query) : Capture([&](std::FILE* o, std::FILE* e) {
    return RunRcon(platform::UdpServerLinks(), target, "status", c.password, o, e);
  });
  EXPECT_EQ(r.code, c.code) << r.err;
  EXPECT_NE(r.out.find(c.out), std::string::npos) << r.out;
  EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
}

const TerminalCase kTerminalCases[] = {
    {"query", true, nullptr, kTerminalAnswered, "player:    [LAN] Sniper Bob\t3\t", ""},
    {"querySilentPort", false, nullptr, kTerminalNoAnswer, "", "did not answer after 3 tries"},
    {"rcon", true, "se cret", kTerminalAnswered, "4 users\n", ""},
    {"rconWrongPassword", true, "nope", kTerminalNoAnswer, "", "Bad rcon_password."}};
INSTANTIATE_TEST_SUITE_P(Runs, TerminalModeTest, ::testing::ValuesIn(kTerminalCases), RowName);

}  // namespace
}  // namespace quorvane::ui

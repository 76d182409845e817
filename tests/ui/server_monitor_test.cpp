// The monitor window, driven with QTest against the stand-in server on a free loopback port.
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QProcess>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <filesystem>

#include "support/standin_server.h"
#include "ui/ban_sender.h"
#include "ui/player_history.h"
#include "ui/server_monitor.h"
#include "ui/server_watch.h"
#include "ui/stop_countdown.h"
#include "ui/window_fixtures.h"

namespace quorvane::ui {
namespace {

// A table's row by its name, so a failure says which case it was.
const auto RowName = [](const auto& info) { return std::string(info.param.name); };

using fixtures::App;
using fixtures::Child;

bool Await(const std::function<bool()>& done) { return QTest::qWaitFor(done, 10000); }

using test_support::FreeUdpPort;

// The stand-in with the console password, answering rules as `rules` says (see its
// QUORVANE_STANDIN_RULES), hostile when told, with `more` of its settings.
QStringList StandInEnvironment(const QString& rules, bool hostile, const QStringList& more) {
  App();
  QStringList environment{"QUORVANE_STANDIN_RULES=" + rules};
  if (hostile) environment << "QUORVANE_STANDIN_HOSTILE=1";
  return environment + more;
}

struct StandIn : test_support::StandInServer {
  explicit StandIn(const QString& rules = {}, std::uint16_t port = 0, bool hostile = false,
                   const QStringList& more = {})
      : StandInServer("hostname \"Monitor Test\"\r\nrcon_password \"se cret\"\r\n",
                      StandInEnvironment(rules, hostile, more), port) {}
};

// A monitor on `port` with `password` in the written server.cfg, and the watch whose log it shows.
struct MonitorTest : ::testing::Test {
  std::unique_ptr<ServerMonitor> Open(std::uint16_t port, const std::string& password = "se cret",
                                      PlayerHistory* history = nullptr, BanSender* bans = nullptr) {
    App();
    const auto file = [password] { return monitor::ConsolePassword{true, "", password}; };
    watch = std::make_unique<ServerWatch>(ServerWatch::Sources{.links = platform::UdpServerLinks(),
                                                               .password = file,
                                                               .startedServer = [this] { return started; },
                                                               .settingsFile = settings.filePath("monitor.ini"),
                                                               .history = history});
    // As the program wires them: the kept bans go whenever the watch sees the server come up.
    if (bans) QObject::connect(watch.get(), &ServerWatch::cameUp, bans, &BanSender::ServerCameUp);
    watch->Watch(port, "tfc");
    MonitorSources sources;
    sources.links = platform::UdpServerLinks();
    sources.port = port;
    sources.filePassword = file;
    sources.watch = watch.get();
    sources.stop = [this] { ++stops; };
    sources.countdown = countdown.get();
    sources.dialogs = &dialogs;
    sources.settingsFile = settings.filePath("monitor.ini");
    sources.history = history;
    sources.bans = bans;
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

  QSettings Settings() const { return QSettings(settings.filePath("monitor.ini"), QSettings::IniFormat); }
  static QString LogPortKey(std::uint16_t serverPort) { return QString("logAddress/127.0.0.1_%1").arg(serverPort); }
  // Moves the countdown's clock to `ms` after its start and lets it tick.
  void CountdownAt(std::int64_t ms) {
    now = ms;
    countdown->Tick();
  }

  fixtures::RecordingDialogs dialogs;
  QTemporaryDir settings;
  std::unique_ptr<ServerWatch> watch;
  std::optional<long long> started;
  int stops = 0;
  std::int64_t now = 0;
  std::unique_ptr<StopCountdown> countdown = [this] {
    App();
    auto made = std::make_unique<StopCountdown>();
    made->SetClock([this] { return now; });
    return made;
  }();
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

TEST_F(MonitorTest, theKeptBansGoWhenTheServerComesUpAndBanFillsTheBansTabWithTheSteamIdFromStatus) {
  StandIn server;
  BanSenderSources bans;
  bans.links = platform::UdpServerLinks();
  bans.port = [&server] { return server.Port(); };
  bans.password = [] { return std::string("se cret"); };
  BanSender sender(std::move(bans));
  const auto w = Open(server.Port(), "se cret", nullptr, &sender);
  // The monitor's own commands may come in between.
  ASSERT_TRUE(Await([&] {
    const QString got = server.Received();
    const qsizetype exec = got.indexOf("exec banned.cfg\n"), ids = got.indexOf("listid\n", exec);
    return exec >= 0 && ids > exec && got.indexOf("listip\n", ids) > ids;
  })) << server.Received().toStdString();
  auto* players = Child<QTableWidget>(w.get(), "Players");
  ASSERT_TRUE(Await([&] { return players->rowCount() == 4; }));
  players->selectRow(1);
  QTest::mouseClick(Child(w.get(), "BanPlayer"), Qt::LeftButton);
  auto* target = Child<QLineEdit>(w.get(), "BanTarget");
  ASSERT_TRUE(Await([&] { return !target->text().isEmpty(); })) << Output(*w).toStdString();
  EXPECT_EQ(target->text(), "STEAM_0:0:5678");
  EXPECT_EQ(Child<QLineEdit>(w.get(), "BanName")->text(), "[LAN] Sniper Bob");
  EXPECT_TRUE(Child(w.get(), "Bans")->isVisible());
}

TEST_F(MonitorTest, theLogArrivesAfterLogaddressAddWithThePasswordMasked) {
  StandIn server;
  const auto w = Open(server.Port());
  ASSERT_TRUE(Await([&] { return watch->LogAddressAdded(); }));
  auto* input = Child<QLineEdit>(w.get(), "ConsoleInput");
  QTest::keyClicks(input, "say hello there");
  QTest::keyClick(input, Qt::Key_Return);
  ASSERT_TRUE(Await([&] { return LogText(*w).contains("say \"hello there\""); })) << LogText(*w).toStdString();
  ASSERT_TRUE(Await([&] { return LogText(*w).contains("Rcon:"); }));
  EXPECT_FALSE(LogText(*w).contains("se cret"));
  EXPECT_FALSE(Output(*w).contains("se cret"));
}

TEST_F(MonitorTest, withTheMonitorOpenAPlayerWhoJoinsIsShownAndRecordedOnce) {
  StandIn server({}, 0, false, {"QUORVANE_STANDIN_JOIN=Newcomer"});
  PlayerHistory history(std::filesystem::path(settings.filePath("players.sqlite3").toStdString()));
  const auto w = Open(server.Port(), "se cret", &history);
  ASSERT_TRUE(Await([&] { return LogText(*w).contains("Newcomer<7><STEAM_0:0:4040><>\" entered the game"); }))
      << LogText(*w).toStdString();
  const auto sessions = [&] {
    history.Flush();
    people::PlayerStore* store = history.Store();
    const auto rows = store ? store->Search("Newcomer", 10) : people::StoreAnswer<std::vector<people::PlayerRow>>{};
    return rows && rows->size() == 1 ? rows->front().sessions : -1;
  };
  EXPECT_EQ(sessions(), 1);
  // One feed: the window asks for no log of its own.
  EXPECT_EQ(server.Received().count("logaddress_add"), 1) << server.Received().toStdString();
}

TEST_F(MonitorTest, everyLabelShowsItsTextAsPlainText) {
  const auto w = Open(FreeUdpPort(), "");
  const QList<QLabel*> labels = w->findChildren<QLabel*>();
  ASSERT_FALSE(labels.isEmpty());
  for (const QLabel* label : labels) EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->objectName().toStdString();
}

TEST_F(MonitorTest, removingTheLogAddressWaitsUntilTheServerHasTakenItOffAndForgetsThePort) {
  StandIn server;
  const auto w = Open(server.Port());
  ASSERT_TRUE(Await([&] { return watch->LogAddressAdded(); }));
  EXPECT_EQ(Settings().value(LogPortKey(server.Port())).toUInt(), watch->LogPort());
  watch->RemoveLogAddress(20000);
  EXPECT_TRUE(server.Received().contains(QString("logaddress_del 127.0.0.1 %1\n").arg(watch->LogPort())))
      << server.Received().toStdString();
  EXPECT_FALSE(Settings().contains(LogPortKey(server.Port())));
}

TEST_F(MonitorTest, aLogAddressLeftByAnEarlierRunIsTakenOffBeforeTheNewOneGoesOn) {
  StandIn server;
  Settings().setValue(LogPortKey(server.Port()), 4242);
  const auto w = Open(server.Port());
  ASSERT_TRUE(Await([&] { return watch->LogAddressAdded(); }));
  const QString received = server.Received();
  const qsizetype del = received.indexOf("logaddress_del 127.0.0.1 4242\n");
  const qsizetype add = received.indexOf(QString("logaddress_add 127.0.0.1 %1\n").arg(watch->LogPort()));
  EXPECT_GE(del, 0) << received.toStdString();
  EXPECT_GT(add, del) << received.toStdString();
  EXPECT_EQ(Settings().value(LogPortKey(server.Port())).toUInt(), watch->LogPort());
}

TEST_F(MonitorTest, afterTheServerRestartsInAnotherProcessTheLogAddressGoesOnAgain) {
  std::optional<StandIn> server(std::in_place);
  const std::uint16_t port = server->Port();
  started = 1;
  const auto w = Open(port);
  ASSERT_TRUE(Await([&] { return watch->LogAddressAdded(); }));
  server.reset();
  server.emplace(QString(), port);
  started = 2;
  ASSERT_TRUE(Await([&] { return server->Received().contains("logaddress_add"); }));
  ASSERT_TRUE(Await([&] { return watch->LogAddressAdded(); }));
  QTest::keyClicks(Child<QLineEdit>(w.get(), "ConsoleInput"), "say back again");
  QTest::keyClick(Child<QLineEdit>(w.get(), "ConsoleInput"), Qt::Key_Return);
  EXPECT_TRUE(Await([&] { return LogText(*w).contains("say \"back again\""); })) << LogText(*w).toStdString();
}

TEST_F(MonitorTest, warnAndStopAsksFirstAndNoLeavesTheServerAlone) {
  const auto w = Open(FreeUdpPort());
  dialogs.answer = false;
  QTest::mouseClick(Child(w.get(), "WarnAndStop"), Qt::LeftButton);
  EXPECT_EQ(dialogs.shown, QStringList{"?Warn and stop: Warn the players and stop the server in 60 seconds?"});
  EXPECT_FALSE(countdown->Active());
  CountdownAt(61000);
  EXPECT_EQ(stops, 0);
}

TEST_F(MonitorTest, warnAndStopShowsTheTimeLeftAndCancelTellsThePlayers) {
  StandIn server;
  const auto w = Open(server.Port());
  ASSERT_TRUE(Await([&] { return watch->LogAddressAdded(); }));
  dialogs.answer = true;
  QTest::mouseClick(Child(w.get(), "WarnAndStop"), Qt::LeftButton);
  const auto* left = Child<QLabel>(w.get(), "CountdownLeft");
  EXPECT_TRUE(left->isVisible());
  EXPECT_EQ(left->text(), "The server stops in 1:00");
  ASSERT_TRUE(Await([&] { return server.Received().contains("say \"Server stopping in 60 seconds\""); }));
  CountdownAt(17500);
  EXPECT_EQ(left->text(), "The server stops in 0:43");
  QTest::mouseClick(Child(w.get(), "CancelStop"), Qt::LeftButton);
  EXPECT_FALSE(Child(w.get(), "CountdownRow")->isVisible());
  ASSERT_TRUE(Await([&] { return server.Received().contains("say \"Server stop cancelled\""); }))
      << server.Received().toStdString();
  CountdownAt(61000);
  EXPECT_EQ(stops, 0);
}

TEST_F(MonitorTest, aCountdownCancelledAsTheProgramEndsTellsThePlayersBeforeItReturns) {
  StandIn server;
  const auto w = Open(server.Port());
  ASSERT_TRUE(Await([&] { return watch->LogAddressAdded(); }));
  dialogs.answer = true;
  w->WarnAndStop();
  ASSERT_TRUE(Await([&] { return server.Received().contains("say \"Server stopping in 60 seconds\""); }));
  countdown->CancelBeforeQuit(20000);
  EXPECT_TRUE(server.Received().endsWith("say \"Server stop cancelled\"\n")) << server.Received().toStdString();
  EXPECT_FALSE(countdown->Active());
}

TEST_F(MonitorTest, aCountdownRunningWhenTheMainWindowIsUnloadedTellsThePlayersItIsOff) {
  StandIn server;
  // A console packet sent while the server still starts is lost: wait for its first answer.
  const auto w = Open(server.Port());
  ASSERT_TRUE(Await([&] { return watch->LogAddressAdded(); }));
  fixtures::FormOnDisk t;
  auto* running = t.form->findChild<StopCountdown*>();
  ASSERT_NE(running, nullptr);
  ASSERT_TRUE(running->Begin(platform::UdpServerLinks(), "127.0.0.1", server.Port(), "se cret", [] {}));
  ASSERT_TRUE(Await([&] { return server.Received().contains("say \"Server stopping in 60 seconds\""); }));
  t.form->Unload();
  EXPECT_TRUE(server.Received().endsWith("say \"Server stop cancelled\"\n")) << server.Received().toStdString();
}

struct CloseCase {
  const char* name;
  bool keep;         // the answer to the question on closing
  const char* said;  // the last `say` the players heard
  int stops;         // stops once the minute is over
};
class WarnAndStopCloseTest : public MonitorTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(WarnAndStopCloseTest, closingTheMonitorAsksWhetherTheCountdownGoesOnWithoutIt) {
  StandIn server;
  auto w = Open(server.Port());
  ASSERT_TRUE(Await([&] { return watch->LogAddressAdded(); }));
  dialogs.answer = true;
  w->WarnAndStop();
  CountdownAt(5000);
  dialogs.answer = GetParam().keep;
  dialogs.shown.clear();
  w->close();
  w.reset();
  EXPECT_EQ(
      dialogs.shown,
      QStringList{"?Warn and stop: The server stops in 0:55. Keep the countdown running after this window closes?"});
  for (const std::int64_t at : {30000, 50000, 60000}) CountdownAt(at);
  EXPECT_EQ(stops, GetParam().stops);
  ASSERT_TRUE(Await([&] { return server.Received().endsWith(QString(GetParam().said) + "\n"); }))
      << server.Received().toStdString();
}

const CloseCase kCloseCases[] = {{"kept", true, "say \"Server stopping in 10 seconds\"", 1},
                                 {"cancelled", false, "say \"Server stop cancelled\"", 0}};
INSTANTIATE_TEST_SUITE_P(Answers, WarnAndStopCloseTest, ::testing::ValuesIn(kCloseCases), RowName);

TEST(MonitorOnTheMainWindow, theCountdownShowsInTheStatusLineAndStopsTheServerAfterTheMonitorHasClosed) {
  fixtures::FormOnDisk on;
  on.Click("StatusLine");
  auto* monitor = on.form->findChild<ServerMonitor*>("ServerMonitor");
  auto* countdown = on.form->findChild<StopCountdown*>("StopCountdown");
  ASSERT_NE(monitor, nullptr);
  ASSERT_NE(countdown, nullptr);
  std::int64_t now = 0;
  countdown->SetClock([&now] { return now; });
  on.dialogs.answer = true;
  monitor->WarnAndStop();
  const auto* line = on.Find<QLabel>("StatusLine");
  EXPECT_TRUE(line->text().endsWith(QString::fromUtf8(" \u00b7 stopping in 1:00"))) << line->text().toStdString();
  fixtures::Close(monitor);
  now = 59000;
  countdown->Tick();
  EXPECT_TRUE(line->text().endsWith("stopping in 0:01")) << line->text().toStdString();
  EXPECT_EQ(std::count(on.outside.events.begin(), on.outside.events.end(), "pause 1000"), 0);
  now = 60000;
  countdown->Tick();
  EXPECT_EQ(std::count(on.outside.events.begin(), on.outside.events.end(), "pause 1000"), 1);
  EXPECT_FALSE(line->text().contains("stopping")) << line->text().toStdString();
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

// The hostile stand-in's players were connected for NaN, infinite and huge numbers of seconds.
TEST_F(MonitorTest, playersWithDurationsNoConnectionHasShowADash) {
  StandIn server({}, 0, true);
  const auto w = Open(server.Port());
  const auto* players = Child<QTableWidget>(w.get(), "Players");
  ASSERT_TRUE(Await([&] { return players->rowCount() == 4; }));
  for (int row = 0; row < 4; ++row) EXPECT_EQ(players->item(row, 2)->text(), QString(QChar(0x2014))) << row;
}

}  // namespace
}  // namespace quorvane::ui

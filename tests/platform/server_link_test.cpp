// The monitor's sockets against the stand-in server over loopback: the query,
// the remote console and the live log, end to end.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QUdpSocket>
#include <algorithm>
#include <functional>
#include <optional>

#include "platform/scratch_dir.h"
#include "platform/server_console.h"
#include "platform/server_query.h"

namespace quorvane::platform {
namespace {

using monitor::ConsoleStep;

QCoreApplication& App() {
  static int argc = 1;
  static char name[] = "server_link_test";
  static char* argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
  return app;
}

// Runs the event loop until `done` holds or 10 s have passed.
bool Await(const std::function<bool()>& done) {
  QDeadlineTimer deadline(10000);
  while (!done() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  return done();
}

std::uint16_t FreeUdpPort() {
  QUdpSocket probe;
  EXPECT_TRUE(probe.bind(QHostAddress::LocalHost, 0));
  return probe.localPort();
}

// A stand-in dedicated server in a scratch installation whose server.cfg holds the console password.
class StandInServer {
 public:
  explicit StandInServer(const QStringList& environment = {}, const std::string& moreCfg = {}) {
    App();
    m_dir.Make("tfc/server.cfg", "hostname \"Link Test\"\r\nrcon_password \"se cret\"\r\n" + moreCfg);
    m_dir.Make("tfc/maps/well.bsp");
    m_dir.Make("tfc/maps/2fort.bsp");
    m_port = FreeUdpPort();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& e : environment) env.insert(e.section('=', 0, 0), e.section('=', 1));
    m_process.setProcessEnvironment(env);
    m_process.setWorkingDirectory(QString::fromStdString(m_dir.Text()));
    m_process.start(QUORVANE_STANDIN, {"-game", "tfc", "-port", QString::number(m_port), "+map", "2fort"});
    EXPECT_TRUE(m_process.waitForStarted());
  }
  ~StandInServer() {
    m_process.kill();
    m_process.waitForFinished();
  }
  std::uint16_t Port() const { return m_port; }

 private:
  testing::ScratchDir m_dir;
  QProcess m_process;
  std::uint16_t m_port = 0;
};

// Runs one console command to its end. The first command also waits for the
// stand-in to open its socket: a console packet sent before that is lost, and
// the session then reports no answer.
std::optional<ConsoleStep> RunCommand(ConsoleLink& console, const std::string& command, const std::string& password) {
  std::optional<ConsoleStep> result;
  console.Run(command, password, [&](const ConsoleStep& step) { result = step; });
  Await([&] { return result.has_value(); });
  return result;
}

std::unique_ptr<ConsoleLink> OpenConsole(const StandInServer& server) {
  auto console = std::make_unique<ConsoleLink>(MakeUdpLink());
  EXPECT_TRUE(console->Open("127.0.0.1", server.Port()));
  return console;
}

// Waits until the stand-in answers info, so console packets are not sent into nothing.
void AwaitAnswering(const StandInServer& server) {
  bool answered = false;
  ServerQuery query(MakeUdpLink(), {[&](const monitor::ServerInfo&, int) { answered = true; }, {}, {}, {}});
  ASSERT_TRUE(query.Start("127.0.0.1", server.Port()));
  ASSERT_TRUE(Await([&] { return answered; }));
}

TEST(ServerLink, queryReadsInfoPlayersAndRulesFromAServerThatWantsTheChallenge) {
  StandInServer server({"STEAM_GAMESERVER_A2S_INFO_REQUIRE_CHALLENGE=1", "QUORVANE_STANDIN_SPLIT=100"});
  std::optional<monitor::ServerInfo> info;
  std::vector<monitor::Player> players;
  std::vector<monitor::Rule> rules;
  ServerQuery query(MakeUdpLink(), {[&](const monitor::ServerInfo& i, int) { info = i; },
                                    [&](const std::vector<monitor::Player>& p) { players = p; },
                                    [&](const std::vector<monitor::Rule>& r) { rules = r; }, {}});
  query.WantPlayers(true);
  query.AskRules();
  ASSERT_TRUE(query.Start("127.0.0.1", server.Port()));
  ASSERT_TRUE(Await([&] { return info && !players.empty() && !rules.empty(); }));
  EXPECT_EQ(info->name, "Link Test");
  EXPECT_EQ(info->map, "2fort");
  EXPECT_EQ(players.size(), 4u);
  EXPECT_NE(std::find(rules.begin(), rules.end(), monitor::Rule{"sv_gravity", "800"}), rules.end());
  EXPECT_GE(query.SinceLastAnswerMs(), 0);
}

TEST(ServerLink, consoleStatusArrivesWholeWithEveryUserId) {
  StandInServer server;
  AwaitAnswering(server);
  const std::unique_ptr<ConsoleLink> console = OpenConsole(server);
  const std::optional<ConsoleStep> done = RunCommand(*console, "status", "se cret");
  ASSERT_TRUE(done && done->type == ConsoleStep::Type::Done) << (done ? done->text : "no end");
  const monitor::Result<std::vector<monitor::StatusPlayer>> players = monitor::ParseStatus(done->text);
  ASSERT_TRUE(players) << players.Error();
  ASSERT_EQ(players->size(), 4u);
  EXPECT_EQ((*players)[1], (monitor::StatusPlayer{2, "[LAN] Sniper Bob", 3, "STEAM_0:0:5678"}));
  EXPECT_NE(done->text.find("map     :  2fort"), std::string::npos);
}

TEST(ServerLink, aLongAnswerInManyPacketsArrivesWhole) {
  StandInServer server;
  AwaitAnswering(server);
  const std::unique_ptr<ConsoleLink> console = OpenConsole(server);
  const std::optional<ConsoleStep> done = RunCommand(*console, "cvarlist", "se cret");
  ASSERT_TRUE(done && done->type == ConsoleStep::Type::Done);
  EXPECT_GT(done->text.size(), 1400u);
  EXPECT_NE(done->text.find(" Total CVars\nCvarList ? for syntax\n"), std::string::npos);
}

TEST(ServerLink, aWrongPasswordIsRefusedAndNotSentAgain) {
  StandInServer server;
  AwaitAnswering(server);
  const std::unique_ptr<ConsoleLink> console = OpenConsole(server);
  const std::optional<ConsoleStep> refused = RunCommand(*console, "status", "wrong");
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->type, ConsoleStep::Type::Refused);
  EXPECT_EQ(refused->text, "Bad rcon_password.");
  EXPECT_EQ(RunCommand(*console, "status", "wrong")->type, ConsoleStep::Type::Failed);
  EXPECT_EQ(RunCommand(*console, "status", "se cret")->type, ConsoleStep::Type::Done);
}

TEST(ServerLink, fiveRefusalsInAFewSecondsBanTheAddress) {
  StandInServer server;
  AwaitAnswering(server);
  const std::unique_ptr<ConsoleLink> console = OpenConsole(server);
  for (int i = 0; i < 5; ++i)
    ASSERT_EQ(RunCommand(*console, "status", "wrong" + std::to_string(i))->type, ConsoleStep::Type::Refused) << i;
  const std::optional<ConsoleStep> banned = RunCommand(*console, "status", "se cret");
  ASSERT_TRUE(banned);
  EXPECT_EQ(banned->type, ConsoleStep::Type::Banned);
  EXPECT_EQ(RunCommand(*console, "status", "se cret")->type, ConsoleStep::Type::Failed);
}

TEST(ServerLink, logLinesArriveAfterLogaddressAddAndTheirPasswordsCanBeMasked) {
  StandInServer server;
  AwaitAnswering(server);
  const std::unique_ptr<ConsoleLink> console = OpenConsole(server);
  std::vector<monitor::LogLine> lines;
  LogListener log(MakeUdpLink(), [&](const monitor::LogLine& line) { lines.push_back(line); });
  ASSERT_TRUE(log.Open("127.0.0.1", server.Port()));
  const std::string add = "logaddress_add 127.0.0.1 " + std::to_string(log.LocalPort());
  ASSERT_EQ(RunCommand(*console, add, "se cret")->type, ConsoleStep::Type::Done);
  ASSERT_EQ(RunCommand(*console, "say hello all", "se cret")->type, ConsoleStep::Type::Done);
  auto find = [&](monitor::LogEventKind kind) {
    return std::find_if(lines.begin(), lines.end(), [&](const monitor::LogLine& l) {
      return monitor::ClassifyLogMessage(l.message).kind == kind;
    });
  };
  ASSERT_TRUE(Await([&] { return find(monitor::LogEventKind::Say) != lines.end(); }));
  EXPECT_EQ(monitor::ClassifyLogMessage(find(monitor::LogEventKind::Say)->message).what, "hello all");
  const auto rcon = find(monitor::LogEventKind::Rcon);
  ASSERT_NE(rcon, lines.end());
  EXPECT_NE(rcon->message.find("se cret"), std::string::npos);
  EXPECT_EQ(monitor::MaskPasswords(rcon->message).find("se cret"), std::string::npos);
}

TEST(ServerLink, withALogSecretOnlyLinesThatCarryItAreHeard) {
  StandInServer server({}, "sv_logsecret 4711\r\n");
  AwaitAnswering(server);
  const std::unique_ptr<ConsoleLink> console = OpenConsole(server);
  std::vector<std::string> trusting, plain;
  LogListener withSecret(MakeUdpLink(), [&](const monitor::LogLine& l) { trusting.push_back(l.message); }, "4711");
  LogListener without(MakeUdpLink(), [&](const monitor::LogLine& l) { plain.push_back(l.message); });
  ASSERT_TRUE(withSecret.Open("127.0.0.1", server.Port()));
  ASSERT_TRUE(without.Open("127.0.0.1", server.Port()));
  for (const LogListener* log : {&withSecret, &without}) {
    const std::string add = "logaddress_add 127.0.0.1 " + std::to_string(log->LocalPort());
    ASSERT_EQ(RunCommand(*console, add, "se cret")->type, ConsoleStep::Type::Done);
  }
  ASSERT_EQ(RunCommand(*console, "say secret", "se cret")->type, ConsoleStep::Type::Done);
  ASSERT_TRUE(Await([&] { return trusting.size() >= 2; }));
  EXPECT_TRUE(plain.empty());
}

TEST(ServerLink, aKickedPlayerIsGoneFromStatusAndAMapChangeShowsInInfo) {
  StandInServer server;
  AwaitAnswering(server);
  const std::unique_ptr<ConsoleLink> console = OpenConsole(server);
  ASSERT_EQ(RunCommand(*console, "kick \"#6\"", "se cret")->type, ConsoleStep::Type::Done);
  ASSERT_EQ(RunCommand(*console, "changelevel well", "se cret")->type, ConsoleStep::Type::Done);
  const std::optional<ConsoleStep> status = RunCommand(*console, "status", "se cret");
  ASSERT_TRUE(status);
  EXPECT_EQ(monitor::ParseStatus(status->text)->size(), 3u);
  EXPECT_EQ(status->text.find("\"Delta\""), std::string::npos);
  std::optional<monitor::ServerInfo> info;
  ServerQuery query(MakeUdpLink(), {[&](const monitor::ServerInfo& i, int) { info = i; }, {}, {}, {}});
  ASSERT_TRUE(query.Start("127.0.0.1", server.Port()));
  ASSERT_TRUE(Await([&] { return info.has_value(); }));
  EXPECT_EQ(info->map, "well");
  EXPECT_EQ(info->players, 3);
}

}  // namespace
}  // namespace quorvane::platform

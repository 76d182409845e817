// The monitor's sockets against the stand-in server over loopback, end to end,
// where the wire asks more than the window tests' server does: challenges,
// split replies and console answers in many packets.
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

// One application object for the whole test program, whichever test needs it first.
void EnsureApp() {
  static int argc = 1;
  static char name[] = "platform_tests";
  static char* argv[] = {name, nullptr};
  if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
}

// Runs the event loop until `done` holds or 10 s have passed.
bool Await(const std::function<bool()>& done) {
  QDeadlineTimer deadline(10000);
  while (!done() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  return done();
}

// A stand-in dedicated server in a scratch installation whose server.cfg holds the console password.
class StandInServer {
 public:
  explicit StandInServer(const QStringList& environment = {}) {
    EnsureApp();
    m_dir.Make("tfc/server.cfg", "hostname \"Link Test\"\r\nrcon_password \"se cret\"\r\n");
    {
      QUdpSocket probe;  // closed again before the stand-in binds the port
      EXPECT_TRUE(probe.bind(QHostAddress::LocalHost, 0));
      m_port = probe.localPort();
    }
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

TEST(ServerLink, queryReadsInfoPlayersAndRulesFromAServerThatWantsTheChallenge) {
  StandInServer server({"STEAM_GAMESERVER_A2S_INFO_REQUIRE_CHALLENGE=1", "QUORVANE_STANDIN_SPLIT=100"});
  std::optional<monitor::ServerInfo> info;
  std::vector<monitor::Player> players;
  std::vector<monitor::Rule> rules;
  ServerQuery query(MakeUdpLink(), {[&](const monitor::ServerInfo& i, int) { info = i; },
                                    [&](const std::vector<monitor::Player>& p) { players = p; },
                                    [&](const std::vector<monitor::Rule>& r) { rules = r; },
                                    {}});
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

TEST(ServerLink, aLongConsoleAnswerInManyPacketsArrivesWhole) {
  StandInServer server;
  // A console packet sent before the stand-in's socket is open is lost: its first answer shows it is.
  bool answered = false;
  ServerQuery query(MakeUdpLink(), {[&](const monitor::ServerInfo&, int) { answered = true; }, {}, {}, {}});
  ASSERT_TRUE(query.Start("127.0.0.1", server.Port()));
  ASSERT_TRUE(Await([&] { return answered; }));
  ConsoleLink console(MakeUdpLink());
  ASSERT_TRUE(console.Open("127.0.0.1", server.Port()));
  std::optional<ConsoleStep> done;
  console.Run("cvarlist", "se cret", [&](const ConsoleStep& step) { done = step; });
  ASSERT_TRUE(Await([&] { return done.has_value(); }));
  ASSERT_EQ(done->type, ConsoleStep::Type::Done) << done->text;
  EXPECT_GT(done->text.size(), 1400u);
  EXPECT_NE(done->text.find(" Total CVars\nCvarList ? for syntax\n"), std::string::npos);
}

}  // namespace
}  // namespace quorvane::platform

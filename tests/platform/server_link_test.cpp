// The monitor's sockets against the stand-in server over loopback, end to end,
// where the wire asks more than the window tests' server does: challenges,
// split replies and console answers in many packets.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <algorithm>
#include <functional>
#include <optional>

#include "platform/server_console.h"
#include "platform/server_query.h"
#include "support/standin_server.h"

namespace quorvane::platform {
namespace {

using monitor::ConsoleStep;

// Runs the event loop until `done` holds or 10 s have passed.
bool Await(const std::function<bool()>& done) {
  QDeadlineTimer deadline(10000);
  while (!done() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  return done();
}

// One application object for the whole test program, made by whichever test needs it first.
struct ServerLink : ::testing::Test {
  ServerLink() {
    static int argc = 1;
    static char name[] = "platform_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
  }
};

constexpr const char* kServerCfg = "hostname \"Link Test\"\r\nrcon_password \"se cret\"\r\n";

TEST_F(ServerLink, queryReadsInfoPlayersAndRulesFromAServerThatWantsTheChallenge) {
  test_support::StandInServer server(kServerCfg,
                                     {"STEAM_GAMESERVER_A2S_INFO_REQUIRE_CHALLENGE=1", "QUORVANE_STANDIN_SPLIT=100"});
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

TEST_F(ServerLink, aLongConsoleAnswerInManyPacketsArrivesWhole) {
  test_support::StandInServer server(kServerCfg);
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

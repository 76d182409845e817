// Bans through the real console against the stand-in server: made, listed,
// written to the server's own files, forgotten at a restart and put back.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QProcess>
#include <QUdpSocket>
#include <algorithm>
#include <functional>
#include <optional>

#include "people/ban_console.h"
#include "people/ban_files.h"
#include "platform/scratch_dir.h"
#include "platform/server_console.h"
#include "platform/server_query.h"

namespace quorvane::platform {
namespace {

using monitor::ConsoleStep;
using people::Ban;
using people::ListedBan;
using people::ListedBans;
using std::chrono::minutes;
using std::chrono::seconds;

void EnsureApp() {
  static int argc = 1;
  static char name[] = "platform_tests";
  static char* argv[] = {name, nullptr};
  if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
}

// Runs the event loop until `done` holds or `ms` have passed.
bool Await(const std::function<bool()>& done, int ms = 10000) {
  QDeadlineTimer deadline(ms);
  while (!done() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  return done();
}

people::WallTime Now() { return std::chrono::floor<seconds>(std::chrono::system_clock::now()); }

people::BanTarget Target(const std::string& text) { return *people::ParseBanTarget(text); }

// The stand-in server in one scratch installation, started and killed as often as a test likes.
class BanServer {
 public:
  BanServer() {
    EnsureApp();
    m_dir.Make("tfc/server.cfg", "rcon_password \"ban pw\"\r\n");
    QUdpSocket probe;  // closed again before the stand-in binds the port
    EXPECT_TRUE(probe.bind(QHostAddress::LocalHost, 0));
    m_port = probe.localPort();
  }
  ~BanServer() { Kill(); }
  const testing::ScratchDir& Dir() const { return m_dir; }

  // Started and answering: a console packet sent before its socket is open would be lost.
  void Start() {
    m_process.setWorkingDirectory(QString::fromStdString(m_dir.Text()));
    m_process.start(QUORVANE_STANDIN, {"-game", "tfc", "-port", QString::number(m_port), "+map", "2fort"});
    ASSERT_TRUE(m_process.waitForStarted());
    bool answered = false;
    ServerQuery query(MakeUdpLink(), {[&](const monitor::ServerInfo&, int) { answered = true; }, {}, {}, {}});
    ASSERT_TRUE(query.Start("127.0.0.1", m_port));
    ASSERT_TRUE(Await([&] { return answered; }));
    m_console = std::make_unique<ConsoleLink>(MakeUdpLink());
    ASSERT_TRUE(m_console->Open("127.0.0.1", m_port));
  }
  void Kill() {
    m_process.kill();
    m_process.waitForFinished();
  }

  // The server's answer to one command.
  std::string Run(const std::string& command) {
    std::optional<ConsoleStep> done;
    m_console->Run(command, "ban pw", [&](const ConsoleStep& step) { done = step; });
    EXPECT_TRUE(Await([&] { return done.has_value(); })) << command;
    EXPECT_EQ(done ? done->type : ConsoleStep::Type::Failed, ConsoleStep::Type::Done) << command;
    return done ? done->text : "";
  }
  ListedBans List(const std::string& command) {
    const std::string answer = Run(command);
    const auto listed = command == "listid" ? people::ParseListId(answer) : people::ParseListIp(answer);
    EXPECT_TRUE(listed) << listed.Error();
    return listed ? *listed : ListedBans{};
  }
  // Sends each command no sooner than its offset from now; gives the answers.
  std::vector<std::string> RunPlan(const std::vector<people::PlannedCommand>& plan) {
    QElapsedTimer clock;
    clock.start();
    std::vector<std::string> answers;
    for (const people::PlannedCommand& c : plan) {
      Await([&] { return clock.elapsed() >= c.at.count(); }, static_cast<int>(c.at.count()) + 1000);
      answers.push_back(Run(c.command));
    }
    return answers;
  }
  // Comes up as the program sees it: the server's own file and lists, then what they lack.
  void Restore(const std::vector<Ban>& bans) {
    const std::vector<std::string> answers = RunPlan(people::RestoreOpening());
    const auto ids = people::ParseListId(answers.at(1));
    const auto ips = people::ParseListIp(answers.at(2));
    ASSERT_TRUE(ids && ips) << ids.Error() << ips.Error();
    std::vector<ListedBan> listed = ids->bans;
    listed.insert(listed.end(), ips->bans.begin(), ips->bans.end());
    RunPlan(people::PlanRestore(bans, listed, Now()));
  }

 private:
  testing::ScratchDir m_dir;
  QProcess m_process;
  std::uint16_t m_port = 0;
  std::unique_ptr<ConsoleLink> m_console;
};

std::vector<std::string> Ids(const ListedBans& listed) {
  std::vector<std::string> ids;
  for (const ListedBan& l : listed.bans)
    ids.push_back(l.target.Text() + (l.minutes ? " " + std::to_string(static_cast<int>(*l.minutes)) : ""));
  return ids;
}

TEST(ServerBans, permanentBansComeBackFromTheServersFileAndTimedOnesWithTheirMinutesLeft) {
  BanServer server;
  server.Start();
  const people::WallTime made = Now();
  const std::vector<Ban> bans = {
      *people::MakeBan(Target("STEAM_0:1:2345"), "Alpha", "aimbot", made, std::nullopt),
      *people::MakeBan(Target("STEAM_0:0:7"), "Bob", "spam", made, minutes(30)),
      *people::MakeBan(Target("1.2.3.4"), "", "flood", made, std::nullopt),
  };
  for (const Ban& ban : bans)
    for (const std::string& command : people::ApplyCommands(ban, made)) EXPECT_EQ(server.Run(command), "");
  EXPECT_EQ(Ids(server.List("listid")), (std::vector<std::string>{"STEAM_0:1:2345", "STEAM_0:0:7 30"}));
  EXPECT_EQ(testing::Slurp(server.Dir().Path() / "tfc/banned.cfg"), "banid 0.0 STEAM_0:1:2345\n");
  EXPECT_EQ(testing::Slurp(server.Dir().Path() / "tfc/listip.cfg"), "addip 0.0 1.2.3.4\n");
  EXPECT_EQ(people::ReadBanFile(testing::Slurp(server.Dir().Path() / "tfc/banned.cfg"), made).bans.size(), 1u);

  server.Kill();
  server.Start();
  EXPECT_EQ(server.Run("listid"), "UserID filter list: empty\n");
  EXPECT_EQ(server.Run("exec banned.cfg"), "execing banned.cfg\n");
  EXPECT_EQ(Ids(server.List("listid")), (std::vector<std::string>{"STEAM_0:1:2345"}));

  server.Kill();
  server.Start();
  server.Restore(bans);
  const ListedBans ids = server.List("listid");
  ASSERT_EQ(ids.bans.size(), 2u);
  EXPECT_EQ(ids.bans[0], (ListedBan{Target("STEAM_0:1:2345"), std::nullopt}));
  EXPECT_EQ(ids.bans[1].target, Target("STEAM_0:0:7"));
  // Made seconds ago: 30 minutes left, rounded up, or 29 when a minute turned meanwhile.
  EXPECT_GE(ids.bans[1].minutes, 29.0);
  EXPECT_LE(ids.bans[1].minutes, 30.0);
  EXPECT_EQ(Ids(server.List("listip")), (std::vector<std::string>{"1.2.3.4"}));

  for (const Ban& ban : {bans[1], bans[2]}) {
    const std::vector<std::string> lift = people::LiftCommands(ban.target);
    EXPECT_EQ(people::ParseRemoveAnswer(server.Run(lift[0])), people::RemoveAnswer::Removed) << lift[0];
    EXPECT_EQ(server.Run(lift[1]), "");
    EXPECT_EQ(people::ParseRemoveAnswer(server.Run(lift[0])), people::RemoveAnswer::NotFound) << lift[0];
  }
  EXPECT_EQ(testing::Slurp(server.Dir().Path() / "tfc/listip.cfg"), "");
}

TEST(ServerBans, fiveHundredBansComeBackInFewCommandsAtMostTwoASecond) {
  BanServer server;
  const people::WallTime now = Now();
  std::vector<Ban> bans;
  std::string bannedCfg;
  const auto add = [&](const std::string& target, std::optional<minutes> length) {
    bans.push_back(*people::MakeBan(Target(target), "", "", now - minutes(1), length));
  };
  // What the server's last writeid kept, then bans made while it was stopped, then timed ones.
  for (int i = 0; i < 485; ++i) {
    add("STEAM_0:" + std::to_string(i % 2) + ":" + std::to_string(100000 + i), std::nullopt);
    bannedCfg += "banid 0.0 " + bans.back().target.Text() + "\n";
  }
  for (int i = 0; i < 5; ++i) add("STEAM_0:1:" + std::to_string(900 + i), std::nullopt);
  for (int i = 0; i < 5; ++i) add("10.0.0." + std::to_string(i + 1), std::nullopt);
  for (int i = 0; i < 3; ++i) add("STEAM_0:0:" + std::to_string(700 + i), minutes(30 * (i + 1)));
  for (int i = 0; i < 2; ++i) add("10.1.0." + std::to_string(i + 1), minutes(60));
  server.Dir().Make("tfc/banned.cfg", bannedCfg);
  server.Start();

  QElapsedTimer clock;
  clock.start();
  server.Restore(bans);
  const qint64 tookMs = clock.elapsed();

  const ListedBans ids = server.List("listid"), ips = server.List("listip");
  ASSERT_EQ(ids.bans.size() + ips.bans.size(), 500u);
  for (const Ban& ban : bans) {
    const ListedBans& listed = ban.target.GetKind() == people::BanTarget::Kind::SteamId ? ids : ips;
    const auto found = std::find_if(listed.bans.begin(), listed.bans.end(),
                                    [&](const ListedBan& l) { return l.target == ban.target; });
    ASSERT_NE(found, listed.bans.end()) << ban.target.Text();
    EXPECT_EQ(found->minutes.has_value(), !ban.Permanent()) << ban.target.Text();
    // A minute older than their length: the minutes left, or one less when a minute turned.
    if (!ban.Permanent()) {
      EXPECT_NEAR(*found->minutes, *people::MinutesLeft(ban, now), 1.0) << ban.target.Text();
    }
  }
  // The three opening commands, ten permanent bans, five timed ones, writeid and writeip;
  // then the two lists of this test.
  const std::string record = testing::Slurp(server.Dir().Path() / "standin-console.txt");
  ASSERT_EQ(std::count(record.begin(), record.end(), '\n'), 22);
  EXPECT_GE(tookMs, 500 * (20 - 1)) << "sent faster than two a second";
  EXPECT_EQ(people::ReadBanFile(testing::Slurp(server.Dir().Path() / "tfc/banned.cfg"), now).bans.size(), 490u);
}

}  // namespace
}  // namespace quorvane::platform

// Bans through the real console against the stand-in server: written to the
// server's own file, forgotten at a restart and put back.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <algorithm>

#include "people/ban_console.h"
#include "platform/scratch_dir.h"
#include "platform/server_console.h"
#include "platform/server_query.h"
#include "support/standin_processes.h"
#include "support/standin_server.h"

namespace quorvane::platform {
namespace {

using std::chrono::minutes;

// Runs the event loop until `done` holds or 10 s have passed.
bool Await(auto done) {
  QDeadlineTimer deadline(10000);
  while (!done() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  return done();
}

people::WallTime Now() { return std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now()); }

people::Ban MakeBan(const std::string& target, std::optional<minutes> length = {}) {
  return *people::MakeBan(*people::ParseBanTarget(target), "", "", Now(), length);
}

// The stand-in server in one scratch installation, started again as often as a test likes.
class ServerBans : public ::testing::Test {
 protected:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "platform_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
    m_dir.Make("tfc/server.cfg", "rcon_password \"ban pw\"\r\n");
    m_port = test_support::FreeUdpPort();
  }
  void TearDown() override { EXPECT_TRUE(test_support::EndAll(m_dir.Path(), {m_pid})); }

  // Started and answering: a console packet sent before its socket is open would be lost.
  void Start() {
    const QStringList args = {"-game", "tfc", "-port", QString::number(m_port), "+map", "2fort"};
    ASSERT_TRUE(QProcess::startDetached(QUORVANE_STANDIN, args, QString::fromStdString(m_dir.Text()), &m_pid));
    bool answered = false;
    ServerQuery query(MakeUdpLink(), {[&](const monitor::ServerInfo&, int) { answered = true; }, {}, {}, {}});
    ASSERT_TRUE(query.Start("127.0.0.1", m_port));
    ASSERT_TRUE(Await([&] { return answered; }));
    m_console = std::make_unique<ConsoleLink>(MakeUdpLink());
    ASSERT_TRUE(m_console->Open("127.0.0.1", m_port));
  }

  // The server's answer to one command.
  std::string Run(const std::string& command) {
    std::optional<monitor::ConsoleStep> done;
    m_console->Run(command, "ban pw", [&](const monitor::ConsoleStep& step) { done = step; });
    EXPECT_TRUE(Await([&] { return done.has_value(); }) && done->type == monitor::ConsoleStep::Type::Done) << command;
    return done ? done->text : "";
  }

  // Comes up as the program brings it up: the opening (its own file, then its
  // lists), then what the lists lack; gives that.
  std::vector<people::PlannedCommand> Restore(const std::vector<people::Ban>& bans) {
    std::vector<std::string> answers;
    for (const people::PlannedCommand& c : people::RestoreOpening()) answers.push_back(Run(c.command));
    const auto ids = people::ParseListId(answers.at(1)), ips = people::ParseListIp(answers.at(2));
    EXPECT_TRUE(ids && ips) << ids.Error() << ips.Error();
    std::vector<people::ListedBan> listed = ids ? ids->bans : std::vector<people::ListedBan>{};
    if (ips) listed.insert(listed.end(), ips->bans.begin(), ips->bans.end());
    const std::vector<people::PlannedCommand> plan = people::PlanRestore(bans, listed, Now());
    for (const people::PlannedCommand& c : plan) Run(c.command);
    return plan;
  }

  testing::ScratchDir m_dir;
  qint64 m_pid = 0;
  std::uint16_t m_port = 0;
  std::unique_ptr<ConsoleLink> m_console;
};

TEST_F(ServerBans, fiveHundredBansComeBackWithoutResendingWhatTheServersFileHolds) {
  std::vector<people::Ban> bans;
  std::string bannedCfg;
  // What the server's last writeid kept, then bans made while it was stopped, timed ones among them.
  for (int i = 0; i < 490; ++i) {
    bans.push_back(MakeBan("STEAM_0:" + std::to_string(i % 2) + ":" + std::to_string(100000 + i)));
    if (i < 485) bannedCfg += "banid 0.0 " + bans.back().target.Text() + "\n";
  }
  for (int i = 1; i <= 5; ++i) {
    bans.push_back(MakeBan("10.0.0." + std::to_string(i)));
    bans.push_back(MakeBan("10.1.0." + std::to_string(i), minutes(30 * i)));
  }
  m_dir.Make("tfc/banned.cfg", bannedCfg);
  ASSERT_NO_FATAL_FAILURE(Start());
  Restore(bans);

  // The opening's three commands, ten permanent bans, five timed ones, writeid and writeip.
  const std::string sent = testing::Slurp(m_dir.Path() / "standin-console.txt");
  EXPECT_EQ(std::count(sent.begin(), sent.end(), '\n'), 20);
  EXPECT_EQ(Restore(bans), std::vector<people::PlannedCommand>{});
}

}  // namespace
}  // namespace quorvane::platform

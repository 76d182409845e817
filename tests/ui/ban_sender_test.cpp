// The kept bans carried to the real stand-in server through its console, at the
// pace the server's packet limits allow, and back after it restarts.
#include "ui/ban_sender.h"

#include <gtest/gtest.h>

#include <QTest>
#include <sstream>

#include "platform/scratch_dir.h"
#include "platform/server_console.h"
#include "store/sqlite_player_store.h"
#include "support/standin_server.h"
#include "ui/window_fixtures.h"

namespace quorvane::ui {
namespace {

using std::chrono::minutes;

people::WallTime Now() { return std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now()); }

people::Ban MakeBan(const std::string& target, std::optional<minutes> length, people::WallTime made = Now()) {
  return *people::MakeBan(*people::ParseBanTarget(target), "", "test", made, length);
}

struct Timed {
  long long ms;
  std::string command;
};

class BanSenderTest : public testing::Test {
 protected:
  void SetUp() override {
    fixtures::App();
    store::OpenedStore opened = store::SqlitePlayerStore::Open(m_dir.Path() / "players.sqlite3");
    ASSERT_TRUE(opened.store) << opened.message;
    m_store = std::move(opened.store);
    BanSenderSources sources;
    sources.links = platform::UdpServerLinks();
    sources.port = [this] { return m_server.Port(); };
    sources.password = [] { return std::string("ban pw"); };
    sources.store = [this] { return m_store.get(); };
    m_sender = std::make_unique<BanSender>(std::move(sources));
  }
  // Its first answer, as the supervision and the monitor see it: the sender's entry.
  void CameUp() {
    bool answered = false;
    const auto query =
        platform::UdpServerLinks().query({[&](const monitor::ServerInfo&, int) { answered = true; }, {}, {}, {}});
    ASSERT_TRUE(query->Start("127.0.0.1", m_server.Port()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return answered; }, 10000));
    m_sender->ServerCameUp();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_sender->Idle(); }, 60000));
  }
  void AddBans(const std::vector<people::Ban>& bans) { ASSERT_TRUE(m_store->AddBans(bans)); }
  // What another tool, or the user's own typing, sends.
  std::string Run(const std::string& command) {
    const auto console = platform::UdpServerLinks().console();
    EXPECT_TRUE(console->Open("127.0.0.1", m_server.Port()));
    std::optional<monitor::ConsoleStep> done;
    console->Run(command, "ban pw", [&](const monitor::ConsoleStep& step) { done = step; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return done.has_value(); }, 10000)) << command;
    return done ? done->text : "";
  }
  // The commands the stand-in ran from its `from`th on, with the wall clock's milliseconds.
  std::vector<Timed> Record(std::size_t from = 0) {
    std::vector<Timed> record;
    std::istringstream in(m_server.File("standin-console-times.txt"));
    for (std::string line; std::getline(in, line);)
      record.push_back({std::stoll(line.substr(0, line.find(' '))), line.substr(line.find(' ') + 1)});
    record.erase(record.begin(), record.begin() + static_cast<long>(std::min(from, record.size())));
    return record;
  }
  static std::vector<std::string> Commands(const std::vector<Timed>& record) {
    std::vector<std::string> commands;
    for (const Timed& t : record) commands.push_back(t.command);
    return commands;
  }

  test_support::StandInServer m_server{"rcon_password \"ban pw\"\r\n"};
  platform::testing::ScratchDir m_dir;
  std::unique_ptr<store::SqlitePlayerStore> m_store;
  std::unique_ptr<BanSender> m_sender;
};

TEST_F(BanSenderTest, aTimedBanComesBackAfterARestartWithTheMinutesItHasLeftAtTwoCommandsASecond) {
  // Made ten minutes ago for thirty; a permanent one beside it.
  AddBans({MakeBan("STEAM_0:0:7", minutes(30), Now() - minutes(10)), MakeBan("STEAM_0:1:2345", std::nullopt)});
  ASSERT_NO_FATAL_FAILURE(CameUp());
  EXPECT_EQ(m_server.File("tfc/banned.cfg"), "banid 0.0 STEAM_0:1:2345\n");

  const std::size_t before = Record().size();
  m_server.Restart();
  ASSERT_NO_FATAL_FAILURE(CameUp());
  const std::vector<Timed> record = Record(before);
  // The permanent one came back from the server's own file; only the timed one is sent.
  EXPECT_EQ(Commands(record),
            (std::vector<std::string>{"exec banned.cfg", "listid", "listip", "banid 20 STEAM_0:0:7 kick"}));
  for (std::size_t i = 1; i < record.size(); ++i) EXPECT_GE(record[i].ms - record[i - 1].ms, 450) << record[i].command;
  EXPECT_EQ(Run("listid"), "UserID filter list: 2 entries\n1 STEAM_0:1:2345 : permanent\n2 STEAM_0:0:7 : 20.000 min\n");
  std::string shown;
  for (const Timed& t : record) shown += std::to_string(t.ms) + " " + t.command + "\n";
  RecordProperty("restart", shown);
}

TEST_F(BanSenderTest, bansOtherToolsMadeAreKeptAsFoundAndALiftTakesOneOffTheServer) {
  ASSERT_NO_FATAL_FAILURE(CameUp());
  Run("banid 0 STEAM_0:0:55");
  Run("addip 15 5.6.7.8");
  ASSERT_NO_FATAL_FAILURE(CameUp());
  const auto kept = m_store->Bans();
  ASSERT_TRUE(kept && kept->size() == 2U);
  for (const people::StoredBan& s : *kept) EXPECT_EQ(s.ban.source, people::BanSource::FoundOnServer);

  const people::Ban& steam = kept->at(0).ban.target.Text() == "STEAM_0:0:55" ? kept->at(0).ban : kept->at(1).ban;
  people::Ban lifted = steam;
  lifted.liftedAt = Now();
  m_sender->Send(lifted, steam);
  ASSERT_TRUE(QTest::qWaitFor([&] { return m_sender->Idle(); }, 10000));
  EXPECT_EQ(Run("listid") + Run("listip"),
            "UserID filter list: empty\nIP filter list:\n  5.  6.  7.  8 : 15.000 min\n");
  EXPECT_EQ(m_server.File("tfc/banned.cfg"), "");
}

TEST_F(BanSenderTest, aServerThatDoesNotAnswerGetsNothingUntilItComesUp) {
  BanSenderSources sources;
  sources.links = platform::UdpServerLinks();
  sources.port = [] { return test_support::FreeUdpPort(); };
  sources.password = [] { return std::string("ban pw"); };
  sources.store = [this] { return m_store.get(); };
  BanSender nobody(std::move(sources));
  nobody.Send(MakeBan("STEAM_0:0:7", std::nullopt));
  ASSERT_TRUE(QTest::qWaitFor([&] { return nobody.Idle(); }, 15000));
  EXPECT_FALSE(nobody.ServerUp());
  EXPECT_EQ(nobody.LastOutcome(), BanSender::Outcome::NoAnswer);
  nobody.Send(MakeBan("STEAM_0:0:8", std::nullopt));
  EXPECT_TRUE(nobody.Idle());
}

}  // namespace
}  // namespace quorvane::ui

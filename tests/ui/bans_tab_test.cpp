// The Bans tab driven with QTest on a real store, and --ban / --unban / --bans.
#include "ui/bans_tab.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <cstdio>

#include "platform/scratch_dir.h"
#include "platform/server_console.h"
#include "store/sqlite_player_store.h"
#include "support/standin_server.h"
#include "ui/ban_sender.h"
#include "ui/ban_terminal.h"
#include "ui/window_fixtures.h"

namespace quorvane::ui {
namespace {

using fixtures::Child;

people::WallTime Now() { return std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now()); }

// The tab on a store of its own; the server has no console password, so every change stays in the store.
class BansTabTest : public testing::Test {
 protected:
  void SetUp() override {
    fixtures::App();
    store::OpenedStore opened = store::SqlitePlayerStore::Open(m_dir.Path() / "players.sqlite3");
    ASSERT_TRUE(opened.store) << opened.message;
    m_store = std::move(opened.store);
    BanSenderSources sources;
    sources.store = [this] { return m_store.get(); };
    m_sender = std::make_unique<BanSender>(std::move(sources));
    m_tab = std::make_unique<BansTab>(m_sender.get(), &m_dialogs);
    m_tab->show();
  }
  QStringList Column(int column) const {
    auto* rows = Child<QTableWidget>(m_tab.get(), "BanList");
    QStringList texts;
    for (int r = 0; r < rows->rowCount(); ++r) texts << rows->item(r, column)->text();
    return texts;
  }
  void Filter(BansTab::Filter filter) {
    Child<QComboBox>(m_tab.get(), "BanFilter")->setCurrentIndex(static_cast<int>(filter));
  }
  void Type(const char* name, const QString& text) {
    auto* box = Child<QLineEdit>(m_tab.get(), name);
    box->clear();
    QTest::keyClicks(box, text);
  }
  void Click(const char* name) { QTest::mouseClick(Child<QPushButton>(m_tab.get(), name), Qt::LeftButton); }
  QString Notice() const { return Child<QLabel>(m_tab.get(), "BansNotice")->text(); }

  platform::testing::ScratchDir m_dir;
  fixtures::RecordingDialogs m_dialogs;
  std::unique_ptr<store::SqlitePlayerStore> m_store;
  std::unique_ptr<BanSender> m_sender;
  std::unique_ptr<BansTab> m_tab;
};

TEST_F(BansTabTest, anAddedBanIsListedInForceAndAnExpiredOneStaysListedAsExpired) {
  people::Ban old = *people::MakeBan(*people::ParseBanTarget("1.2.3.4"), "", "flood", Now() - std::chrono::hours(2),
                                     std::chrono::minutes(30));
  ASSERT_TRUE(m_store->AddBans({old}));
  Type("BanTarget", "steam_0:1:234");
  Type("BanReason", "aimbot");
  Child<QComboBox>(m_tab.get(), "BanLength")->setCurrentIndex(1);
  Click("AddBan");
  EXPECT_EQ(Column(0), (QStringList{"STEAM_0:1:234", "1.2.3.4"}));
  EXPECT_EQ(Column(2), (QStringList{"aimbot", "flood"}));
  EXPECT_EQ(Column(6), (QStringList{"in force, 60 min left", "expired"}));
  Filter(BansTab::Filter::Expired);
  EXPECT_EQ(Column(0), QStringList{"1.2.3.4"});
  Filter(BansTab::Filter::InForce);
  EXPECT_EQ(Column(0), QStringList{"STEAM_0:1:234"});
}

TEST_F(BansTabTest, aSharedPlaceholderIsRefusedAndThePlayersAddressOffered) {
  m_tab->Offer("STEAM_ID_LAN", "10.0.0.5", "Delta");
  EXPECT_EQ(Child<QLineEdit>(m_tab.get(), "BanTarget")->text(), "10.0.0.5");
  EXPECT_TRUE(Notice().contains("the address 10.0.0.5 is offered instead")) << Notice().toStdString();
  Type("BanTarget", "STEAM_ID_LAN");
  Click("AddBan");
  EXPECT_EQ(Notice(),
            "STEAM_ID_LAN is shared by many players and is never banned by SteamID: ban the address "
            "10.0.0.5 instead.");
  EXPECT_TRUE(Column(0).isEmpty());
  Click("AddBan");
  EXPECT_EQ(Column(0), QStringList{"10.0.0.5"});
  EXPECT_EQ(Column(1), QStringList{"Delta"});
}

TEST_F(BansTabTest, aBanFoundOnTheServerIsAdoptedWithAReasonThenLiftedAfterAsking) {
  people::Ban found = *people::MakeBan(*people::ParseBanTarget("STEAM_0:0:55"), "", "", Now(), std::nullopt);
  found.source = people::BanSource::FoundOnServer;
  ASSERT_TRUE(m_store->AddBans({found}));
  Filter(BansTab::Filter::Found);
  ASSERT_EQ(Column(3), QStringList{"found on the server"});
  Child<QTableWidget>(m_tab.get(), "BanList")->selectRow(0);
  Type("BanReason", "wallhack");
  Click("ChangeBan");
  EXPECT_TRUE(Column(0).isEmpty());
  Filter(BansTab::Filter::All);
  EXPECT_EQ(Column(3), QStringList{"this program"});
  EXPECT_EQ(Column(2), QStringList{"wallhack"});

  Child<QTableWidget>(m_tab.get(), "BanList")->selectRow(0);
  Click("LiftBan");
  EXPECT_EQ(Column(6), QStringList{"in force"});
  m_dialogs.answer = true;
  Click("LiftBan");
  EXPECT_EQ(m_dialogs.shown.back(), "?Lift ban: Lift the ban on STEAM_0:0:55?");
  EXPECT_EQ(Column(6), QStringList{"lifted"});
  const auto kept = m_store->Bans();
  ASSERT_TRUE(kept && kept->size() == 1U);
  EXPECT_TRUE(kept->front().ban.liftedAt.has_value());
}

// What a run of the command line printed, and how it ended.
struct Ran {
  int code;
  std::string out, err;
};

std::string Text(std::FILE* f) {
  std::rewind(f);
  std::string text;
  for (int c; (c = std::fgetc(f)) != EOF;) text += static_cast<char>(c);
  std::fclose(f);
  return text;
}

Ran RunBans(const BanCommand& command, const BanPlace& place, const char* password) {
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  const int code = RunBanCommand(platform::UdpServerLinks(), command, place, password, out, err);
  return {code, Text(out), Text(err)};
}

TEST(BanCommandLine, aBanIsKeptAndSentToTheRunningServerThenListedAndLifted) {
  fixtures::App();
  const platform::testing::ScratchDir dir;
  test_support::StandInServer server{"rcon_password \"ban pw\"\r\n"};
  BanPlace place{dir.Path() / "players.sqlite3", nullptr, {}, "127.0.0.1", server.Port()};
  // Answering first: a console packet sent while it starts is lost.
  bool answered = false;
  const auto query =
      platform::UdpServerLinks().query({[&](const monitor::ServerInfo&, int) { answered = true; }, {}, {}, {}});
  ASSERT_TRUE(query->Start("127.0.0.1", server.Port()));
  ASSERT_TRUE(QTest::qWaitFor([&] { return answered; }, 10000));
  const Ran ran = RunBans({BanCommand::Kind::Ban, "STEAM_0:1:9", "spam", std::chrono::minutes(30)}, place, "ban pw");
  EXPECT_EQ(ran.code, 0) << ran.err;
  EXPECT_EQ(ran.out, "STEAM_0:1:9 is banned for 30 minutes, kept in " + place.storeFile->string() + ", and sent to " +
                         server.Target() + ".\n");
  EXPECT_NE(server.Received().indexOf("banid 30 STEAM_0:1:9 kick"), -1) << server.Received().toStdString();

  Ran listed = RunBans({BanCommand::Kind::List}, place, nullptr);
  EXPECT_EQ(listed.code, 0);
  EXPECT_NE(listed.out.find("STEAM_0:1:9\t\tspam\tthis program\t"), std::string::npos) << listed.out;

  Ran lifted = RunBans({BanCommand::Kind::Unban, "STEAM_0:1:9"}, place, nullptr);
  EXPECT_EQ(lifted.code, 0);
  EXPECT_EQ(lifted.out, "The ban on STEAM_0:1:9 is lifted in " + place.storeFile->string() + "; " + server.Target() +
                            " is told when Quorvane next sees it come up.\n");
  EXPECT_NE(lifted.err.find("QUORVANE_RCON_PASSWORD"), std::string::npos);
}

}  // namespace
}  // namespace quorvane::ui

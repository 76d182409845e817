#include "ui/history_tab.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/scratch_dir.h"
#include "ui/player_history.h"
#include "ui/window_fixtures.h"

namespace quorvane::ui {
namespace {

namespace fs = std::filesystem;

monitor::LogLine At(int second, std::string message) { return {1, 31, 2024, 21, 5, second, std::move(message)}; }

class HistoryTabTest : public testing::Test {
 protected:
  void SetUp() override {
    fixtures::App();
    m_history = std::make_unique<PlayerHistory>(m_file);
    m_history->Listen("/srv/hlds/tfc", 27015);
    for (const monitor::LogLine& line : {At(0, "Started map \"2fort\" (CRC \"1\")"),
                                         At(1, "\"Al<2><STEAM_0:1:234><>\" connected, address \"1.2.3.4:27005\""),
                                         At(2, "\"Al<2><STEAM_0:1:234><Blue>\" changed name to \"Al \xe9t\xe9\""),
                                         At(3, "\"Bo<3><STEAM_0:0:99><>\" connected, address \"5.6.7.8:27005\""),
                                         At(9, "\"Bo<3><STEAM_0:0:99><>\" disconnected")})
      m_history->HeardLog(line);
    m_history->Flush();
    m_tab = std::make_unique<HistoryTab>(m_history.get(), &m_dialogs);
    m_tab->show();
  }
  template <typename T>
  T* Find(const char* name) {
    T* found = m_tab->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  QStringList Column(int column) {
    QStringList texts;
    auto* rows = Find<QTableWidget>("HistoryPlayers");
    for (int r = 0; r < rows->rowCount(); ++r) texts << rows->item(r, column)->text();
    return texts;
  }
  void Select(const QString& steamId) {
    auto* rows = Find<QTableWidget>("HistoryPlayers");
    for (int r = 0; r < rows->rowCount(); ++r)
      if (rows->item(r, 1)->text() == steamId) rows->selectRow(r);
  }
  platform::testing::ScratchDir m_dir;
  fs::path m_file = m_dir.Path() / "players.sqlite3";
  fixtures::RecordingDialogs m_dialogs;
  std::unique_ptr<PlayerHistory> m_history;
  std::unique_ptr<HistoryTab> m_tab;
};

TEST_F(HistoryTabTest, showsOneRowAPlayerFromTheLogLatestFirst) {
  EXPECT_EQ(Column(0), (QStringList{"Bo", "Al \u00e9t\u00e9"}));
  EXPECT_EQ(Column(2), (QStringList{"", "Al"}));
  EXPECT_EQ(Column(5), (QStringList{"0:00:06", "0:00:01"}));
  EXPECT_EQ(Column(7), (QStringList{"5.6.7.8", "1.2.3.4"}));
}

TEST_F(HistoryTabTest, typingInTheSearchBoxKeepsThePlayersThatMatch) {
  QTest::keyClicks(Find<QLineEdit>("HistorySearch"), "6.7");
  EXPECT_EQ(Column(1), QStringList{"STEAM_0:0:99"});
  Find<QLineEdit>("HistorySearch")->setText("\u00e9t\u00e9");
  EXPECT_EQ(Column(1), QStringList{"STEAM_0:1:234"});
}

TEST_F(HistoryTabTest, detailsShowThePlayersSessionsOnDemand) {
  auto* details = Find<QPlainTextEdit>("HistoryDetails");
  EXPECT_FALSE(details->isVisible());
  Select("STEAM_0:1:234");
  QTest::mouseClick(Find<QPushButton>("ShowDetails"), Qt::LeftButton);
  EXPECT_TRUE(details->isVisible());
  EXPECT_TRUE(details->toPlainText().contains("2024-01-31 21:05 to still on")) << details->toPlainText().toStdString();
  EXPECT_TRUE(details->toPlainText().contains("maps: 2fort"));
}

TEST_F(HistoryTabTest, forgettingAsksFirstAndOnYesTheRowIsGone) {
  Select("STEAM_0:0:99");
  m_dialogs.answer = false;
  QTest::mouseClick(Find<QPushButton>("ForgetPlayer"), Qt::LeftButton);
  EXPECT_EQ(Column(1).size(), 2);
  m_dialogs.answer = true;
  QTest::mouseClick(Find<QPushButton>("ForgetPlayer"), Qt::LeftButton);
  EXPECT_EQ(m_dialogs.shown.size(), 2);
  EXPECT_EQ(m_dialogs.shown.back(), "?Forget this player: Forget everything kept about Bo (STEAM_0:0:99)?");
  EXPECT_EQ(Column(1), QStringList{"STEAM_0:1:234"});
}

TEST_F(HistoryTabTest, banAsksForTheSelectedPlayersSteamIdAddressAndName) {
  QSignalSpy asked(m_tab.get(), &HistoryTab::banAsked);
  Select("STEAM_0:0:99");
  QTest::mouseClick(Find<QPushButton>("BanFromHistory"), Qt::LeftButton);
  ASSERT_EQ(asked.size(), 1);
  EXPECT_EQ(asked[0], (QVariantList{"STEAM_0:0:99", "5.6.7.8", "Bo"}));
}

TEST_F(HistoryTabTest, turningAddressesOffDeletesTheOnesKeptAfterAsking) {
  auto* keep = Find<QCheckBox>("KeepAddresses");
  EXPECT_TRUE(keep->isChecked());
  m_dialogs.answer = true;
  keep->click();
  EXPECT_FALSE(keep->isChecked());
  EXPECT_EQ(Column(7), (QStringList{"", ""}));
}

TEST_F(HistoryTabTest, theCommandLinePrintsTheSameRows) {
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  ASSERT_EQ(RunHistory(m_file, "STEAM_0:0", false, out, err), 0);
  std::rewind(out);
  char text[1024] = {};
  const std::size_t n = std::fread(text, 1, sizeof text - 1, out);
  const QStringList lines = QString::fromUtf8(text, static_cast<qsizetype>(n)).split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 2);
  EXPECT_EQ(lines[0], HistoryColumns().join('\t'));
  auto* rows = Find<QTableWidget>("HistoryPlayers");
  QStringList shown;
  for (int c = 0; c < rows->columnCount(); ++c) shown << rows->item(0, c)->text();
  EXPECT_EQ(lines[1], shown.join('\t'));
  std::fclose(out);
  std::fclose(err);
}

TEST(HistoryCommandLine, aMissingHistorySaysWhereItLookedAndFails) {
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  const fs::path nowhere = fs::temp_directory_path() / "quorvane_no_history" / "players.sqlite3";
  EXPECT_EQ(RunHistory(nowhere, "x", true, out, err), 1);
  std::rewind(err);
  char text[512] = {};
  (void)std::fread(text, 1, sizeof text - 1, err);
  EXPECT_NE(std::string(text).find(nowhere.string()), std::string::npos);
  std::fclose(out);
  std::fclose(err);
}

}  // namespace
}  // namespace quorvane::ui

#include "store/sqlite_player_store.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "people/ban_store.h"
#include "platform/scratch_dir.h"
#include "support/memory_file_system.h"

namespace quorvane::store {
namespace {

namespace fs = std::filesystem;
using people::PlayerKind;
using people::Session;

constexpr people::Stamp kT = 1'706'735'109;

Session Played(std::string key, std::string name, std::string address, people::Stamp joined, int userId,
               std::optional<people::Stamp> left = std::nullopt) {
  Session s;
  s.key = key;
  s.steamId = key.starts_with("STEAM_0") ? key : "STEAM_ID_LAN";
  s.userId = userId;
  s.names = {std::move(name)};
  s.address = std::move(address);
  s.joined = joined;
  s.lastSeen = left.value_or(joined + 60);
  s.left = left;
  s.maps = {"2fort"};
  s.serverFolder = "/srv/hlds/tfc";
  s.serverPort = 27015;
  return s;
}

std::vector<std::string> Keys(const std::vector<people::PlayerRow>& rows) {
  std::vector<std::string> keys;
  for (const auto& r : rows) keys.push_back(r.key);
  return keys;
}

class Store : public testing::Test {
 protected:
  std::unique_ptr<SqlitePlayerStore> OpenStore(const StoreOptions& options = {}) {
    OpenedStore opened = SqlitePlayerStore::Open(m_file, options);
    EXPECT_TRUE(opened.store) << opened.message;
    m_notices = opened.notices;
    return std::move(opened.store);
  }
  std::vector<Session> SomeSessions() {
    return {Played("STEAM_0:1:234", "Al \"the\" <Rocket>", "1.2.3.4", kT, 2, kT + 600),
            Played("STEAM_0:0:99", "\xcf\xf0\xe8\xe2\xe5\xf2", "5.6.7.8", kT + 10, 3),
            Played("10.0.0.5", "LanGuy", "10.0.0.5", kT + 20, 4, kT + 30)};
  }
  platform::testing::ScratchDir m_scratch;
  // Not there until the store makes it.
  fs::path m_dir = m_scratch.Path() / "quorvane", m_file = m_dir / "players.sqlite3";
  std::vector<std::string> m_notices;
};

struct SearchCase {
  const char* name;
  std::string text;
  std::vector<std::string> keys;
};

class StoreSearch : public Store, public testing::WithParamInterface<SearchCase> {};

TEST_P(StoreSearch, findsPlayersByAnyPartOfNameSteamIdOrAddress) {
  auto store = OpenStore();
  ASSERT_TRUE(store->Record(SomeSessions()));
  const auto found = store->Search(GetParam().text, 100);
  ASSERT_TRUE(found) << found.message;
  EXPECT_EQ(Keys(*found), GetParam().keys);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, StoreSearch,
    testing::Values(SearchCase{"everyoneLatestFirst", "", {"STEAM_0:1:234", "STEAM_0:0:99", "10.0.0.5"}},
                    SearchCase{"partOfANameAnyCase", "rocK", {"STEAM_0:1:234"}},
                    SearchCase{"quoteInTheName", "\"the\"", {"STEAM_0:1:234"}},
                    SearchCase{"codePageName", "\xf0\xe8\xe2", {"STEAM_0:0:99"}},
                    SearchCase{"partOfASteamId", "0:99", {"STEAM_0:0:99"}},
                    SearchCase{"partOfAnAddress", "6.7.", {"STEAM_0:0:99"}},
                    SearchCase{"twoLettersFallBackToLike", "gu", {"10.0.0.5"}},
                    SearchCase{"likeWildcardsAreLiteral", "%", {}}, SearchCase{"nobody", "zzzz", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Store, aSessionRecordedAgainIsBroughtUpToDateAndCountedOnce) {
  auto store = OpenStore();
  Session s = Played("STEAM_0:1:234", "A", "1.2.3.4", kT, 2);
  ASSERT_TRUE(store->Record({s}));
  s.names.push_back("B");
  s.lastSeen = s.joined + 300;
  s.left = s.lastSeen;
  ASSERT_TRUE(store->Record({s}));
  ASSERT_TRUE(store->Record({Played("STEAM_0:1:234", "C", "1.2.3.9", kT + 1000, 7, kT + 1100)}));
  const auto details = store->Details("STEAM_0:1:234");
  ASSERT_TRUE(details) << details.message;
  EXPECT_EQ(details->row.lastName, "C");
  EXPECT_EQ(details->row.otherNames, (std::vector<std::string>{"B", "A"}));
  EXPECT_EQ(details->row.sessions, 2);
  EXPECT_EQ(details->row.totalSeconds, 400);
  EXPECT_EQ(details->row.firstSeen, kT);
  EXPECT_EQ(details->row.lastAddress, "1.2.3.9");
  ASSERT_EQ(details->sessions.size(), 2U);
  EXPECT_EQ(details->sessions[1], s);
}

TEST_F(Store, aSessionWhoseSteamIdCameLateMovesToItsPlayer) {
  auto store = OpenStore();
  Session s = Played("10.0.0.6", "P", "10.0.0.6", kT, 5);
  ASSERT_TRUE(store->Record({s}));
  s.key = s.steamId = "STEAM_0:1:77";
  ASSERT_TRUE(store->Record({s}));
  EXPECT_EQ(Keys(*store->Search("", 10)), std::vector<std::string>{"STEAM_0:1:77"});
}

TEST_F(Store, forgettingAPlayerDeletesEveryRowAboutThem) {
  auto store = OpenStore();
  ASSERT_TRUE(store->Record(SomeSessions()));
  ASSERT_TRUE(store->Forget("STEAM_0:1:234"));
  EXPECT_TRUE(store->Search("Rocket", 10)->empty());
  EXPECT_TRUE(store->Search("1.2.3.4", 10)->empty());
  EXPECT_FALSE(store->Details("STEAM_0:1:234"));
  store.reset();
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(m_file.string().c_str(), &db), SQLITE_OK);
  sqlite3_stmt* count = nullptr;
  sqlite3_prepare_v2(db, "SELECT count(*) FROM sessions WHERE address = '1.2.3.4'", -1, &count, nullptr);
  ASSERT_EQ(sqlite3_step(count), SQLITE_ROW);
  EXPECT_EQ(sqlite3_column_int(count, 0), 0);
  sqlite3_finalize(count);
  sqlite3_close(db);
}

TEST_F(Store, withoutAddressesNoneIsKeptNewOrOld) {
  auto store = OpenStore();
  ASSERT_TRUE(store->Record(SomeSessions()));
  ASSERT_TRUE(store->SetKeepAddresses(false));
  ASSERT_TRUE(store->Record({Played("STEAM_0:0:5", "New", "9.9.9.9", kT + 50, 9)}));
  EXPECT_TRUE(store->Search("1.2.3.4", 10)->empty());
  EXPECT_TRUE(store->Search("9.9.9.9", 10)->empty());
  EXPECT_EQ(store->Details("STEAM_0:0:5")->row.lastAddress, "");
  store.reset();
  EXPECT_FALSE(OpenStore()->KeepAddresses());
}

// Every earlier schema, with a player in it, is brought up to the current one and still found.
class Migration : public Store, public testing::WithParamInterface<int> {};

people::Ban TimedBan(const std::string& target, std::string reason, long long minutes) {
  return *people::MakeBan(*people::ParseBanTarget(target), "Al", std::move(reason),
                          people::WallTime(std::chrono::seconds(kT)), std::chrono::minutes(minutes));
}

TEST_P(Migration, bringsAnEarlierFileUpToDateKeepingItsPlayers) {
  if (GetParam() > 0) {
    ASSERT_TRUE(OpenStore({.schemaVersion = GetParam()})->Record(SomeSessions()));
  }
  auto store = OpenStore();
  EXPECT_EQ(store->SchemaVersion(), kSchemaVersion);
  ASSERT_TRUE(store->Record({Played("STEAM_0:0:5", "Newcomer", "9.9.9.9", kT + 50, 9)}));
  EXPECT_EQ(Keys(*store->Search("comer", 10)), std::vector<std::string>{"STEAM_0:0:5"});
  if (GetParam() > 0) {
    EXPECT_EQ(Keys(*store->Search("Rocket", 10)), std::vector<std::string>{"STEAM_0:1:234"});
  }
  // And keeps bans from then on.
  ASSERT_TRUE(store->AddBans({TimedBan("STEAM_0:0:5", "spam", 30)}));
  EXPECT_EQ(store->Bans()->size(), 1U);
}

TEST_F(Store, aBanKeepsItsReasonLengthAndLiftAcrossOpenings) {
  people::Ban ban = TimedBan("STEAM_0:1:234", "aimbot \"\xe9t\xe9\"", 60);
  people::Ban forGood = TimedBan("1.2.3.0/24", "flood", 1);
  forGood.until.reset();
  forGood.source = people::BanSource::FoundOnServer;
  const auto ids = OpenStore()->AddBans({ban, forGood});
  ASSERT_TRUE(ids) << ids.message;
  ban.liftedAt = ban.madeAt + std::chrono::minutes(5);
  ASSERT_TRUE(OpenStore()->UpdateBan(ids->at(0), ban));
  const auto kept = OpenStore()->Bans();
  ASSERT_TRUE(kept) << kept.message;
  // The latest made first; both were made at once, so the later row first.
  EXPECT_EQ(*kept, (std::vector<people::StoredBan>{{ids->at(1), forGood}, {ids->at(0), ban}}));
  EXPECT_FALSE(OpenStore()->UpdateBan(ids->at(1) + 7, ban));
}

TEST_F(Store, theServersBanFilesAreImportedOnceMarkedAsFoundInThem) {
  test_support::MemoryFileSystem files;
  files.AddFile("C:\\hlds\\tfc\\BANNED.CFG", "// writeid\r\nbanid 0.0 STEAM_0:1:1\r\nbanid 0 STEAM_ID_LAN\r\n");
  files.AddFile("C:\\hlds\\tfc\\listip.cfg", "addip 0.0 1.2.3.4\naddip 0 10.0.0.0/8\n");
  const people::WallTime now{std::chrono::seconds(kT)};
  auto store = OpenStore();
  const people::BanImport first = people::ImportServerBanFiles(*store, files, "C:\\hlds", now);
  EXPECT_TRUE(first.ok);
  EXPECT_EQ(first.added, 3);
  ASSERT_EQ(first.notes.size(), 1U);
  EXPECT_NE(first.notes[0].find("C:\\hlds\\Tfc\\banned.cfg"), std::string::npos) << first.notes[0];
  EXPECT_EQ(people::ImportServerBanFiles(*store, files, "C:\\hlds", now).added, 0);
  std::vector<std::string> found;
  const auto kept = store->Bans();
  for (const people::StoredBan& s : *kept)
    found.push_back(s.ban.target.Text() + " " + people::SourceText(s.ban.source, s.ban.target.GetKind()) +
                    (s.ban.Permanent() ? "" : " timed"));
  EXPECT_EQ(found, (std::vector<std::string>{"10.0.0.0/8 found in listip.cfg", "1.2.3.4 found in listip.cfg",
                                             "STEAM_0:1:1 found in banned.cfg"}));
}

TEST_F(Store, aBanFileThatCannotBeReadImportsNothingAndNamesTheFile) {
  test_support::MemoryFileSystem files;
  files.AddFile("C:\\hlds\\tfc\\banned.cfg", "banid 0.0 STEAM_0:1:1\n");
  files.AddFile("C:\\hlds\\tfc\\listip.cfg", "addip 0.0 1.2.3.4\n");
  files.FailOn(test_support::MemoryFileSystem::Op::Read, "C:\\hlds\\tfc\\listip.cfg", "Permission denied", 1);
  auto store = OpenStore();
  const people::BanImport failed = people::ImportServerBanFiles(*store, files, "C:\\hlds", {});
  EXPECT_FALSE(failed.ok);
  ASSERT_EQ(failed.notes.size(), 1U);
  EXPECT_EQ(failed.notes[0], "The bans in C:\\hlds\\Tfc\\listip.cfg were not imported: Permission denied");
  EXPECT_TRUE(store->Bans()->empty());
  EXPECT_EQ(people::ImportServerBanFiles(*store, files, "C:\\hlds", {}).added, 2);
}

INSTANTIATE_TEST_SUITE_P(FromEveryVersion, Migration, testing::Range(0, kSchemaVersion + 1),
                         [](const auto& info) { return "version" + std::to_string(info.param); });

TEST_F(Store, aFileWrittenByANewerProgramIsOnlyRead) {
  OpenStore().reset();
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(m_file.string().c_str(), &db), SQLITE_OK);
  sqlite3_exec(db, "PRAGMA user_version = 99", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  auto store = OpenStore();
  EXPECT_FALSE(store->Writable());
  ASSERT_EQ(m_notices.size(), 1U);
  EXPECT_NE(m_notices[0].find("newer"), std::string::npos);
}

TEST_F(Store, aFileThatIsNoDatabaseIsSetAsideUnderANewNameAndANewOneStarted) {
  fs::create_directories(m_dir);
  std::ofstream(m_file, std::ios::binary) << std::string(4096, 'x');
  auto store = OpenStore();
  ASSERT_TRUE(store->Record(SomeSessions()));
  ASSERT_EQ(m_notices.size(), 1U);
  std::vector<fs::path> aside;
  for (const auto& entry : fs::directory_iterator(m_dir))
    if (entry.path().filename().string().starts_with("players.sqlite3.damaged-")) aside.push_back(entry.path());
  ASSERT_EQ(aside.size(), 1U);
  EXPECT_EQ(fs::file_size(aside[0]), 4096U);
  EXPECT_NE(m_notices[0].find(aside[0].string()), std::string::npos);
  EXPECT_NE(m_notices[0].find(m_file.string() + "."), std::string::npos);
}

TEST_F(Store, aDamagedPageIsFoundByTheCheckAndTheFileSetAside) {
  {
    auto store = OpenStore();
    std::vector<Session> many;
    for (int i = 0; i < 400; ++i)
      many.push_back(Played("STEAM_0:0:" + std::to_string(i), "Player" + std::to_string(i), "1.1.1.1", kT + i, i));
    ASSERT_TRUE(store->Record(many));
  }
  // Overwrite a page in the middle with rubbish, past the header.
  {
    std::fstream f(m_file, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(4096 * 3);
    f << std::string(4096, '\x5a');
  }
  auto store = OpenStore();
  ASSERT_EQ(m_notices.size(), 1U);
  EXPECT_NE(m_notices[0].find("damaged"), std::string::npos);
  EXPECT_TRUE(store->Search("", 10)->empty());
}

TEST_F(Store, aFullDiskKeepsNothingOfTheBatchAndSaysSo) {
  auto store = OpenStore({.maxPageCount = 30});
  ASSERT_TRUE(store->Record(SomeSessions()));
  std::vector<Session> many;
  for (int i = 0; i < 3000; ++i)
    many.push_back(
        Played("STEAM_0:0:" + std::to_string(1000 + i), "Filler" + std::to_string(i), "2.2.2.2", kT + i, 100 + i));
  const people::StoreOutcome full = store->Record(many);
  ASSERT_FALSE(full);
  EXPECT_NE(full.message.find("full"), std::string::npos) << full.message;
  EXPECT_NE(full.message.find(m_file.string()), std::string::npos);
  EXPECT_TRUE(store->Search("Filler", 10)->empty());
  EXPECT_EQ(store->Search("", 100)->size(), 3U);
}

TEST_F(Store, aSecondCopyFindsTheStoreBusyReadsItAndSaysSoOnce) {
  auto first = OpenStore();
  ASSERT_TRUE(first->Record(SomeSessions()));
  auto second = OpenStore();
  EXPECT_TRUE(first->Writable());
  EXPECT_FALSE(second->Writable());
  ASSERT_EQ(m_notices.size(), 1U);
  EXPECT_NE(m_notices[0].find("another running copy"), std::string::npos);
  EXPECT_EQ(second->Search("Rocket", 10)->size(), 1U);
  EXPECT_FALSE(second->Record(SomeSessions()));
  ASSERT_TRUE(first->Record({Played("STEAM_0:0:5", "Later", "9.9.9.9", kT + 50, 9)}));
  EXPECT_EQ(second->Search("Later", 10)->size(), 1U);
}

TEST_F(Store, aFolderThatCannotBeMadeIsNamedWithTheReason) {
  fs::create_directories(m_dir);
  std::ofstream(m_dir / "taken") << "a file where the folder would go";
  const fs::path file = m_dir / "taken" / "quorvane" / "players.sqlite3";
  const OpenedStore opened = SqlitePlayerStore::Open(file);
  EXPECT_FALSE(opened.store);
  EXPECT_NE(opened.message.find(file.string()), std::string::npos) << opened.message;
  EXPECT_NE(opened.message.find("cannot be made"), std::string::npos) << opened.message;
}

TEST_F(Store, readingAFileThatIsNotThereSaysSoAndMakesNothing) {
  const OpenedStore opened = SqlitePlayerStore::Open(m_file, {.write = false});
  EXPECT_FALSE(opened.store);
  EXPECT_NE(opened.message.find(m_file.string()), std::string::npos);
  EXPECT_FALSE(fs::exists(m_dir));
}

}  // namespace
}  // namespace quorvane::store

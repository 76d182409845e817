#include "store/history_recorder.h"

#include <gtest/gtest.h>

#include <atomic>

#include "platform/scratch_dir.h"
#include "store/sqlite_player_store.h"

namespace quorvane::store {
namespace {

using people::Session;

// The real store behind a switch that makes it answer as a full disk would, and a count of the batches.
class Switchable : public people::PlayerStore {
 public:
  explicit Switchable(people::PlayerStore& real) : m_real(real) {}
  people::StoreOutcome Record(const std::vector<Session>& batch) override {
    std::lock_guard hold(m_mutex);
    ++batches;
    m_changed.notify_all();
    if (full) return people::StoreOutcome::Fail("The player history x could not be written: database or disk is full.");
    return m_real.Record(batch);
  }
  people::StoreAnswer<std::vector<people::PlayerRow>> Search(std::string_view t, std::size_t n) override {
    return m_real.Search(t, n);
  }
  people::StoreAnswer<people::PlayerDetails> Details(std::string_view key) override { return m_real.Details(key); }
  people::StoreOutcome Forget(std::string_view key) override { return m_real.Forget(key); }
  people::StoreOutcome SetKeepAddresses(bool keep) override { return m_real.SetKeepAddresses(keep); }
  bool KeepAddresses() const override { return m_real.KeepAddresses(); }
  bool Writable() const override { return m_real.Writable(); }
  bool WaitForBatches(int n) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::seconds(20), [&] { return batches >= n; });
  }
  std::atomic<bool> full = false;
  int batches = 0;

 private:
  people::PlayerStore& m_real;
  std::mutex m_mutex;
  std::condition_variable m_changed;
};

Session Played(int i) {
  Session s;
  s.key = s.steamId = "STEAM_0:0:" + std::to_string(i);
  s.userId = i;
  std::string name = "P";
  name += std::to_string(i);
  s.names = {name};
  s.joined = 1'700'000'000 + i;
  s.lastSeen = s.joined + 10;
  s.serverFolder = "tfc";
  s.serverPort = 27015;
  return s;
}

class Recorder : public testing::Test {
 protected:
  void SetUp() override {
    OpenedStore opened = SqlitePlayerStore::Open(m_dir.Path() / "players.sqlite3");
    ASSERT_TRUE(opened.store) << opened.message;
    m_store = std::move(opened.store);
  }
  std::size_t Stored() { return m_store->Search("", 100000)->size(); }
  platform::testing::ScratchDir m_dir;
  std::unique_ptr<SqlitePlayerStore> m_store;
  std::vector<std::string> m_notices;
  std::mutex m_noticeMutex;
  HistoryRecorder::Notice Collect() {
    return [this](const std::string& text) {
      std::lock_guard hold(m_noticeMutex);
      m_notices.push_back(text);
    };
  }
};

TEST_F(Recorder, aSessionChangedTwiceBeforeTheBatchIsWrittenAsItLastStood) {
  Switchable store(*m_store);
  HistoryRecorder recorder(store, Collect(), std::chrono::hours(1));
  Session s = Played(1);
  recorder.Add({s});
  s.names.push_back("Renamed");
  recorder.Add({s, Played(2)});
  recorder.Flush();
  EXPECT_EQ(store.batches, 1);
  EXPECT_EQ(Stored(), 2U);
  EXPECT_EQ(m_store->Details(s.key)->row.lastName, "Renamed");
}

TEST_F(Recorder, aThousandWaitingSessionsAreWrittenWithoutWaitingForTheTimer) {
  Switchable store(*m_store);
  HistoryRecorder recorder(store, Collect(), std::chrono::hours(1));
  std::vector<Session> many;
  for (int i = 0; i < static_cast<int>(HistoryRecorder::kBatchRows); ++i) many.push_back(Played(i));
  recorder.Add(many);
  ASSERT_TRUE(store.WaitForBatches(1));
  EXPECT_EQ(Stored(), HistoryRecorder::kBatchRows);
}

TEST_F(Recorder, writesOnItsOwnOnceTheSecondHasPassed) {
  Switchable store(*m_store);
  HistoryRecorder recorder(store, Collect(), std::chrono::milliseconds(10));
  recorder.Add({Played(1)});
  ASSERT_TRUE(store.WaitForBatches(1));
  EXPECT_EQ(Stored(), 1U);
}

TEST_F(Recorder, aFullDiskKeepsTheSessionsTellsOnceAndWritesThemOnceThereIsRoom) {
  Switchable store(*m_store);
  store.full = true;
  HistoryRecorder recorder(store, Collect(), std::chrono::hours(1));
  recorder.Add({Played(1), Played(2)});
  recorder.Flush();
  recorder.Add({Played(3)});
  recorder.Flush();
  EXPECT_EQ(recorder.Waiting(), 3U);
  ASSERT_EQ(m_notices.size(), 1U);
  EXPECT_NE(m_notices[0].find("full"), std::string::npos);
  store.full = false;
  recorder.Flush();
  EXPECT_EQ(recorder.Waiting(), 0U);
  EXPECT_EQ(Stored(), 3U);
}

TEST_F(Recorder, whatWaitsIsWrittenWhenTheRecorderEnds) {
  {
    HistoryRecorder recorder(*m_store, Collect(), std::chrono::hours(1));
    recorder.Add({Played(1)});
  }
  EXPECT_EQ(Stored(), 1U);
}

}  // namespace
}  // namespace quorvane::store

#pragma once
// The player history in one SQLite file. One running copy of the program
// writes it, holding its write lock from opening to closing; any other copy
// finds it busy and only reads. Writes are all-or-nothing batches.
#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "people/ban_store.h"
#include "people/player_store.h"

struct sqlite3;

namespace quorvane::store {

// The schema this program writes; older files are brought up to it when opened.
inline constexpr int kSchemaVersion = 3;

struct StoreOptions {
  bool write = true;                   // false: only read, never migrate nor lock
  int schemaVersion = kSchemaVersion;  // older versions only to make old files in tests
  long long maxPageCount = 0;          // above zero: a disk that fills at that size (tests)
};

class SqlitePlayerStore;

struct OpenedStore {
  std::unique_ptr<SqlitePlayerStore> store;  // none when the file cannot be used at all
  std::string message;                       // why not, naming the file
  std::vector<std::string> notices;          // what the user is told once: busy, damaged
};

// The bans are kept in the same file, beside the players they were made against.
class SqlitePlayerStore final : public people::PlayerStore, public people::BanStore {
 public:
  [[nodiscard]] static OpenedStore Open(const std::filesystem::path& file, const StoreOptions& options = {});
  ~SqlitePlayerStore() override;
  SqlitePlayerStore(const SqlitePlayerStore&) = delete;
  SqlitePlayerStore& operator=(const SqlitePlayerStore&) = delete;

  [[nodiscard]] people::StoreOutcome Record(const std::vector<people::Session>& batch) override;
  [[nodiscard]] people::StoreAnswer<std::vector<people::PlayerRow>> Search(std::string_view text,
                                                                           std::size_t limit) override;
  [[nodiscard]] people::StoreAnswer<people::PlayerDetails> Details(std::string_view key) override;
  [[nodiscard]] people::StoreOutcome Forget(std::string_view key) override;
  [[nodiscard]] people::StoreOutcome SetKeepAddresses(bool keep) override;
  bool KeepAddresses() const override;
  bool Writable() const override { return m_writable; }

  [[nodiscard]] people::StoreAnswer<std::vector<people::StoredBan>> Bans() override;
  [[nodiscard]] people::StoreAnswer<std::vector<long long>> AddBans(const std::vector<people::Ban>& bans) override;
  [[nodiscard]] people::StoreOutcome UpdateBan(long long id, const people::Ban& ban) override;
  [[nodiscard]] people::StoreAnswer<std::string> BanFilesImported() override;
  [[nodiscard]] people::StoreOutcome ImportBans(const std::vector<people::Ban>& bans, std::string_view folder) override;
  int SchemaVersion() const { return m_version; }

 private:
  SqlitePlayerStore(sqlite3* db, std::string name, int version, bool writable);
  // Runs `work` inside the held write transaction and commits it, or undoes all of it.
  [[nodiscard]] people::StoreOutcome Write(const std::function<int()>& work);
  [[nodiscard]] int RecordOne(const people::Session& session, std::vector<long long>& touched);
  [[nodiscard]] int Refresh(long long playerId);
  [[nodiscard]] int InsertBans(const std::vector<people::Ban>& bans, std::vector<long long>& ids);
  [[nodiscard]] people::StoreOutcome NoBansBefore() const;
  std::string Failure(std::string_view what) const;

  sqlite3* m_db;
  std::string m_name;  // the file's name as shown to the user
  int m_version;
  std::atomic<bool> m_writable;  // read by the window while the recorder writes
  bool m_keepAddresses = true;
  mutable std::mutex m_lock;  // the recorder's thread and the window share the connection
};

}  // namespace quorvane::store

#include "store/sqlite_player_store.h"

#include <sqlite3.h>

#include <algorithm>
#include <ctime>
#include <set>

namespace quorvane::store {
namespace {

namespace fs = std::filesystem;
using people::PlayerRow;
using people::Session;
using people::StoreOutcome;

// Each step takes the file from the version before it to its own number.
constexpr const char* kMigrations[] = {
    // 1: players with their totals kept up to date, one row a session, settings.
    "CREATE TABLE players(id INTEGER PRIMARY KEY, key TEXT NOT NULL UNIQUE, steam_id TEXT NOT NULL,"
    " kind INTEGER NOT NULL, last_name TEXT NOT NULL DEFAULT '', names TEXT NOT NULL DEFAULT '',"
    " first_seen INTEGER NOT NULL DEFAULT 0, last_seen INTEGER NOT NULL DEFAULT 0,"
    " total_seconds INTEGER NOT NULL DEFAULT 0, sessions INTEGER NOT NULL DEFAULT 0,"
    " last_address TEXT NOT NULL DEFAULT '', search_text TEXT NOT NULL DEFAULT '');"
    "CREATE INDEX players_by_last_seen ON players(last_seen);"
    "CREATE TABLE sessions(id INTEGER PRIMARY KEY,"
    " player_id INTEGER NOT NULL REFERENCES players(id) ON DELETE CASCADE,"
    " server_folder TEXT NOT NULL, server_port INTEGER NOT NULL, user_id INTEGER NOT NULL,"
    " joined INTEGER NOT NULL, last_seen INTEGER NOT NULL, left_at INTEGER, address TEXT NOT NULL,"
    " names TEXT NOT NULL, maps TEXT NOT NULL, UNIQUE(server_folder, server_port, user_id, joined));"
    "CREATE INDEX sessions_by_player ON sessions(player_id, joined);"
    "CREATE TABLE settings(name TEXT PRIMARY KEY, value TEXT NOT NULL);",
    // 2: any part of a name, SteamID or address found through a trigram index.
    "CREATE VIRTUAL TABLE player_text USING fts5(search_text, content='players', content_rowid='id',"
    " tokenize='trigram');"
    "INSERT INTO player_text(player_text) VALUES('rebuild');",
    // 3: bans with their reasons and lengths; lifted and expired ones stay listed.
    "CREATE TABLE bans(id INTEGER PRIMARY KEY, target TEXT NOT NULL, name TEXT NOT NULL DEFAULT '',"
    " reason TEXT NOT NULL DEFAULT '', source INTEGER NOT NULL, made_at INTEGER NOT NULL, until_at INTEGER,"
    " lifted_at INTEGER);"
    "CREATE INDEX bans_by_target ON bans(target);",
};
static_assert(std::size(kMigrations) == kSchemaVersion);

constexpr std::size_t kMaxNamesShown = 50;
constexpr int kMaxDetailSessions = 500;
constexpr long long kDenseMatches = 5000;

class Statement {
 public:
  Statement(sqlite3* db, const char* sql) { m_rc = sqlite3_prepare_v2(db, sql, -1, &m_s, nullptr); }
  ~Statement() { sqlite3_finalize(m_s); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  int Prepared() const { return m_rc; }
  Statement& Bind(int i, std::string_view text) {
    sqlite3_bind_text(m_s, i, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    return *this;
  }
  Statement& Bind(int i, long long value) {
    sqlite3_bind_int64(m_s, i, value);
    return *this;
  }
  Statement& BindNull(int i) {
    sqlite3_bind_null(m_s, i);
    return *this;
  }
  int Step() { return m_rc == SQLITE_OK ? sqlite3_step(m_s) : m_rc; }
  std::string Text(int c) const {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_s, c));
    return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(m_s, c))) : std::string();
  }
  long long Int(int c) const { return sqlite3_column_int64(m_s, c); }
  bool IsNull(int c) const { return sqlite3_column_type(m_s, c) == SQLITE_NULL; }

 private:
  sqlite3_stmt* m_s = nullptr;
  int m_rc;
};

int Exec(sqlite3* db, const std::string& sql) { return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr); }

std::string Joined(const std::vector<std::string>& parts) {
  std::string out;
  for (std::size_t i = 0; i < parts.size(); ++i) out += (i == 0 ? "" : "\n") + parts[i];
  return out;
}

std::vector<std::string> Split(std::string_view text) {
  std::vector<std::string> out;
  if (text.empty()) return out;
  for (std::size_t start = 0;;) {
    const std::size_t end = text.find('\n', start);
    out.emplace_back(text.substr(start, end - start));
    if (end == std::string_view::npos) return out;
    start = end + 1;
  }
}

std::string Utf8Path(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::string UtcStamp() {
  const std::time_t now = std::time(nullptr);
  char text[32] = {};
  if (const std::tm* utc = std::gmtime(&now)) std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", utc);
  return text;
}

// A file that is not a database, or one whose pages do not hold together.
bool Damaged(sqlite3* db, int openRc) {
  if (openRc == SQLITE_NOTADB || openRc == SQLITE_CORRUPT) return true;
  Statement check(db, "PRAGMA quick_check");
  const int rc = check.Step();
  if (rc == SQLITE_NOTADB || rc == SQLITE_CORRUPT) return true;
  return rc == SQLITE_ROW && check.Text(0) != "ok";
}

// The damaged file and whatever journal it left, kept under one new name.
std::string SetAside(const fs::path& file, std::error_code& error) {
  const fs::path aside = fs::path(file).concat(".damaged-" + UtcStamp());
  fs::rename(file, aside, error);
  if (error) return {};
  for (const char* journal : {"-wal", "-shm"}) {
    std::error_code ignored;
    const fs::path side = fs::path(file).concat(journal);
    if (fs::exists(side, ignored)) fs::rename(side, fs::path(aside).concat(journal), ignored);
  }
  return Utf8Path(aside);
}

PlayerRow ReadRow(const Statement& s) {
  PlayerRow row;
  row.key = s.Text(0);
  row.steamId = s.Text(1);
  row.kind = static_cast<people::PlayerKind>(std::clamp<long long>(s.Int(2), 0, 2));
  row.lastName = s.Text(3);
  row.otherNames = Split(s.Text(4));
  if (!row.otherNames.empty()) row.otherNames.erase(row.otherNames.begin());
  row.firstSeen = s.Int(5);
  row.lastSeen = s.Int(6);
  row.totalSeconds = s.Int(7);
  row.sessions = s.Int(8);
  row.lastAddress = s.Text(9);
  return row;
}

constexpr const char* kRowColumns =
    "p.key, p.steam_id, p.kind, p.last_name, p.names, p.first_seen, p.last_seen, p.total_seconds, p.sessions, "
    "p.last_address";

// `text` as one FTS5 phrase: quotes doubled, nothing else special inside.
std::string Phrase(std::string_view text) {
  std::string out = "\"";
  for (char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

std::string LikePattern(std::string_view text) {
  std::string out = "%";
  for (char c : text) {
    if (c == '%' || c == '_' || c == '\\') out += '\\';
    out += c;
  }
  return out + "%";
}

constexpr const char* kImportedKey = "ban_files_imported";

long long Seconds(people::WallTime t) { return t.time_since_epoch().count(); }
people::WallTime At(long long seconds) { return people::WallTime(std::chrono::seconds(seconds)); }

void BindTime(Statement& s, int i, const std::optional<people::WallTime>& t) {
  if (t)
    s.Bind(i, Seconds(*t));
  else
    s.BindNull(i);
}

// name, reason, source, made_at, until_at, lifted_at from ?2 on; the target at ?1.
void BindBan(Statement& s, const people::Ban& ban) {
  s.Bind(1, ban.target.Text()).Bind(2, ban.name).Bind(3, ban.reason).Bind(4, static_cast<long long>(ban.source));
  s.Bind(5, Seconds(ban.madeAt));
  BindTime(s, 6, ban.until);
  BindTime(s, 7, ban.liftedAt);
}

}  // namespace

OpenedStore SqlitePlayerStore::Open(const fs::path& file, const StoreOptions& options) {
  OpenedStore out;
  const std::string name = Utf8Path(file);
  std::error_code error;
  if (!options.write && !fs::exists(file, error)) {
    out.message = "There is no player history yet: " + name + " does not exist.";
    return out;
  }
  if (options.write) {
    fs::create_directories(file.parent_path(), error);
    if (error) {
      out.message = "The folder of the player history " + name + " cannot be made: " + error.message();
      return out;
    }
  }
  for (int attempt = 0; attempt < 2; ++attempt) {
    sqlite3* db = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | (options.write ? SQLITE_OPEN_CREATE : 0);
    if (sqlite3_open_v2(name.c_str(), &db, flags, nullptr) != SQLITE_OK) {
      out.message = "The player history " + name + " cannot be opened: " + sqlite3_errmsg(db);
      sqlite3_close_v2(db);
      return out;
    }
    sqlite3_busy_timeout(db, 2000);
    const int walRc = Exec(db, "PRAGMA journal_mode=WAL");
    if (Damaged(db, walRc)) {
      sqlite3_close_v2(db);
      if (!options.write || attempt > 0) {
        out.message = "The player history " + name + " is damaged.";
        return out;
      }
      const std::string aside = SetAside(file, error);
      if (aside.empty()) {
        out.message = "The player history " + name + " is damaged and cannot be set aside: " + error.message();
        return out;
      }
      out.notices.push_back("The player history " + name + " was damaged. It was kept as " + aside +
                            " and a new one was started at " + name + ".");
      continue;
    }
    Exec(db, "PRAGMA synchronous=NORMAL");
    Exec(db, "PRAGMA foreign_keys=ON");
    if (options.maxPageCount > 0) Exec(db, "PRAGMA max_page_count=" + std::to_string(options.maxPageCount));
    int version = 0;
    {
      Statement v(db, "PRAGMA user_version");
      if (v.Step() == SQLITE_ROW) version = static_cast<int>(v.Int(0));
    }
    bool writable = options.write && version <= options.schemaVersion;
    if (options.write && !writable)
      out.notices.push_back("The player history " + name +
                            " was written by a newer Quorvane; this one only reads it and records nothing.");
    if (writable) {
      const int rc = Exec(db, "BEGIN IMMEDIATE");
      if (rc == SQLITE_BUSY) {
        writable = false;
        out.notices.push_back("The player history " + name +
                              " is kept by another running copy of Quorvane; this one only reads it and records "
                              "nothing.");
      } else if (rc != SQLITE_OK) {
        out.message = "The player history " + name + " cannot be written: " + sqlite3_errmsg(db);
        sqlite3_close_v2(db);
        return out;
      }
    }
    if (writable && version < options.schemaVersion) {
      for (int step = version; step < options.schemaVersion; ++step) {
        if (Exec(db, kMigrations[step]) != SQLITE_OK ||
            Exec(db, "PRAGMA user_version=" + std::to_string(step + 1)) != SQLITE_OK) {
          out.message = "The player history " + name + " cannot be brought up to date: " + sqlite3_errmsg(db);
          Exec(db, "ROLLBACK");
          sqlite3_close_v2(db);
          return out;
        }
      }
      version = options.schemaVersion;
      // Held from here on: the write lock says which copy of the program records.
      if (Exec(db, "COMMIT") != SQLITE_OK || Exec(db, "BEGIN IMMEDIATE") != SQLITE_OK) {
        out.message = "The player history " + name + " cannot be written: " + sqlite3_errmsg(db);
        sqlite3_close_v2(db);
        return out;
      }
    }
    out.store.reset(new SqlitePlayerStore(db, name, version, writable));
    return out;
  }
  return out;
}

SqlitePlayerStore::SqlitePlayerStore(sqlite3* db, std::string name, int version, bool writable)
    : m_db(db), m_name(std::move(name)), m_version(version), m_writable(writable) {
  if (m_version < 1) return;
  Statement s(m_db, "SELECT value FROM settings WHERE name = 'keep_addresses'");
  if (s.Step() == SQLITE_ROW) m_keepAddresses = s.Text(0) != "0";
}

SqlitePlayerStore::~SqlitePlayerStore() {
  if (m_writable) Exec(m_db, "COMMIT");
  sqlite3_close_v2(m_db);
}

std::string SqlitePlayerStore::Failure(std::string_view what) const {
  return "The player history " + m_name + " " + std::string(what) + ": " + sqlite3_errmsg(m_db);
}

StoreOutcome SqlitePlayerStore::Write(const std::function<int()>& work) {
  if (!m_writable)
    return StoreOutcome::Fail("The player history " + m_name +
                              " is kept by another running copy of Quorvane; this one only reads it.");
  int rc = work();
  if (rc == SQLITE_OK || rc == SQLITE_DONE) rc = Exec(m_db, "COMMIT");
  if (rc != SQLITE_OK && rc != SQLITE_DONE) {
    // A statement already finalized may have taken the connection's message with it; the code stays.
    StoreOutcome failed =
        StoreOutcome::Fail(sqlite3_errcode(m_db) == SQLITE_OK
                               ? "The player history " + m_name + " could not be written: " + sqlite3_errstr(rc)
                               : Failure("could not be written"));
    // Nothing of the batch stays: the whole transaction goes.
    if (!sqlite3_get_autocommit(m_db)) Exec(m_db, "ROLLBACK");
    if (Exec(m_db, "BEGIN IMMEDIATE") != SQLITE_OK) m_writable = false;
    return failed;
  }
  if (Exec(m_db, "BEGIN IMMEDIATE") != SQLITE_OK) m_writable = false;
  return {};
}

int SqlitePlayerStore::RecordOne(const Session& given, std::vector<long long>& touched) {
  Session s = given;
  if (!m_keepAddresses && !s.address.empty()) {
    const std::string& first = s.names.empty() ? s.steamId : s.names.front();
    if (s.key.find(s.address) != std::string::npos) s.key = s.steamId + " " + first;
    s.address.clear();
  }
  Statement player(m_db,
                   "INSERT INTO players(key, steam_id, kind) VALUES(?1, ?2, ?3) "
                   "ON CONFLICT(key) DO UPDATE SET steam_id = excluded.steam_id RETURNING id");
  player.Bind(1, s.key).Bind(2, s.steamId).Bind(3, static_cast<long long>(s.kind));
  int rc = player.Step();
  if (rc != SQLITE_ROW) return rc;
  const long long playerId = player.Int(0);
  touched.push_back(playerId);
  {
    Statement before(m_db,
                     "SELECT player_id FROM sessions WHERE server_folder = ?1 AND server_port = ?2 AND user_id = ?3 "
                     "AND joined = ?4");
    before.Bind(1, s.serverFolder).Bind(2, s.serverPort).Bind(3, s.userId).Bind(4, s.joined);
    if (before.Step() == SQLITE_ROW) touched.push_back(before.Int(0));
  }
  Statement session(m_db,
                    "INSERT INTO sessions(player_id, server_folder, server_port, user_id, joined, last_seen, left_at, "
                    "address, names, maps) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10) "
                    "ON CONFLICT(server_folder, server_port, user_id, joined) DO UPDATE SET "
                    "player_id = excluded.player_id, last_seen = excluded.last_seen, left_at = excluded.left_at, "
                    "address = excluded.address, names = excluded.names, maps = excluded.maps");
  session.Bind(1, playerId).Bind(2, s.serverFolder).Bind(3, s.serverPort).Bind(4, s.userId).Bind(5, s.joined);
  session.Bind(6, s.lastSeen);
  if (s.left)
    session.Bind(7, *s.left);
  else
    session.BindNull(7);
  session.Bind(8, s.address).Bind(9, Joined(s.names)).Bind(10, Joined(s.maps));
  return session.Step();
}

// The player's totals, names and search text from their sessions; a player without any goes.
int SqlitePlayerStore::Refresh(long long playerId) {
  std::string key, steamId, oldText;
  {
    Statement p(m_db, "SELECT key, steam_id, search_text FROM players WHERE id = ?1");
    p.Bind(1, playerId);
    const int rc = p.Step();
    if (rc == SQLITE_DONE) return SQLITE_OK;
    if (rc != SQLITE_ROW) return rc;
    key = p.Text(0);
    steamId = p.Text(1);
    oldText = p.Text(2);
  }
  if (m_version >= 2 && !oldText.empty()) {
    Statement drop(m_db, "INSERT INTO player_text(player_text, rowid, search_text) VALUES('delete', ?1, ?2)");
    if (const int rc = drop.Bind(1, playerId).Bind(2, oldText).Step(); rc != SQLITE_DONE) return rc;
  }
  Statement totals(m_db,
                   "SELECT count(*), min(joined), max(last_seen), sum(coalesce(left_at, last_seen) - joined) "
                   "FROM sessions WHERE player_id = ?1");
  totals.Bind(1, playerId);
  if (const int rc = totals.Step(); rc != SQLITE_ROW) return rc;
  if (totals.Int(0) == 0) {
    Statement gone(m_db, "DELETE FROM players WHERE id = ?1");
    const int rc = gone.Bind(1, playerId).Step();
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
  }
  std::vector<std::string> names, addresses;
  std::set<std::string> seenNames, seenAddresses;
  Statement each(m_db, "SELECT names, address FROM sessions WHERE player_id = ?1 ORDER BY last_seen DESC");
  each.Bind(1, playerId);
  int rc;
  while ((rc = each.Step()) == SQLITE_ROW) {
    std::vector<std::string> used = Split(each.Text(0));
    for (auto n = used.rbegin(); n != used.rend() && names.size() < kMaxNamesShown; ++n)
      if (seenNames.insert(*n).second) names.push_back(*n);
    if (std::string a = each.Text(1); !a.empty() && seenAddresses.insert(a).second) addresses.push_back(a);
  }
  if (rc != SQLITE_DONE) return rc;
  std::vector<std::string> words = {key, steamId};
  words.insert(words.end(), names.begin(), names.end());
  words.insert(words.end(), addresses.begin(), addresses.end());
  const std::string text = Joined(words);
  Statement update(m_db,
                   "UPDATE players SET last_name = ?2, names = ?3, first_seen = ?4, last_seen = ?5, "
                   "total_seconds = ?6, sessions = ?7, last_address = ?8, search_text = ?9 WHERE id = ?1");
  update.Bind(1, playerId).Bind(2, names.empty() ? std::string() : names.front()).Bind(3, Joined(names));
  update.Bind(4, totals.Int(1)).Bind(5, totals.Int(2)).Bind(6, totals.Int(3)).Bind(7, totals.Int(0));
  update.Bind(8, addresses.empty() ? std::string() : addresses.front()).Bind(9, text);
  if (rc = update.Step(); rc != SQLITE_DONE) return rc;
  if (m_version >= 2) {
    Statement add(m_db, "INSERT INTO player_text(rowid, search_text) VALUES(?1, ?2)");
    if (rc = add.Bind(1, playerId).Bind(2, text).Step(); rc != SQLITE_DONE) return rc;
  }
  return SQLITE_OK;
}

StoreOutcome SqlitePlayerStore::Record(const std::vector<Session>& batch) {
  const std::lock_guard hold(m_lock);
  return Write([&] {
    std::vector<long long> touched;
    for (const Session& s : batch)
      if (const int rc = RecordOne(s, touched); rc != SQLITE_DONE) return rc;
    std::sort(touched.begin(), touched.end());
    touched.erase(std::unique(touched.begin(), touched.end()), touched.end());
    for (long long id : touched)
      if (const int rc = Refresh(id); rc != SQLITE_OK) return rc;
    return SQLITE_OK;
  });
}

people::StoreAnswer<std::vector<PlayerRow>> SqlitePlayerStore::Search(std::string_view text, std::size_t limit) {
  const std::lock_guard hold(m_lock);
  bool trigram = m_version >= 2 && text.size() >= 3;
  if (trigram) {
    // A text most players hold is better found walking the players latest first until
    // the rows are enough than by sorting every match.
    Statement count(m_db, "SELECT count(*) FROM (SELECT 1 FROM player_text WHERE player_text MATCH ?1 LIMIT ?2)");
    count.Bind(1, Phrase(text)).Bind(2, kDenseMatches);
    if (const int rc = count.Step(); rc != SQLITE_ROW) return {std::nullopt, Failure("cannot be searched")};
    trigram = count.Int(0) < kDenseMatches;
  }
  const bool dense = m_version >= 2 && text.size() >= 3 && !trigram;
  std::string sql = std::string("SELECT ") + kRowColumns + " FROM players p ";
  // A text too short for the index is looked for in every row, read in the table's own order.
  sql += dense ? "INDEXED BY players_by_last_seen " : trigram || text.empty() ? "" : "NOT INDEXED ";
  if (trigram)
    sql += "WHERE p.id IN (SELECT rowid FROM player_text WHERE player_text MATCH ?1) ";
  else if (!text.empty())
    sql += "WHERE p.search_text LIKE ?1 ESCAPE '\\' ";
  sql += "ORDER BY p.last_seen DESC LIMIT ?2";
  Statement s(m_db, sql.c_str());
  if (trigram)
    s.Bind(1, Phrase(text));
  else if (!text.empty())
    s.Bind(1, LikePattern(text));
  s.Bind(2, static_cast<long long>(limit));
  std::vector<PlayerRow> rows;
  int rc;
  while ((rc = s.Step()) == SQLITE_ROW) rows.push_back(ReadRow(s));
  if (rc != SQLITE_DONE) return {std::nullopt, Failure("cannot be searched")};
  return {std::move(rows), {}};
}

people::StoreAnswer<people::PlayerDetails> SqlitePlayerStore::Details(std::string_view key) {
  const std::lock_guard hold(m_lock);
  Statement p(m_db, (std::string("SELECT ") + kRowColumns + ", p.id, p.kind FROM players p WHERE p.key = ?1").c_str());
  p.Bind(1, key);
  const int rc = p.Step();
  if (rc == SQLITE_DONE) return {std::nullopt, "The player history " + m_name + " holds no player " + std::string(key)};
  if (rc != SQLITE_ROW) return {std::nullopt, Failure("cannot be read")};
  people::PlayerDetails details;
  details.row = ReadRow(p);
  Statement s(m_db,
              "SELECT server_folder, server_port, user_id, joined, last_seen, left_at, address, names, maps "
              "FROM sessions WHERE player_id = ?1 ORDER BY joined DESC LIMIT ?2");
  s.Bind(1, p.Int(10)).Bind(2, static_cast<long long>(kMaxDetailSessions));
  int step;
  while ((step = s.Step()) == SQLITE_ROW) {
    Session one;
    one.key = details.row.key;
    one.steamId = details.row.steamId;
    one.kind = details.row.kind;
    one.serverFolder = s.Text(0);
    one.serverPort = static_cast<int>(s.Int(1));
    one.userId = static_cast<int>(s.Int(2));
    one.joined = s.Int(3);
    one.lastSeen = s.Int(4);
    if (!s.IsNull(5)) one.left = s.Int(5);
    one.address = s.Text(6);
    one.names = Split(s.Text(7));
    one.maps = Split(s.Text(8));
    details.sessions.push_back(std::move(one));
  }
  if (step != SQLITE_DONE) return {std::nullopt, Failure("cannot be read")};
  return {std::move(details), {}};
}

StoreOutcome SqlitePlayerStore::Forget(std::string_view key) {
  const std::lock_guard hold(m_lock);
  return Write([&] {
    long long id = 0;
    std::string text;
    {
      Statement p(m_db, "SELECT id, search_text FROM players WHERE key = ?1");
      const int rc = p.Bind(1, key).Step();
      if (rc == SQLITE_DONE) return SQLITE_OK;
      if (rc != SQLITE_ROW) return rc;
      id = p.Int(0);
      text = p.Text(1);
    }
    if (m_version >= 2 && !text.empty()) {
      Statement drop(m_db, "INSERT INTO player_text(player_text, rowid, search_text) VALUES('delete', ?1, ?2)");
      if (const int rc = drop.Bind(1, id).Bind(2, text).Step(); rc != SQLITE_DONE) return rc;
    }
    // The sessions go with the player (ON DELETE CASCADE).
    Statement gone(m_db, "DELETE FROM players WHERE id = ?1");
    return gone.Bind(1, id).Step();
  });
}

StoreOutcome SqlitePlayerStore::SetKeepAddresses(bool keep) {
  const std::lock_guard hold(m_lock);
  StoreOutcome done = Write([&] {
    Statement set(m_db, "INSERT OR REPLACE INTO settings(name, value) VALUES('keep_addresses', ?1)");
    if (const int rc = set.Bind(1, std::string(keep ? "1" : "0")).Step(); rc != SQLITE_DONE) return rc;
    if (keep) return SQLITE_OK;
    // Addresses no longer kept are not kept from before either.
    for (const char* wipe : {"UPDATE sessions SET address = '' WHERE address <> ''",
                             "UPDATE players SET last_address = '' WHERE last_address <> ''"})
      if (const int rc = Exec(m_db, wipe); rc != SQLITE_OK) return rc;
    std::vector<long long> ids;
    {
      Statement all(m_db, "SELECT id FROM players");
      int rc;
      while ((rc = all.Step()) == SQLITE_ROW) ids.push_back(all.Int(0));
      if (rc != SQLITE_DONE) return rc;
    }
    for (long long id : ids)
      if (const int rc = Refresh(id); rc != SQLITE_OK) return rc;
    return SQLITE_OK;
  });
  if (done) m_keepAddresses = keep;
  return done;
}

bool SqlitePlayerStore::KeepAddresses() const {
  const std::lock_guard hold(m_lock);
  return m_keepAddresses;
}

StoreOutcome SqlitePlayerStore::NoBansBefore() const {
  return StoreOutcome::Fail("The player history " + m_name +
                            " was written by an older Quorvane and cannot keep bans until it is brought up to date.");
}

people::StoreAnswer<std::vector<people::StoredBan>> SqlitePlayerStore::Bans() {
  const std::lock_guard hold(m_lock);
  if (m_version < 3) return {std::vector<people::StoredBan>{}, {}};
  Statement s(m_db,
              "SELECT id, target, name, reason, source, made_at, until_at, lifted_at FROM bans "
              "ORDER BY made_at DESC, id DESC");
  std::vector<people::StoredBan> bans;
  int rc;
  while ((rc = s.Step()) == SQLITE_ROW) {
    // Only checked targets are written; a row that is none was not written by this program.
    const people::Result<people::BanTarget> target = people::ParseBanTarget(s.Text(1));
    if (!target) continue;
    people::Ban ban{*target,
                    s.Text(2),
                    s.Text(3),
                    static_cast<people::BanSource>(std::clamp<long long>(s.Int(4), 0, 2)),
                    At(s.Int(5)),
                    s.IsNull(6) ? std::nullopt : std::optional(At(s.Int(6))),
                    s.IsNull(7) ? std::nullopt : std::optional(At(s.Int(7)))};
    bans.push_back({s.Int(0), std::move(ban)});
  }
  if (rc != SQLITE_DONE) return {std::nullopt, Failure("cannot be read")};
  return {std::move(bans), {}};
}

int SqlitePlayerStore::InsertBans(const std::vector<people::Ban>& bans, std::vector<long long>& ids) {
  for (const people::Ban& ban : bans) {
    Statement add(m_db,
                  "INSERT INTO bans(target, name, reason, source, made_at, until_at, lifted_at) "
                  "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7) RETURNING id");
    BindBan(add, ban);
    if (const int rc = add.Step(); rc != SQLITE_ROW) return rc;
    ids.push_back(add.Int(0));
  }
  return SQLITE_OK;
}

people::StoreAnswer<std::vector<long long>> SqlitePlayerStore::AddBans(const std::vector<people::Ban>& bans) {
  const std::lock_guard hold(m_lock);
  if (m_version < 3) return {std::nullopt, NoBansBefore().message};
  std::vector<long long> ids;
  if (const StoreOutcome done = Write([&] { return InsertBans(bans, ids); }); !done)
    return {std::nullopt, done.message};
  return {std::move(ids), {}};
}

StoreOutcome SqlitePlayerStore::UpdateBan(long long id, const people::Ban& ban) {
  const std::lock_guard hold(m_lock);
  if (m_version < 3) return NoBansBefore();
  bool found = false;
  StoreOutcome done = Write([&] {
    Statement set(m_db,
                  "UPDATE bans SET target = ?1, name = ?2, reason = ?3, source = ?4, made_at = ?5, until_at = ?6, "
                  "lifted_at = ?7 WHERE id = ?8");
    BindBan(set, ban);
    set.Bind(8, id);
    const int rc = set.Step();
    found = sqlite3_changes(m_db) > 0;
    return rc;
  });
  if (done && !found) return StoreOutcome::Fail("The player history " + m_name + " holds no such ban any more.");
  return done;
}

people::StoreAnswer<std::string> SqlitePlayerStore::BanFilesImported() {
  const std::lock_guard hold(m_lock);
  if (m_version < 3) return {std::string(), {}};
  Statement s(m_db, "SELECT value FROM settings WHERE name = ?1");
  s.Bind(1, std::string_view(kImportedKey));
  const int rc = s.Step();
  if (rc == SQLITE_DONE) return {std::string(), {}};
  if (rc != SQLITE_ROW) return {std::nullopt, Failure("cannot be read")};
  return {s.Text(0), {}};
}

StoreOutcome SqlitePlayerStore::ImportBans(const std::vector<people::Ban>& bans, std::string_view folder) {
  const std::lock_guard hold(m_lock);
  if (m_version < 3) return NoBansBefore();
  return Write([&] {
    std::vector<long long> ids;
    if (const int rc = InsertBans(bans, ids); rc != SQLITE_OK) return rc;
    Statement mark(m_db, "INSERT OR REPLACE INTO settings(name, value) VALUES(?1, ?2)");
    return mark.Bind(1, std::string_view(kImportedKey)).Bind(2, folder).Step();
  });
}

}  // namespace quorvane::store

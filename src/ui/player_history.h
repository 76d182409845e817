#pragma once
// The player history as the program keeps it: the session builder fed with
// the server watch's log lines and status answers, the recorder that writes
// them off the event loop, and the store that answers the History tab. The
// store is opened at its first use, so that a start nobody plays on never waits for it.
#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "monitor/log_line.h"
#include "people/ban_store.h"
#include "people/player_store.h"
#include "people/session_builder.h"

namespace quorvane::store {
class HistoryRecorder;
class SqlitePlayerStore;
}  // namespace quorvane::store

namespace quorvane::ui {

class PlayerHistory : public QObject {
  Q_OBJECT
 public:
  explicit PlayerHistory(std::filesystem::path file, QObject* parent = nullptr);
  ~PlayerHistory() override;

  // The server whose lines come next; another server starts its sessions afresh.
  void Listen(const std::string& serverFolder, int serverPort);
  void HeardLog(const monitor::LogLine& line);
  void HeardStatus(const std::string& answer);
  // The store, opened on first use; none when it cannot be opened (the notice says why).
  people::PlayerStore* Store();
  // The bans kept in the same store; none when it cannot be opened.
  people::BanStore* Bans();
  // Writes what waits now (tests, and before the program ends).
  void Flush();

 signals:
  // Something the user is told once: the store busy, set aside, full or unusable.
  void notice(const QString& text);

 private:
  void Pass();

  std::filesystem::path m_file;
  bool m_tried = false;
  std::unique_ptr<store::SqlitePlayerStore> m_store;
  std::unique_ptr<store::HistoryRecorder> m_recorder;
  std::unique_ptr<people::SessionBuilder> m_builder;
  std::string m_folder;
  int m_port = 0;
};

// One player row as the History tab and `--history` show it, column by column.
QStringList HistoryColumns();
QStringList HistoryRowTexts(const people::PlayerRow& row);
QString HistoryTime(people::Stamp stamp);
QString HistoryDuration(long long seconds);

// `quorvane --history TEXT [--json]`: the players whose name, SteamID or address holds TEXT.
int RunHistory(const std::optional<std::filesystem::path>& file, const QString& text, bool json, std::FILE* out,
               std::FILE* err);

}  // namespace quorvane::ui

#include "ui/player_history.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>

#include "store/history_recorder.h"
#include "store/sqlite_player_store.h"
#include "ui/ansi_text.h"

namespace quorvane::ui {
namespace {

QString PathText(const std::filesystem::path& file) {
  const std::u8string text = file.u8string();
  return QString::fromUtf8(reinterpret_cast<const char*>(text.data()), static_cast<qsizetype>(text.size()));
}

// Now, as the server's log tells time: the local clock's fields.
people::Stamp LocalNow() {
  const QDateTime now = QDateTime::currentDateTime();
  const QDate d = now.date();
  const QTime t = now.time();
  return people::MakeStamp(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second());
}

constexpr std::size_t kCommandLineRows = 1000;

}  // namespace

PlayerHistory::PlayerHistory(std::filesystem::path file, QObject* parent) : QObject(parent), m_file(std::move(file)) {}

// The recorder goes first: it writes what waits through the store.
PlayerHistory::~PlayerHistory() { m_recorder.reset(); }

people::PlayerStore* PlayerHistory::Store() {
  if (m_tried) return m_store.get();
  m_tried = true;
  store::OpenedStore opened = store::SqlitePlayerStore::Open(m_file);
  for (const std::string& text : opened.notices) emit notice(QString::fromStdString(text));
  if (!opened.store) {
    emit notice(QString::fromStdString(opened.message) + QStringLiteral(" No player history is kept in this run."));
    return nullptr;
  }
  m_store = std::move(opened.store);
  if (m_store->Writable()) {
    QPointer<PlayerHistory> self(this);
    m_recorder = std::make_unique<store::HistoryRecorder>(*m_store, [self](const std::string& text) {
      // From the recorder's thread to the window's.
      QMetaObject::invokeMethod(
          self.data(),
          [self, shown = QString::fromStdString(text)] {
            if (self) emit self->notice(shown);
          },
          Qt::QueuedConnection);
    });
  }
  return m_store.get();
}

people::BanStore* PlayerHistory::Bans() {
  Store();
  return m_store.get();
}

void PlayerHistory::Listen(const std::string& serverFolder, int serverPort) {
  if (m_builder && serverFolder == m_folder && serverPort == m_port) return;
  if (m_builder) Pass();
  m_folder = serverFolder;
  m_port = serverPort;
  m_builder = std::make_unique<people::SessionBuilder>(m_folder, m_port);
}

void PlayerHistory::HeardLog(const monitor::LogLine& line) {
  if (!m_builder) return;
  m_builder->AddLogMessage(people::MakeStamp(line.year, line.month, line.day, line.hour, line.minute, line.second),
                           line.message);
  Pass();
}

void PlayerHistory::HeardStatus(const std::string& answer) {
  if (!m_builder) return;
  m_builder->AddStatus(LocalNow(), answer);
  Pass();
}

void PlayerHistory::Pass() {
  std::vector<people::Session> changed = m_builder->TakeChanged();
  if (changed.empty()) return;
  Store();
  if (m_recorder) m_recorder->Add(std::move(changed));
}

void PlayerHistory::Flush() {
  if (m_recorder) m_recorder->Flush();
}

QStringList HistoryColumns() {
  return {QStringLiteral("Last name"),  QStringLiteral("SteamID"),     QStringLiteral("Other names"),
          QStringLiteral("First seen"), QStringLiteral("Last seen"),   QStringLiteral("Total time"),
          QStringLiteral("Sessions"),   QStringLiteral("Last address")};
}

QString HistoryTime(people::Stamp stamp) {
  return QDateTime::fromSecsSinceEpoch(stamp).toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

QString HistoryDuration(long long seconds) {
  return QStringLiteral("%1:%2:%3")
      .arg(seconds / 3600)
      .arg(seconds / 60 % 60, 2, 10, QChar('0'))
      .arg(seconds % 60, 2, 10, QChar('0'));
}

QStringList HistoryRowTexts(const people::PlayerRow& row) {
  QStringList others;
  for (const std::string& name : row.otherNames) others << FromAnsi(name);
  return {FromAnsi(row.lastName),
          QString::fromStdString(row.steamId),
          others.join(QStringLiteral(", ")),
          HistoryTime(row.firstSeen),
          HistoryTime(row.lastSeen),
          HistoryDuration(row.totalSeconds),
          QString::number(row.sessions),
          QString::fromStdString(row.lastAddress)};
}

int RunHistory(const std::optional<std::filesystem::path>& file, const QString& text, bool json, std::FILE* out,
               std::FILE* err) {
  if (!file) {
    std::fputs("quorvane: this system has no place for the player history.\n", err);
    return 1;
  }
  const store::OpenedStore opened = store::SqlitePlayerStore::Open(*file, {.write = false});
  if (!opened.store) {
    std::fprintf(err, "quorvane: %s\n", opened.message.c_str());
    return 1;
  }
  const auto rows = opened.store->Search(ToAnsi(text), kCommandLineRows);
  if (!rows) {
    std::fprintf(err, "quorvane: %s\n", rows.message.c_str());
    return 1;
  }
  if (json) {
    QJsonArray players;
    for (const people::PlayerRow& row : *rows) {
      QJsonArray others;
      for (const std::string& name : row.otherNames) others.append(FromAnsi(name));
      players.append(QJsonObject{{"lastName", FromAnsi(row.lastName)},
                                 {"steamId", QString::fromStdString(row.steamId)},
                                 {"otherNames", others},
                                 {"firstSeen", HistoryTime(row.firstSeen)},
                                 {"lastSeen", HistoryTime(row.lastSeen)},
                                 {"totalSeconds", row.totalSeconds},
                                 {"sessions", row.sessions},
                                 {"lastAddress", QString::fromStdString(row.lastAddress)}});
    }
    std::fputs(QJsonDocument(players).toJson(QJsonDocument::Indented).constData(), out);
    return 0;
  }
  std::fprintf(out, "%s\n", HistoryColumns().join('\t').toUtf8().constData());
  for (const people::PlayerRow& row : *rows)
    std::fprintf(out, "%s\n", HistoryRowTexts(row).join('\t').toUtf8().constData());
  if (rows->empty()) std::fprintf(err, "No player in %s matches.\n", PathText(*file).toUtf8().constData());
  return 0;
}

}  // namespace quorvane::ui

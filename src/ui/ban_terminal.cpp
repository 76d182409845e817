#include "ui/ban_terminal.h"

#include <QDateTime>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>

#include "monitor/console.h"
#include "store/sqlite_player_store.h"
#include "ui/ansi_text.h"
#include "ui/ban_sender.h"
#include "ui/bans_tab.h"
#include "ui/terminal_modes.h"

namespace quorvane::ui {
namespace {

people::WallTime WallNow() { return std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now()); }

std::string PathText(const std::filesystem::path& file) {
  const std::u8string text = file.u8string();
  return std::string(text.begin(), text.end());
}

QString Time(people::WallTime t) {
  return QDateTime::fromSecsSinceEpoch(t.time_since_epoch().count()).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

int List(people::BanStore& store, bool json, std::FILE* out, std::FILE* err) {
  const auto kept = store.Bans();
  if (!kept) {
    std::fprintf(err, "quorvane: %s\n", kept.message.c_str());
    return 1;
  }
  const people::WallTime now = WallNow();
  QJsonArray rows;
  std::string text = "SteamID or address\tName\tReason\tMade by\tMade\tUntil\tState\n";
  for (const people::StoredBan& s : *kept) {
    const people::Ban& b = s.ban;
    const QString source = QString::fromStdString(people::SourceText(b.source, b.target.GetKind()));
    const QString until = b.until ? Time(*b.until) : QStringLiteral("permanent");
    const QString state = BanStateText(b, now);
    if (json) {
      rows.append(QJsonObject{{"target", QString::fromStdString(b.target.Text())},
                              {"name", FromAnsi(b.name)},
                              {"reason", FromAnsi(b.reason)},
                              {"madeBy", source},
                              {"made", Time(b.madeAt)},
                              {"until", until},
                              {"state", state}});
      continue;
    }
    text += QStringList{QString::fromStdString(b.target.Text()),
                        FromAnsi(b.name),
                        FromAnsi(b.reason),
                        source,
                        Time(b.madeAt),
                        until,
                        state}
                .join('\t')
                .toStdString() +
            "\n";
  }
  std::fputs(json ? QJsonDocument(rows).toJson(QJsonDocument::Indented).constData() : text.c_str(), out);
  return 0;
}

}  // namespace

int RunBanCommand(const monitor::ServerLinks& links, const BanCommand& command, const BanPlace& place,
                  const char* password, std::FILE* out, std::FILE* err) {
  if (!place.storeFile) {
    std::fputs("quorvane: this system has no place for the bans.\n", err);
    return 1;
  }
  const bool list = command.kind == BanCommand::Kind::List;
  store::OpenedStore opened = store::SqlitePlayerStore::Open(*place.storeFile, {.write = !list});
  if (!opened.store) {
    std::fprintf(err, "quorvane: %s\n", opened.message.c_str());
    return 1;
  }
  for (const std::string& notice : opened.notices) std::fprintf(err, "quorvane: %s\n", notice.c_str());
  if (list) return List(*opened.store, command.json, out, err);
  people::BanStore& store = *opened.store;
  if (!store.Writable()) {
    std::fputs("quorvane: the ban was not kept; make it in the Bans tab of the running Quorvane.\n", err);
    return 1;
  }

  const std::string where = place.host + ":" + std::to_string(place.port);
  BanSenderSources sources;
  sources.links = links;
  sources.host = place.host;
  sources.port = [port = place.port] { return port; };
  sources.password = [password] { return password != nullptr ? std::string(Utf8ToAnsi(password)) : std::string(); };
  sources.store = [&store] { return &store; };
  sources.fs = place.fs;
  if (!place.gameDir.empty()) sources.gameDir = [dir = place.gameDir] { return dir; };
  BanSender sender(std::move(sources));
  std::string said;
  QObject::connect(&sender, &BanSender::said, [&said](const QString& text) { said += ToAnsi(text) + "\n"; });
  if (!sender.Store()) return 1;

  const auto target = *people::ParseBanTarget(command.target);
  const people::WallTime now = WallNow();
  std::string done, sentText, waitText;
  int lifted = 0;
  if (command.kind == BanCommand::Kind::Ban) {
    const auto ban = people::MakeBan(target, "", command.reason, now, command.length);
    if (!ban) {
      std::fprintf(err, "quorvane: %s\n", ban.Error().c_str());
      return kTerminalBadUsage;
    }
    if (const auto added = store.AddBans({*ban}); !added) {
      std::fprintf(err, "quorvane: %s\n", added.message.c_str());
      return 1;
    }
    done = target.Text() + " is banned " +
           (command.length ? "for " + std::to_string(command.length->count()) + " minutes" : std::string("for good")) +
           ", kept in " + PathText(*place.storeFile);
    sentText = done + ", and sent to " + where + ".";
    waitText = done + "; " + where + " gets it when Quorvane next sees it come up.";
    sender.Send(*ban);
  } else {
    const auto kept = store.Bans();
    if (!kept) {
      std::fprintf(err, "quorvane: %s\n", kept.message.c_str());
      return 1;
    }
    for (const people::StoredBan& s : *kept) {
      if (s.ban.target.Base() != target.Base() || !s.ban.InForce(now)) continue;
      people::Ban off = s.ban;
      off.liftedAt = now;
      if (const people::StoreOutcome saved = store.UpdateBan(s.id, off); !saved) {
        std::fprintf(err, "quorvane: %s\n", saved.message.c_str());
        return 1;
      }
      ++lifted;
    }
    done = lifted > 0 ? "The ban on " + target.Text() + " is lifted in " + PathText(*place.storeFile)
                      : "No ban on " + target.Text() + " is kept in " + PathText(*place.storeFile);
    sentText = done + (lifted > 0 ? ", and on " : "; it was lifted on ") + where + ".";
    waitText = done + "; " + where + " is told when Quorvane next sees it come up.";
    people::Ban off = *people::MakeBan(target, "", "", now, std::nullopt);
    off.liftedAt = now;
    // Lifted on the server even when another tool made it there.
    sender.Send(off);
  }
  // Each command ends with an answer or the console's own timeout; this only bounds the wait.
  QEventLoop loop;
  QTimer deadline;
  deadline.setSingleShot(true);
  QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
  QObject::connect(&sender, &BanSender::idle, &loop, &QEventLoop::quit);
  deadline.start(static_cast<int>(monitor::ConsoleSession::kNoAnswerMs) * 6);
  if (!sender.Idle()) loop.exec();
  const bool sent = sender.Idle() && sender.ServerUp() && sender.LastOutcome() == BanSender::Outcome::Sent &&
                    password != nullptr && *password != '\0';
  if (sent) {
    std::fprintf(out, "%s\n", sentText.c_str());
    return 0;
  }
  if (sender.LastOutcome() == BanSender::Outcome::Refused) {
    std::fprintf(err, "quorvane: %s.\n%s", done.c_str(), said.c_str());
    return 1;
  }
  std::fprintf(out, "%s\n", waitText.c_str());
  if (password == nullptr || *password == '\0')
    std::fputs("quorvane: set the console password in QUORVANE_RCON_PASSWORD to send it to the running server now.\n",
               err);
  else
    std::fprintf(err, "quorvane: %s did not answer.\n", where.c_str());
  return 0;
}

}  // namespace quorvane::ui

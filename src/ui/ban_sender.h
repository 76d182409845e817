#pragma once
// Carries the kept bans to the running server through its console: all of
// them whenever the server comes up, and each one made, changed or lifted
// while it runs. One command a packet, at most two a second. The store is
// the truth: a server that does not answer misses nothing, since whatever it
// lacks is sent when it next comes up.
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "install/file_system.h"
#include "monitor/server_links.h"
#include "people/ban_store.h"

namespace quorvane::ui {

struct BanSenderSources {
  monitor::ServerLinks links;  // its console() is used
  std::string host = "127.0.0.1";
  std::function<std::uint16_t()> port;
  std::function<std::string()> password;     // the console password; empty: none can be sent
  std::function<people::BanStore*()> store;  // none when the store cannot be opened
  install::FileSystem* fs = nullptr;         // with gameDir: the server's ban files, imported at first use
  std::function<std::string()> gameDir;
};

class BanSender : public QObject {
  Q_OBJECT
 public:
  enum class Outcome { Sent, NoAnswer, Refused };

  explicit BanSender(BanSenderSources sources, QObject* parent = nullptr);
  ~BanSender() override;

  // The server's first answer after a start, whoever started it: its own
  // banned.cfg, its lists, then every kept ban it lacks. Called again while
  // that runs, it does nothing.
  void ServerCameUp();

  // The store, after the first import of the server's files; none when it cannot be opened.
  people::BanStore* Store();
  // Puts a kept ban on the server as it is now: applied while in force,
  // lifted once lifted or ended. `before` is what the server held until now.
  void Send(const people::Ban& ban, const std::optional<people::Ban>& before = std::nullopt);

  // Nothing waits to be sent.
  bool Idle() const { return !m_running && m_queue.empty(); }
  // False once the server did not answer, until it comes up again.
  bool ServerUp() const { return !m_down; }
  Outcome LastOutcome() const { return m_outcome; }

 signals:
  // What the user is told: a restore done, a command the server did not take, the store's trouble.
  void said(const QString& text);
  // The store gained bans found on the server.
  void bansChanged();
  // The queue ran empty.
  void idle();

 private:
  struct Item {
    std::string command;
    std::int64_t notBeforeMs = 0;
    std::optional<people::Ban> timed;  // its minutes left are counted when it goes
    std::function<void(const monitor::ConsoleStep&)> then;
  };
  void Queue(Item item);
  void RunNext();
  bool OpenConsole();
  void ListsRead();

  BanSenderSources m_sources;
  std::unique_ptr<monitor::LiveConsole> m_console;
  std::uint16_t m_consolePort = 0;
  std::string m_password;
  std::deque<Item> m_queue;
  bool m_running = false;
  bool m_restoring = false;
  bool m_down = false;
  bool m_imported = false;
  Outcome m_outcome = Outcome::Sent;
  std::optional<std::int64_t> m_lastStartMs;
  std::optional<std::vector<people::ListedBan>> m_ids, m_ips;
  QElapsedTimer m_clock;
  QTimer m_wait;
};

}  // namespace quorvane::ui

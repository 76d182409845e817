#pragma once
// The server on this machine, watched for the whole run whether or not the
// monitor window is open: whether it answers, and from its first answer its
// live log and now and then its `status`, which feed the player history. The
// main program owns one and so does --run-server; the monitor window shows
// what it hears rather than asking the server for a log of its own.
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
#include <utility>

#include "monitor/log_address.h"
#include "monitor/monitor_view.h"
#include "monitor/server_links.h"

class QEventLoop;

namespace quorvane::ui {

class PlayerHistory;

class ServerWatch : public QObject {
  Q_OBJECT
 public:
  // After this long without an answer the server counts as gone: three missed
  // info polls, and half a poll more for a late timer.
  static constexpr int kSilenceMs = 7000;
  // How often `status` is asked once the log comes: players whose disconnect
  // line was lost are closed by it.
  static constexpr int kStatusEveryMs = 120000;

  struct Sources {
    monitor::ServerLinks links{};
    std::string host = "127.0.0.1";
    std::function<monitor::ConsolePassword()> password{};       // rcon_password of the written server.cfg
    std::function<std::optional<long long>()> startedServer{};  // the server process this program started
    QString settingsFile{};            // keeps the log port added until it is taken off; empty: the user's own
    PlayerHistory* history = nullptr;  // fed with the log and the status answers; none: not kept
  };

  explicit ServerWatch(Sources sources, QObject* parent = nullptr);
  ~ServerWatch() override;

  // Where the password is read and which process this program started, for
  // an owner that knows them only after the watch is made.
  void Follow(std::function<monitor::ConsolePassword()> password,
              std::function<std::optional<long long>()> startedServer);
  // Watches the server at `port`, kept in `serverFolder`; the same one again changes nothing.
  void Watch(std::uint16_t port, const std::string& serverFolder);
  std::uint16_t Port() const { return m_port; }
  bool Up() const { return m_up; }
  PlayerHistory* History() const { return m_sources.history; }

  // Asks the server for its log once it answers, unless it has it already or
  // refused this very password (a refusal is not repeated on its own); again
  // after RemoveLogAddress.
  void AskForLog();
  bool LogAddressAdded() const { return m_logAdded; }
  // Where the log lines are heard; 0 when the log cannot be heard.
  std::uint16_t LogPort() const;
  // Takes the log address off the server, waiting at most `waitMs` for the
  // console, and asks for none until AskForLog or another server.
  void RemoveLogAddress(int waitMs = 2000);

 signals:
  // Its first answer after not answering (or from another process).
  void cameUp();
  void wentDown();
  void answered(const monitor::ServerInfo& info, int roundTripMs);
  void logLine(const monitor::LogLine& line);
  // What went wrong with the sockets or the console, in a plain sentence.
  void problem(const QString& text);

 private:
  struct Pending {
    std::string command;
    std::function<void(const monitor::ConsoleStep&)> then;
  };
  void Answered(const monitor::ServerInfo& info, int roundTripMs);
  void Silent();
  void Ask();
  void Heard(const monitor::LogLine& line);
  void AskStatus();
  void Queue(std::string command, std::function<void(const monitor::ConsoleStep&)> then);
  void RunNext();
  bool ConsoleIdle() const { return !m_running && m_pending.empty(); }
  void RememberLogPort(std::optional<std::uint16_t> port);

  Sources m_sources;
  std::uint16_t m_port = 0;
  std::string m_folder;
  std::unique_ptr<monitor::LiveQuery> m_query;
  std::unique_ptr<monitor::LiveConsole> m_console;
  std::unique_ptr<monitor::LiveLog> m_log;
  monitor::LogAddressKeeper m_keeper;
  std::deque<Pending> m_pending;
  bool m_running = false;
  bool m_up = false;
  bool m_logWanted = true;
  bool m_logAdded = false;
  bool m_logAsked = false;               // logaddress_add waits for its answer
  bool m_switching = false;              // Watch takes the log off the last server
  std::optional<std::string> m_refused;  // the password the console refused
  std::string m_password;
  QElapsedTimer m_clock;
  QTimer m_silence;  // runs out when the server has stopped answering
  QTimer m_status;
  QEventLoop* m_idleWait = nullptr;  // RemoveLogAddress's wait, ended when the console is idle
};

}  // namespace quorvane::ui

#pragma once
// Runs the supervision on the event loop: ticks it when it is due, asks the
// supervised server for its info over the query socket and passes the
// answers on. Owned by the main program, so it keeps the server running
// whether or not the monitor window is open, and by --run-server.
#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "app/supervision.h"
#include "launch/launcher.h"
#include "monitor/log_line.h"
#include "monitor/server_links.h"

namespace quorvane::ui {

class ScheduledRestarts;

class SupervisionDriver : public QObject {
  Q_OBJECT
 public:
  // The doors' `say` and `query` are the driver's own: lines come out as said(),
  // and the live query asks the server every few seconds by itself.
  SupervisionDriver(app::SupervisionServices services, supervise::Settings settings, QObject* parent = nullptr);
  ~SupervisionDriver() override;

  // The sockets the supervised server is asked through, and its port.
  void UseLinks(monitor::ServerLinks links, std::uint16_t port);
  void Start();
  void Started(long long process);
  void Stop();
  void Release();
  // A restart the schedule asks for: stopped, then `before` (an update; true when
  // it runs and calls ResumeRestart once done), then started as the supervisor starts it.
  void RestartNow();
  void ResumeRestart();
  void BeforeRestart(std::function<bool()> before) { m_beforeRestart = std::move(before); }
  bool RunBeforeRestart() { return m_beforeRestart && m_beforeRestart(); }
  bool Restarting() const { return m_supervision.Restarting(); }
  // Says `text` to the players through the console, with the password the
  // function gives (empty: not said); false when it could not be sent.
  void UseConsolePassword(std::function<std::string()> password) { m_consolePassword = std::move(password); }
  bool SayInGame(const std::string& text);
  // A live log line: kept for the report; a map load gives the server time.
  void LogLine(const monitor::LogLine& line);

  supervise::State Current() const { return m_supervision.Current(); }
  bool Supervising() const;
  QString StatusText() const { return QString::fromStdString(m_supervision.StatusText()); }
  // What the status line adds while the server waits for its restart or is given up:
  // the last line without its report's folder. Empty otherwise.
  QString Note() const;

 signals:
  void said(const QString& line);
  // The state changed (started, crashed, restarting, given up, stopped).
  void changed();
  // The supervised server was started (the first start or any restart).
  void started();
  // The running server answered its status query.
  void answered(int players);

 private:
  void Arm();
  void Tick();
  void Listen();
  void SayNext();

  app::Supervision m_supervision;
  monitor::ServerLinks m_links;
  std::uint16_t m_port = 0;
  std::unique_ptr<monitor::LiveQuery> m_query;
  std::function<std::string()> m_consolePassword;
  std::function<bool()> m_beforeRestart;
  std::unique_ptr<monitor::LiveConsole> m_sayConsole;
  std::deque<std::string> m_says;
  int m_starts = 0;
  QTimer m_timer;
};

// What the main window's start and stop do while the server is kept running.
struct SupervisedStartHooks {
  SupervisionDriver* driver = nullptr;    // none: supervision is not offered
  ScheduledRestarts* restarts = nullptr;  // the restart schedule and update notices; none: not offered
  std::function<bool()> on;               // "Keep the server running" is checked
  // The start button's start through the supervised start (the cue, the map check, the lock).
  std::function<launch::LaunchOutcome(const launch::LaunchForm&)> start;
  QString crashesDir;  // where the crash reports lie
  // Shows a folder in the file manager; the reason when it cannot, else empty.
  std::function<std::string(const QString& folder)> openFolder;
};

}  // namespace quorvane::ui

#pragma once
// "Warn and stop" once it runs: the countdown, its `say` warnings sent through
// a console of its own and the stop at the end. It belongs to the main window,
// not to the monitor, so it goes on when the monitor closes.
#include <QElapsedTimer>
#include <QEventLoop>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "monitor/countdown.h"
#include "monitor/server_links.h"

namespace quorvane::ui {

class StopCountdown : public QObject {
  Q_OBJECT
 public:
  using Clock = std::function<std::int64_t()>;
  explicit StopCountdown(QObject* parent = nullptr);
  ~StopCountdown() override;

  // Warns the players on `host`:`port` with `password` and calls `stop` when
  // time is up. False, with the reason, when its console cannot open.
  [[nodiscard]] monitor::NetResult Begin(const monitor::ServerLinks& links, const std::string& host, std::uint16_t port,
                                         std::string password, std::function<void()> stop);
  // Ends the countdown and tells the players.
  void Cancel();
  // The same when the program ends: waits at most `waitMs` for the word to go out.
  void CancelBeforeQuit(int waitMs = 2000);
  bool Active() const { return m_countdown.Active(); }
  // "1:00" down to "0:01"; empty when none runs.
  QString Left() const;

  // Runs on its own timer; a test calls it after moving its clock.
  void Tick();
  void SetClock(Clock clock) { m_now = std::move(clock); }

 signals:
  void changed();
  // A warning that did not reach the players, as a plain sentence.
  void problem(const QString& text);

 private:
  void Send(std::string command);
  void SendNext();

  monitor::Countdown m_countdown = monitor::WarnAndStopCountdown();
  std::unique_ptr<monitor::LiveConsole> m_console;
  std::string m_password;
  std::function<void()> m_stop;
  std::deque<std::string> m_waiting;
  bool m_sending = false;
  QEventLoop* m_idleWait = nullptr;  // CancelBeforeQuit's wait, ended when nothing is left to send
  QElapsedTimer m_clock;
  Clock m_now;
  QTimer m_timer;
};

}  // namespace quorvane::ui

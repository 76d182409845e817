#include "ui/stop_countdown.h"

#include <QPointer>

#include "monitor/monitor_view.h"
#include "ui/ansi_text.h"

namespace quorvane::ui {

StopCountdown::StopCountdown(QObject* parent) : QObject(parent) {
  setObjectName(QStringLiteral("StopCountdown"));
  m_clock.start();
  m_now = [this] { return m_clock.elapsed(); };
  m_timer.setInterval(250);
  connect(&m_timer, &QTimer::timeout, this, &StopCountdown::Tick);
}

StopCountdown::~StopCountdown() = default;

monitor::NetResult StopCountdown::Begin(const monitor::ServerLinks& links, const std::string& host, std::uint16_t port,
                                        std::string password, std::function<void()> stop) {
  if (Active()) return {};
  if (!links.console) return {false, "no console link"};
  m_console = links.console();
  if (monitor::NetResult opened = m_console->Open(host, port); !opened) {
    m_console.reset();
    return opened;
  }
  m_password = std::move(password);
  m_stop = std::move(stop);
  m_waiting.clear();
  m_sending = false;
  m_countdown.Begin(m_now());
  m_timer.start();
  Tick();
  return {};
}

void StopCountdown::Cancel() {
  const std::optional<std::string> say = m_countdown.Cancel();
  if (!say) return;
  m_timer.stop();
  // A warning still waiting would now be wrong.
  m_waiting.clear();
  Send(*say);
  emit changed();
}

void StopCountdown::CancelBeforeQuit(int waitMs) {
  Cancel();
  if (!m_sending) return;
  QEventLoop wait;
  QTimer::singleShot(waitMs, &wait, &QEventLoop::quit);
  m_idleWait = &wait;
  wait.exec();
  m_idleWait = nullptr;
}

QString StopCountdown::Left() const {
  if (!Active()) return {};
  return QString::fromStdString(monitor::TimeLeftClock(m_countdown.LeftMs(m_now())));
}

void StopCountdown::Tick() {
  if (!Active()) return;
  const monitor::Countdown::Step step = m_countdown.Tick(m_now());
  for (const std::string& say : step.commands) Send(say);
  if (step.due) {
    m_timer.stop();
    if (m_stop) m_stop();
  }
  emit changed();
}

void StopCountdown::Send(std::string command) {
  m_waiting.push_back(std::move(command));
  SendNext();
}

void StopCountdown::SendNext() {
  if (m_sending || m_waiting.empty() || !m_console) return;
  const std::string command = std::move(m_waiting.front());
  m_waiting.pop_front();
  m_sending = true;
  QPointer<StopCountdown> self(this);
  m_console->Run(command, m_password, [self](const monitor::ConsoleStep& step) {
    if (!self) return;
    self->m_sending = false;
    if (step.type != monitor::ConsoleStep::Type::Done)
      emit self->problem(QStringLiteral("A warning did not reach the players: ") +
                         FromAnsi(monitor::ConsoleOutcomeText(step)));
    self->SendNext();
    if (self->m_idleWait != nullptr && !self->m_sending) self->m_idleWait->quit();
  });
}

}  // namespace quorvane::ui

#include "ui/ticker.h"

namespace quorvane::ui {

Ticker::Ticker(QObject* owner, const QString& name, int intervalMs, TimerMode mode) : QObject(owner) {
  setObjectName(name);
  m_timer.setInterval(intervalMs);
  connect(&m_timer, &QTimer::timeout, this, &Ticker::Tick);
  if (mode == TimerMode::Real) m_timer.start();
}

}  // namespace quorvane::ui

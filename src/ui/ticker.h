#pragma once
// A window's periodic timer. The program runs it on a real QTimer; tests
// build windows with the timer left stopped and call Tick() themselves.
#include <QObject>
#include <QTimer>

namespace quorvane::ui {

enum class TimerMode { Real, Driven };

class Ticker : public QObject {
  Q_OBJECT

 public:
  Ticker(QObject* owner, const QString& name, int intervalMs, TimerMode mode);

  int Interval() const { return m_timer.interval(); }
  bool IsRunning() const { return m_timer.isActive(); }
  void Stop() { m_timer.stop(); }
  // What one expiry of the timer does.
  void Tick() { emit ticked(); }

 signals:
  void ticked();

 private:
  QTimer m_timer;
};

}  // namespace quorvane::ui

#pragma once
// The server monitor's restart schedule: daily times and/or every N hours,
// the wait for an empty server, the update at the restart, the next restart
// and word of a newer build, and a button that cancels the next restart.
// Stored with the monitor's settings as soon as it is changed.
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace quorvane::ui {

class ScheduledRestarts;

class RestartsBox : public QWidget {
  Q_OBJECT
 public:
  RestartsBox(QString settingsFile, ScheduledRestarts& restarts, QWidget* parent = nullptr);

 private:
  void Apply();
  void ShowState();

  QString m_settingsFile;
  ScheduledRestarts& m_restarts;
  QLineEdit* m_daily = nullptr;
  QSpinBox* m_every = nullptr;
  QCheckBox* m_waitForEmpty = nullptr;
  QSpinBox* m_waitMinutes = nullptr;
  QCheckBox* m_update = nullptr;
  QLabel* m_state = nullptr;
  QPushButton* m_cancel = nullptr;
  QString m_problem;
};

}  // namespace quorvane::ui

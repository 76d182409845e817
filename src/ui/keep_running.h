#pragma once
// The server monitor's "Keep the server running" check box, with the line
// that says what the supervision did last. Off by default; stored with the
// monitor's settings, where the start button reads it.
#include <QWidget>

class QCheckBox;
class QLabel;

namespace quorvane::ui {

class SupervisionDriver;

class KeepRunningBox : public QWidget {
  Q_OBJECT
 public:
  KeepRunningBox(QString settingsFile, SupervisionDriver& driver, QWidget* parent = nullptr);

 private:
  void Store(bool on);
  void ShowState();

  QString m_settingsFile;
  SupervisionDriver& m_driver;
  QCheckBox* m_box = nullptr;
  QLabel* m_state = nullptr;
};

// Whether the box is checked, as stored.
bool KeepServerRunning(const QString& settingsFile);

}  // namespace quorvane::ui

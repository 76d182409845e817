#include "ui/keep_running.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>

#include "ui/monitor_settings.h"
#include "ui/supervision_driver.h"

namespace quorvane::ui {

KeepRunningBox::KeepRunningBox(QString settingsFile, SupervisionDriver& driver, QWidget* parent)
    : QWidget(parent), m_settingsFile(std::move(settingsFile)), m_driver(driver) {
  m_box = new QCheckBox(QStringLiteral("Keep the server running"));
  m_box->setObjectName(QStringLiteral("KeepServerRunning"));
  m_box->setToolTip(QStringLiteral(
      "Restart the dedicated server started from here when it crashes or stops answering, and keep a report of "
      "every crash"));
  m_box->setChecked(KeepServerRunning(m_settingsFile));
  m_state = new QLabel;
  m_state->setObjectName(QStringLiteral("SupervisionState"));
  m_state->setTextFormat(Qt::PlainText);
  m_state->setWordWrap(true);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(m_box);
  layout->addWidget(m_state, 1);
  connect(m_box, &QCheckBox::toggled, this, &KeepRunningBox::Store);
  connect(&m_driver, &SupervisionDriver::changed, this, &KeepRunningBox::ShowState);
  ShowState();
}

void KeepRunningBox::Store(bool on) {
  OpenMonitorSettings(m_settingsFile)->setValue(QString::fromLatin1(kKeepRunningKey), on);
  // Turned off, the server started under supervision runs on unwatched.
  if (!on) m_driver.Release();
}

void KeepRunningBox::ShowState() { m_state->setText(m_driver.StatusText()); }

bool KeepServerRunning(const QString& settingsFile) {
  return OpenMonitorSettings(settingsFile)->value(QString::fromLatin1(kKeepRunningKey), false).toBool();
}

}  // namespace quorvane::ui

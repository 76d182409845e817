#include "ui/restarts_box.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include "ui/scheduled_restarts.h"

namespace quorvane::ui {

RestartsBox::RestartsBox(QString settingsFile, ScheduledRestarts& restarts, QWidget* parent)
    : QWidget(parent), m_settingsFile(std::move(settingsFile)), m_restarts(restarts) {
  const RestartSettings settings = m_restarts.Settings();
  m_daily = new QLineEdit(DailyTimesText(settings.schedule.daily));
  m_daily->setObjectName(QStringLiteral("RestartDaily"));
  m_daily->setPlaceholderText(QStringLiteral("05:00"));
  m_daily->setToolTip(QStringLiteral("Times of day, by this computer's clock, separated by commas"));
  m_every = new QSpinBox;
  m_every->setObjectName(QStringLiteral("RestartEveryHours"));
  m_every->setRange(0, 24 * 7);
  m_every->setSpecialValueText(QStringLiteral("never"));
  m_every->setSuffix(QStringLiteral(" h"));
  m_every->setValue(static_cast<int>(std::chrono::duration_cast<std::chrono::hours>(settings.schedule.every).count()));
  m_waitForEmpty = new QCheckBox(QStringLiteral("Wait until the server is empty, at most"));
  m_waitForEmpty->setObjectName(QStringLiteral("RestartWaitForEmpty"));
  m_waitForEmpty->setChecked(settings.schedule.waitForEmpty);
  m_waitMinutes = new QSpinBox;
  m_waitMinutes->setObjectName(QStringLiteral("RestartWaitMinutes"));
  m_waitMinutes->setRange(0, 24 * 60);
  m_waitMinutes->setSuffix(QStringLiteral(" min"));
  m_waitMinutes->setValue(static_cast<int>(settings.schedule.waitAtMost.count()));
  m_update = new QCheckBox(QStringLiteral("Update at the next scheduled restart"));
  m_update->setObjectName(QStringLiteral("UpdateAtRestart"));
  m_update->setToolTip(
      QStringLiteral("When a newer build of the server is out, install it while the server is "
                     "stopped for its restart; edited files are kept"));
  m_update->setChecked(settings.updateAtRestart);
  m_state = new QLabel;
  m_state->setObjectName(QStringLiteral("RestartState"));
  m_state->setTextFormat(Qt::PlainText);
  m_state->setWordWrap(true);
  m_cancel = new QPushButton(QStringLiteral("Cancel the next restart"));
  m_cancel->setObjectName(QStringLiteral("CancelRestart"));

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  auto* daily = new QLabel(QStringLiteral("Restart &daily at"));
  daily->setBuddy(m_daily);
  auto* every = new QLabel(QStringLiteral("or &every"));
  every->setBuddy(m_every);
  auto* times = new QHBoxLayout;
  times->addWidget(m_daily, 1);
  times->addWidget(every);
  times->addWidget(m_every);
  grid->addWidget(daily, 0, 0);
  grid->addLayout(times, 0, 1);
  auto* wait = new QHBoxLayout;
  wait->addWidget(m_waitForEmpty);
  wait->addWidget(m_waitMinutes);
  wait->addStretch(1);
  wait->addWidget(m_update);
  grid->addLayout(wait, 1, 0, 1, 2);
  auto* state = new QHBoxLayout;
  state->addWidget(m_state, 1);
  state->addWidget(m_cancel);
  grid->addLayout(state, 2, 0, 1, 2);

  connect(m_daily, &QLineEdit::editingFinished, this, &RestartsBox::Apply);
  connect(m_every, &QSpinBox::valueChanged, this, &RestartsBox::Apply);
  connect(m_waitForEmpty, &QCheckBox::toggled, this, &RestartsBox::Apply);
  connect(m_waitMinutes, &QSpinBox::valueChanged, this, &RestartsBox::Apply);
  connect(m_update, &QCheckBox::toggled, this, &RestartsBox::Apply);
  connect(m_cancel, &QPushButton::clicked, &m_restarts, &ScheduledRestarts::CancelNext);
  connect(&m_restarts, &ScheduledRestarts::changed, this, &RestartsBox::ShowState);
  ShowState();
}

void RestartsBox::Apply() {
  const std::optional<std::vector<supervise::DailyTime>> daily =
      supervise::ParseDailyTimes(m_daily->text().toStdString());
  if (!daily) {
    // Kept as typed, so it can be mended; nothing is scheduled from it.
    m_problem = QStringLiteral("\"%1\" is not a list of times of day such as 05:00, 17:30.").arg(m_daily->text());
    ShowState();
    return;
  }
  m_problem.clear();
  RestartSettings settings = m_restarts.Settings();
  settings.schedule.daily = *daily;
  settings.schedule.every = std::chrono::hours(m_every->value());
  settings.schedule.waitForEmpty = m_waitForEmpty->isChecked();
  settings.schedule.waitAtMost = std::chrono::minutes(m_waitMinutes->value());
  settings.updateAtRestart = m_update->isChecked();
  m_waitMinutes->setEnabled(settings.schedule.waitForEmpty);
  if (settings == m_restarts.Settings()) return ShowState();
  StoreRestartSettings(m_settingsFile, settings);
  m_restarts.Use(settings);
}

void RestartsBox::ShowState() {
  m_waitMinutes->setEnabled(m_waitForEmpty->isChecked());
  QStringList lines;
  if (!m_problem.isEmpty()) lines << m_problem;
  const QString next = m_restarts.StatusText();
  const supervise::ScheduleSettings& schedule = m_restarts.Settings().schedule;
  if (!next.isEmpty())
    lines << QStringLiteral("Next: ") + next + QLatin1Char('.');
  else if (!schedule.daily.empty() || schedule.every > std::chrono::seconds(0))
    lines << QStringLiteral("The server is restarted on this schedule while it is kept running.");
  if (!m_restarts.UpdateNotice().isEmpty()) lines << m_restarts.UpdateNotice();
  m_state->setText(lines.join(QLatin1Char('\n')));
  m_cancel->setEnabled(m_restarts.Scheduled());
}

}  // namespace quorvane::ui

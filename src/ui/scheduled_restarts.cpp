#include "ui/scheduled_restarts.h"

#include <QSettings>
#include <QStringList>
#include <algorithm>
#include <charconv>

#include "app/supervision.h"
#include "ui/monitor_settings.h"
#include "ui/supervision_driver.h"
#include "update/update_check.h"

namespace quorvane::ui {

namespace {

constexpr const char* kDailyKey = "restarts/daily";
constexpr const char* kEveryHoursKey = "restarts/everyHours";
constexpr const char* kWaitForEmptyKey = "restarts/waitForEmpty";
constexpr const char* kWaitAtMostKey = "restarts/waitAtMostMinutes";
constexpr const char* kUpdateKey = "restarts/updateAtRestart";

QString Key(const char* key) { return QString::fromLatin1(key); }

}  // namespace

QString DailyTimesText(const std::vector<supervise::DailyTime>& times) {
  QStringList texts;
  for (const supervise::DailyTime& time : times)
    texts << QStringLiteral("%1:%2").arg(time.hour, 2, 10, QLatin1Char('0')).arg(time.minute, 2, 10, QLatin1Char('0'));
  return texts.join(QStringLiteral(", "));
}

RestartSettings ReadRestartSettings(const QString& settingsFile) {
  const std::unique_ptr<QSettings> stored = OpenMonitorSettings(settingsFile);
  RestartSettings settings;
  // A file edited by hand into nonsense schedules nothing rather than something unasked for.
  settings.schedule.daily = supervise::ParseDailyTimes(stored->value(Key(kDailyKey)).toString().toStdString())
                                .value_or(std::vector<supervise::DailyTime>{});
  const int hours = std::clamp(stored->value(Key(kEveryHoursKey), 0).toInt(), 0, 24 * 7);
  settings.schedule.every = std::chrono::hours(hours);
  settings.schedule.waitForEmpty = stored->value(Key(kWaitForEmptyKey), false).toBool();
  settings.schedule.waitAtMost =
      std::chrono::minutes(std::clamp(stored->value(Key(kWaitAtMostKey), 15).toInt(), 0, 24 * 60));
  settings.updateAtRestart = stored->value(Key(kUpdateKey), false).toBool();
  return settings;
}

void StoreRestartSettings(const QString& settingsFile, const RestartSettings& settings) {
  const std::unique_ptr<QSettings> stored = OpenMonitorSettings(settingsFile);
  stored->setValue(Key(kDailyKey), DailyTimesText(settings.schedule.daily));
  stored->setValue(Key(kEveryHoursKey),
                   static_cast<int>(std::chrono::duration_cast<std::chrono::hours>(settings.schedule.every).count()));
  stored->setValue(Key(kWaitForEmptyKey), settings.schedule.waitForEmpty);
  stored->setValue(Key(kWaitAtMostKey), static_cast<int>(settings.schedule.waitAtMost.count()));
  stored->setValue(Key(kUpdateKey), settings.updateAtRestart);
}

ScheduledRestarts::ScheduledRestarts(SupervisionDriver& driver, const supervise::TimeZone& zone, WallClock now,
                                     QObject* parent)
    : QObject(parent), m_driver(driver), m_zone(zone), m_now(std::move(now)) {
  m_timer.setSingleShot(true);
  connect(&m_timer, &QTimer::timeout, this, &ScheduledRestarts::Tick);
  connect(&m_driver, &SupervisionDriver::changed, this, &ScheduledRestarts::Follow);
  // Queued: the answer comes from inside the query, which a restart ends.
  connect(
      &m_driver, &SupervisionDriver::answered, this,
      [this](int players) {
        if (!m_schedule) return;
        Carry(m_schedule->Feed({supervise::ScheduleEventKind::Players, m_now(), players}));
        Arm();
      },
      Qt::QueuedConnection);
  // Every start, the schedule's own or a crash's, counts as the restart done.
  connect(&m_driver, &SupervisionDriver::started, this, [this] {
    if (!m_schedule) return;
    Carry(m_schedule->Feed({supervise::ScheduleEventKind::RestartDone, m_now(), -1}));
    Arm();
  });
  m_driver.BeforeRestart([this] { return UpdateBeforeRestart(); });
}

ScheduledRestarts::~ScheduledRestarts() {
  m_driver.BeforeRestart({});
  *m_ending = true;
  if (m_checking.joinable()) m_checking.join();
  if (m_updating.joinable()) m_updating.join();
}

void ScheduledRestarts::Use(const RestartSettings& settings) {
  m_settings = settings;
  m_schedule.reset();
  Follow();
}

void ScheduledRestarts::UseUpdates(UpdateDoors doors) {
  m_doors = std::move(doors);
  Follow();
}

bool ScheduledRestarts::Scheduled() const { return m_schedule && m_schedule->NextRestart().has_value(); }

QString ScheduledRestarts::StatusText() const {
  return m_schedule ? QString::fromStdString(m_schedule->StatusText(m_now())) : QString();
}

void ScheduledRestarts::CancelNext() {
  if (!m_schedule) return;
  Carry(m_schedule->Feed({supervise::ScheduleEventKind::Cancel, m_now(), -1}));
  Say("The next scheduled restart is cancelled; " + m_schedule->StatusText(m_now()) + ".");
  Arm();
}

// The schedule runs while the server is kept running, and counts from each start.
void ScheduledRestarts::Follow() {
  const bool supervising = m_driver.Supervising() || m_driver.Restarting();
  const bool wanted = !m_settings.schedule.daily.empty() || m_settings.schedule.every > std::chrono::seconds(0);
  if (!supervising || !wanted) {
    m_schedule.reset();
  } else if (!m_schedule) {
    m_schedule = std::make_unique<supervise::RestartSchedule>(m_settings.schedule, m_zone, m_now());
  }
  Arm();
}

void ScheduledRestarts::Arm() {
  const supervise::WallTime now = m_now();
  std::optional<supervise::WallTime> wake = m_schedule ? m_schedule->NextWake() : std::nullopt;
  if (m_driver.Supervising() && m_doors.check && m_doors.serverDir && !m_checking.joinable() &&
      !m_updating.joinable()) {
    // A check that is due starts now, unless SteamCMD is busy: then it is tried again a minute on.
    if (now >= m_busyUntil && update::CheckDue(m_lastCheck, now, false)) {
      if (m_doors.steamCmdBusy && m_doors.steamCmdBusy(m_doors.serverDir()))
        m_busyUntil = now + std::chrono::minutes(1);
      else
        CheckForUpdate();
    }
    if (!m_checking.joinable()) {
      const supervise::WallTime due = std::max(m_lastCheck ? *m_lastCheck + update::kCheckEvery : now, m_busyUntil);
      wake = wake ? std::min(*wake, due) : due;
    }
  }
  emit changed();
  if (!wake) {
    m_timer.stop();
    return;
  }
  // The clock reads whole seconds, so the timer fires within the second that is due, never before it.
  const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(*wake - now);
  m_timer.start(static_cast<int>(std::clamp<long long>(wait.count(), 0, 60LL * 60 * 1000)));
}

void ScheduledRestarts::Tick() {
  if (m_schedule) Carry(m_schedule->Feed({supervise::ScheduleEventKind::Tick, m_now(), -1}));
  Arm();
}

void ScheduledRestarts::Carry(const std::vector<supervise::ScheduleAction>& actions) {
  for (const supervise::ScheduleAction& action : actions) {
    if (action.kind == supervise::ScheduleActionKind::Say) {
      Say(m_driver.SayInGame(action.text) ? "Told the players: " + action.text
                                          : "Could not tell the players (no console password): " + action.text);
    } else {
      Say("Restarting the server as scheduled.");
      m_driver.RestartNow();
    }
  }
}

void ScheduledRestarts::CheckForUpdate() {
  m_lastCheck = m_now();
  auto check = m_doors.check;
  auto ending = m_ending;
  m_checking = std::thread([this, check, ending, dir = m_doors.serverDir()] {
    const update::BuildCheckResult result = check(dir, [ending] { return ending->load(); });
    QMetaObject::invokeMethod(
        this, [this, result] { Checked(result); }, Qt::QueuedConnection);
  });
}

void ScheduledRestarts::Checked(const update::BuildCheckResult& result) {
  if (m_checking.joinable()) m_checking.join();
  const bool available = result.check.state == update::UpdateState::UpdateAvailable;
  const QString notice = QString::fromStdString(update::UpdateNotice(result.check));
  // An answer that could not tell keeps what the last one said.
  if (result.check.state != update::UpdateState::CouldNotCheck) {
    m_updateAvailable = available;
    if (notice != m_notice && !notice.isEmpty()) Say(notice.toStdString());
    m_notice = notice;
  }
  Arm();
}

bool ScheduledRestarts::UpdateBeforeRestart() {
  if (!m_updateAvailable || !m_settings.updateAtRestart || !m_doors.update || m_updating.joinable()) return false;
  const std::string dir = m_doors.serverDir();
  if (m_doors.steamCmdBusy && m_doors.steamCmdBusy(dir)) {
    Say("The server is not updated now: an install or update of it is running.");
    return false;
  }
  auto update = m_doors.update;
  auto ending = m_ending;
  Say("Updating the server before it starts again.");
  m_updating = std::thread([this, update, ending, dir] {
    const bool ok = update(
        dir,
        [this](const std::string& line) {
          QMetaObject::invokeMethod(
              this, [this, line] { Say(line); }, Qt::QueuedConnection);
        },
        [ending] { return ending->load(); });
    QMetaObject::invokeMethod(
        this,
        [this, ok] {
          if (m_updating.joinable()) m_updating.join();
          if (ok) {
            m_updateAvailable = false;
            m_notice.clear();
          }
          // Whatever the update did, the server is started again: it was running before.
          m_driver.ResumeRestart();
          Arm();
        },
        Qt::QueuedConnection);
  });
  return true;
}

void ScheduledRestarts::Say(const std::string& line) { emit said(QString::fromStdString(line)); }

supervise::ScheduleSettings RestartTestTimes(std::string_view testTimes, supervise::ScheduleSettings settings) {
  app::ForEachTestItem(testTimes, [&settings](std::string_view name, std::string_view value) {
    std::vector<std::chrono::seconds> numbers;
    while (!value.empty()) {
      const std::size_t slash = value.find('/');
      const std::string_view word = value.substr(0, slash);
      value.remove_prefix(slash == std::string_view::npos ? value.size() : slash + 1);
      long long number = 0;
      const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), number);
      if (error != std::errc() || end != word.data() + word.size() || number < 0) return;
      numbers.emplace_back(number);
    }
    if (numbers.empty()) return;
    if (name == "every") settings.every = numbers.front();
    if (name == "warnings") settings.warnings = numbers;
    if (name == "wait") {
      settings.waitForEmpty = true;
      settings.waitAtMost = std::chrono::minutes(numbers.front().count());
    }
  });
  return settings;
}

}  // namespace quorvane::ui

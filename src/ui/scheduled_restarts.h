#pragma once
// Restarts of the kept-running server on a schedule, with the warnings said in
// the game before, and word of a newer build of the server: checked now and
// then while the server is kept running, and installed at the next scheduled
// restart when the user asked for that. Runs on the event loop beside the
// supervision driver, for the windows and for --run-server alike.
#include <QObject>
#include <QString>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "supervise/schedule.h"
#include "update/build_check.h"

namespace quorvane::ui {

class SupervisionDriver;

struct RestartSettings {
  supervise::ScheduleSettings schedule;
  bool updateAtRestart = false;
  bool operator==(const RestartSettings&) const = default;
};

// Stored with the monitor's settings (its file, or the user's when empty).
RestartSettings ReadRestartSettings(const QString& settingsFile);
void StoreRestartSettings(const QString& settingsFile, const RestartSettings& settings);
// "05:00, 17:30": the daily times as the settings field shows them.
QString DailyTimesText(const std::vector<supervise::DailyTime>& times);

// What checking and updating the server needs; both run off the event loop and
// may take minutes. `cancelled` says when the program is ending.
struct UpdateDoors {
  std::function<std::string()> serverDir;  // the server folder kept running, this machine's text
  std::function<bool(const std::string& serverDir)> steamCmdBusy;  // an install or update of it runs
  // The two below run on a thread of their own, given the folder.
  std::function<update::BuildCheckResult(const std::string& serverDir, const std::function<bool()>& cancelled)> check;
  // Installs the latest build, each line of its progress and outcome said; true when it succeeded.
  std::function<bool(const std::string& serverDir, const std::function<void(const std::string&)>& say,
                     const std::function<bool()>& cancelled)>
      update;
};

class ScheduledRestarts : public QObject {
  Q_OBJECT
 public:
  using WallClock = std::function<supervise::WallTime()>;

  // The zone must outlive this.
  ScheduledRestarts(SupervisionDriver& driver, const supervise::TimeZone& zone, WallClock now,
                    QObject* parent = nullptr);
  ~ScheduledRestarts() override;

  void Use(const RestartSettings& settings);
  const RestartSettings& Settings() const { return m_settings; }
  void UseUpdates(UpdateDoors doors);
  // Skips the next restart; the players hear so when they were warned.
  void CancelNext();
  bool Scheduled() const;
  // "restart at 05:00, in 2 h 13 min"; empty while none is scheduled.
  QString StatusText() const;
  // "An update of the server is available (build X, installed Y)."; empty otherwise.
  QString UpdateNotice() const { return m_notice; }
  bool Checking() const { return m_checking.joinable(); }

 signals:
  // A warning said, a restart, the update's progress and word of a newer build.
  void said(const QString& line);
  void changed();

 private:
  void Follow();
  void Arm();
  void Tick();
  void Carry(const std::vector<supervise::ScheduleAction>& actions);
  void CheckForUpdate();
  void Checked(const update::BuildCheckResult& result);
  bool UpdateBeforeRestart();
  void Say(const std::string& line);

  SupervisionDriver& m_driver;
  const supervise::TimeZone& m_zone;
  WallClock m_now;
  RestartSettings m_settings;
  std::unique_ptr<supervise::RestartSchedule> m_schedule;
  QTimer m_timer;

  UpdateDoors m_doors;
  std::optional<supervise::WallTime> m_lastCheck;
  supervise::WallTime m_busyUntil{};
  bool m_updateAvailable = false;
  QString m_notice;
  std::shared_ptr<std::atomic<bool>> m_ending = std::make_shared<std::atomic<bool>>(false);
  std::thread m_checking, m_updating;
};

// The schedule's times for a test, from QUORVANE_RESTART_TIMES:
// "every=40,warnings=20/10/5,wait=1" (seconds; wait is the wait for an empty
// server in minutes). Unknown or bad items are left as they were.
supervise::ScheduleSettings RestartTestTimes(std::string_view testTimes, supervise::ScheduleSettings settings);

}  // namespace quorvane::ui

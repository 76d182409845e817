#pragma once
// The dedicated server this program keeps running: the platform's own-child
// start, the one-supervisor lock and the crash reports, put behind the
// supervision driver for the main window and for --run-server.
#include <QString>
#include <chrono>
#include <memory>
#include <string>

#include "launch/launcher.h"
#include "platform/crash_files.h"
#include "platform/local_zone.h"
#include "platform/supervised_start.h"
#include "platform/supervisor_lock.h"
#include "ui/scheduled_restarts.h"
#include "ui/supervision_driver.h"

namespace quorvane {

class ServerSupervision {
 public:
  // `say` hears every event's line besides the driver's said() (the terminal, for --run-server).
  ServerSupervision(install::FileSystem& fs, launch::SoundPlayer& sound, launch::ServerControl& server,
                    supervise::Settings settings, QString monitorSettings,
                    std::function<void(const std::string&)> say = {});

  // The main window's start and stop while "Keep the server running" is checked.
  ui::SupervisedStartHooks Hooks();
  ui::SupervisionDriver& Driver() { return *m_driver; }
  ui::ScheduledRestarts& Restarts() { return *m_restarts; }
  platform::SupervisedStarter& Starter() { return m_starter; }

  // The sockets the supervised server is asked through.
  void UseLinks(monitor::ServerLinks links) { m_links = std::move(links); }
  // Takes the folder's lock: a message when another program holds it or it cannot be had.
  [[nodiscard]] std::string TakeLock(const std::string& gameDir, long long* holder = nullptr);
  // --run-server's start: no cue, no message box; false once said why.
  [[nodiscard]] bool StartHeadless(const launch::LaunchForm& form);

 private:
  launch::LaunchOutcome StartFromButton(const launch::LaunchForm& form);
  launch::StartResult Restart();
  app::WrittenReport Report(const supervise::Crash& crash, const std::vector<std::string>& lines);
  void RememberStart(const launch::LaunchForm& form);

  platform::SupervisedStarter m_starter;
  launch::Launcher m_launcher;
  platform::SupervisorLock m_lock;
  platform::CrashFiles m_crashes;
  QString m_monitorSettings;
  monitor::ServerLinks m_links;
  launch::LaunchForm m_form;  // the last start's, which the restarts repeat
  std::chrono::system_clock::time_point m_startedAt;
  std::unique_ptr<ui::SupervisionDriver> m_driver;
  platform::LocalZone m_zone;
  std::unique_ptr<ui::ScheduledRestarts> m_restarts;
};

// The restart schedule as stored with the monitor's settings, its times those of
// QUORVANE_RESTART_TIMES when a test sets them.
ui::RestartSettings RestartSchedule(const QString& monitorSettings);

// The supervisor's times: the usual ones, or those of QUORVANE_SUPERVISE_TIMES
// (a test's; see app::SupervisionSettings).
supervise::Settings SupervisionTimes();

// `quorvane --run-server [--map MAP]`: runs until SIGTERM or SIGINT (0), a
// crash loop, or a refusal; the codes are ui/command_line.h's.
int RunServerHeadless(int& argc, char* argv[], const QString& map);

}  // namespace quorvane

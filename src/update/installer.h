#pragma once
// A whole install or update: keep the user's files, run SteamCMD until it
// reports success (a few runs at most), put the files back, say what happened.
// A plain state machine: the caller starts the programs it is given, feeds the
// output as it comes and says when a program ended, so a window and a terminal
// can drive it alike.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "install/file_system.h"
#include "update/interrupted_update.h"
#include "update/kept_files.h"
#include "update/steamcmd_output.h"
#include "update/steamcmd_run.h"

namespace quorvane::update {

// Why nothing may run while the server started from here is up.
inline constexpr const char* kServerInUseMessage =
    "The server started from here is still running and its files are in use. Stop it, then install or update.";

struct InstallRequest {
  std::string installDir;      // absolute
  std::string steamCmd;        // the program to run
  std::string stamp;           // names the backup folder, see BackupStamp
  bool serverRunning = false;  // the server this program started is up: its files are in use
  long long owner = 0;         // this program's process, for the marker of an unfinished update
  int maxRuns = kMaxRuns;
};

struct StartCommand {
  std::string program;
  std::vector<std::string> arguments;
};

struct [[nodiscard]] InstallResult {
  bool ok = false;
  bool cancelled = false;
  int runs = 0;
  std::string message;    // "Installed in DIR" or why not, then what was put back
  std::string backupDir;  // empty when nothing needed keeping
  std::vector<std::string> restored;
  bool filesKept = true;  // false when a user's file could not be put back (the message says which)
};

class Installer {
 public:
  struct Observer {
    std::function<void(const std::string& line)> onLine;  // every output line, escapes removed
    std::function<void(double percent, const std::string& state)> onProgress;
    std::function<void(const InstallResult&)> onFinished;
  };

  Installer(install::FileSystem& fs, InstallRequest request, Observer observer = {});

  // Keeps the user's files and gives the first run to start; nothing when it
  // cannot begin, and then Result() says why.
  std::optional<StartCommand> Begin();
  // Output of the running program (stdout and stderr together), as it comes.
  void Output(std::string_view bytes);
  // The running program ended; gives the next run to start, or nothing once finished.
  std::optional<StartCommand> RunEnded(bool exitedNormally, int exitCode);
  // The program of the current run was started as `group` (its process group,
  // or its process where there are none): the marker names it.
  void Started(long long group);
  // The program of the current run could not be started.
  std::optional<StartCommand> StartFailed(const std::string& reason);
  // Asks for no further run. The caller ends the running program and then calls RunEnded.
  void Cancel();

  bool Finished() const { return m_finished; }
  bool Cancelled() const { return m_cancelled; }
  const InstallResult& Result() const { return m_result; }
  int Run() const { return m_run; }
  double Percent() const { return m_percent; }
  const std::string& StateText() const { return m_state; }

 private:
  StartCommand Command() const;
  void Line(const std::string& text);
  void SetState(double percent, std::string state);
  std::optional<StartCommand> AfterRun();
  void Finish(bool ok, std::string message);

  install::FileSystem& m_fs;
  InstallRequest m_request;
  Observer m_observer;
  KeptFiles m_kept;
  UpdateMarker m_marker;
  bool m_marked = false;             // the marker is in the backup folder
  std::vector<std::string> m_notes;  // old backups that could not be removed
  LineSplitter m_splitter;
  RunSummary m_summary;
  InstallResult m_result;
  int m_run = 0;
  bool m_begun = false;
  bool m_finished = false;
  bool m_cancelled = false;
  double m_percent = 0;
  std::string m_state;
};

}  // namespace quorvane::update

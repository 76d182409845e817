#pragma once
// What installing needs from the machine it runs on: its kind, where SteamCMD
// and the default install directory are, the time, and SteamCMD run as a
// child. The platform fills it in; the install window, the start sequence and
// the terminal install only use it, so a test can hand them stand-ins.
// Every place here (SteamCMD, install and game directories, the backup folder)
// is this machine's own text: UTF-8, whatever the game's code page holds.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "install/file_system.h"
#include "update/installer.h"
#include "update/locations.h"

namespace quorvane::update {

struct ChildExit {
  bool exitedNormally = true;  // false: ended by a signal (POSIX) or terminated
  int code = 0;                // the exit code, or the signal's number
};

// How long the output is still read once the child has ended: a grandchild
// may hold the pipe open and keep writing for as long as it likes.
inline constexpr int kDrainAfterExitMs = 2000;

// A program run as a child with its output captured, driven without blocking
// from an event loop.
class ChildRun {
 public:
  enum class ReadStatus { Data, Nothing, Closed };

  virtual ~ChildRun() = default;
  // Starts `program` (a path, no search on PATH) with `arguments`, never through a shell.
  // `directory` is the working directory; empty keeps ours.
  [[nodiscard]] virtual install::IoResult Start(const std::string& program, const std::vector<std::string>& arguments,
                                                const std::string& directory) = 0;
  // Appends what output has arrived, waiting up to `waitMs` for some, and
  // takes a bounded amount at a time. Closed once every writer has ended and
  // everything was read.
  virtual ReadStatus Read(std::string& output, int waitMs) = 0;
  // The exit once the child has ended, without waiting.
  [[nodiscard]] virtual bool TryWait(ChildExit& exit) = 0;
  // Waits for the child to end.
  virtual ChildExit Wait() = 0;
  // Asks the whole group to end, and after `graceMs` forces it; waits for the child.
  virtual void Cancel(int graceMs) = 0;
  // The process group the child leads (its process where there are no groups).
  virtual long long ProcessGroup() const = 0;
};

struct InstallMachine {
  System system = System::Posix;
  // The files of this machine, paths in its own text: the installer's.
  std::shared_ptr<install::FileSystem> files;
  // The first SteamCMD found where users put it.
  std::function<std::optional<std::string>()> findSteamCmd;
  // The install directory offered first for a game directory.
  std::function<std::string(const std::string& gameDir)> defaultInstallDir;
  // Names a run's backup folder.
  std::function<std::string()> stamp;
  std::function<std::unique_ptr<ChildRun>()> newChild;
  // Runs every SteamCMD run the installer asks for until it finishes, for a
  // caller that may block; once `cancelRequested` says yes the run is ended.
  std::function<InstallResult(Installer&, const std::function<bool()>& cancelRequested)> runToEnd;
  // This program's process, named in the marker of an update it runs.
  long long thisProcess = 0;
  // Before an unfinished update's files are put back: false while the program
  // that ran it is still at it; else a SteamCMD still running from its group is ended.
  std::function<bool(const UpdateMarker&)> settleUnfinished;
};

}  // namespace quorvane::update

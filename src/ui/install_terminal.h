#pragma once
// `quorvane --install-server DIR`: what the install window does, with the
// progress as text in the terminal and no window.
#include <cstdio>
#include <functional>
#include <string>

#include "install/file_system.h"
#include "update/build_check.h"
#include "update/install_machine.h"

namespace quorvane::ui {

// Exit status of the terminal install.
inline constexpr int kInstalledExitCode = 0;
inline constexpr int kNotInstalledExitCode = 1;

// Installs or updates the server in `dir` (this machine's own text, UTF-8;
// made absolute against `currentDir`) with the SteamCMD found on `machine`, through `fs`.
// Progress goes to `out`, a failure and its reason to `err`. Once
// `interrupted` says so (asked about every 50 ms) SteamCMD is ended and the
// files are put back. Gives the exit status.
[[nodiscard]] int InstallServerInTerminal(const update::InstallMachine& machine, install::FileSystem& fs,
                                          const std::string& dir, const std::string& currentDir, std::FILE* out,
                                          std::FILE* err, const std::function<bool()>& interrupted);

// The same install, each line handed to `say` (`failed`: the line tells of a
// failure); true when the server was installed.
[[nodiscard]] bool InstallServerSaying(const update::InstallMachine& machine, install::FileSystem& fs,
                                       const std::string& dir, const std::string& currentDir,
                                       const std::function<void(bool failed, const std::string&)>& say,
                                       const std::function<bool()>& interrupted);

// The installed and the latest build of the server in `serverDir`, SteamCMD
// ended early once `cancelled` says so.
[[nodiscard]] update::BuildCheckResult CheckServerBuildOn(const update::InstallMachine& machine,
                                                          const std::string& serverDir,
                                                          const std::function<bool()>& cancelled);

// `quorvane --check-update`: the installed and the latest build of the server
// in `serverDir` (this machine's text; empty when no location is stored), as
// lines or JSON on `out`. Exits 0 up to date, 10 an update, 1 could not check.
[[nodiscard]] int CheckUpdateInTerminal(const update::InstallMachine& machine, const std::string& serverDir, bool json,
                                        std::FILE* out, std::FILE* err);

// Prints state changes without repeating every tenth of a percent.
class ProgressPrinter {
 public:
  // The line to print for this state, or empty when it adds nothing.
  std::string Line(double percent, const std::string& state);

 private:
  std::string m_lastKind;
  int m_lastWhole = -1;
};

}  // namespace quorvane::ui

#include "ui/install_terminal.h"

#include <cmath>

#include <chrono>

#include "update/build_check.h"
#include "update/installer.h"
#include "update/interrupted_update.h"
#include "update/locations.h"

namespace quorvane::ui {

namespace {

// Everything printed here is this machine's text already: places, SteamCMD's words, ours.
void Print(std::FILE* to, const std::string& native) {
  const std::string text = native + "\n";
  std::fputs(text.c_str(), to);
  std::fflush(to);
}

}  // namespace

std::string ProgressPrinter::Line(double percent, const std::string& state) {
  // "downloading 45.2 % (...)": the words before the figures tell one stage from the next.
  const std::string kind = state.substr(0, state.find_first_of("0123456789"));
  const int whole = static_cast<int>(std::floor(percent));
  if (kind == m_lastKind && whole == m_lastWhole) return {};
  m_lastKind = kind;
  m_lastWhole = whole;
  return state;
}

bool InstallServerSaying(const update::InstallMachine& machine, install::FileSystem& fs, const std::string& dir,
                         const std::string& currentDir, const std::function<void(bool failed, const std::string&)>& say,
                         const std::function<bool()>& interrupted) {
  const update::System system = machine.system;
  const std::optional<std::string> steamCmd = machine.findSteamCmd();
  if (!steamCmd) {
    say(true, update::HowToGetSteamCmd(system));
    return false;
  }
  update::InstallRequest request;
  request.installDir = update::AbsoluteDir(dir, currentDir, system);
  request.steamCmd = *steamCmd;
  request.stamp = machine.stamp();
  request.owner = machine.thisProcess;
  // An update this program never finished: its kept files go back before the new one keeps them.
  for (const update::InterruptedUpdate& unfinished : update::FindInterruptedUpdates(fs, request.installDir)) {
    if (machine.settleUnfinished && !machine.settleUnfinished(unfinished.marker)) continue;
    say(false, "An update of the server was interrupted on " + unfinished.marker.started + ".");
    const update::Recovery recovery = update::RecoverInterruptedUpdate(fs, request.installDir, unfinished);
    say(!recovery.ok, recovery.message);
    // Run now, and the stock files would be kept as the user's.
    if (!recovery.ok) return false;
  }
  say(false, "Installing the server in " + request.installDir + " with " + request.steamCmd);

  ProgressPrinter printer;
  update::Installer::Observer observer;
  observer.onProgress = [&](double percent, const std::string& state) {
    if (const std::string line = printer.Line(percent, state); !line.empty()) say(false, line);
  };
  update::Installer installer(fs, std::move(request), std::move(observer));
  const update::InstallResult result = machine.runToEnd(installer, interrupted);
  say(!result.ok, result.message);
  return result.ok;
}

int InstallServerInTerminal(const update::InstallMachine& machine, install::FileSystem& fs, const std::string& dir,
                            const std::string& currentDir, std::FILE* out, std::FILE* err,
                            const std::function<bool()>& interrupted) {
  const bool installed = InstallServerSaying(
      machine, fs, dir, currentDir,
      [out, err](bool failed, const std::string& line) { Print(failed ? err : out, line); }, interrupted);
  return installed ? kInstalledExitCode : kNotInstalledExitCode;
}

update::BuildCheckResult CheckServerBuildOn(const update::InstallMachine& machine, const std::string& serverDir,
                                            const std::function<bool()>& cancelled) {
  const std::unique_ptr<update::ChildRun> child = machine.newChild();
  update::BuildCheckRun run;
  run.files = machine.files.get();
  run.serverDir = serverDir;
  run.system = machine.system;
  run.steamCmd = machine.findSteamCmd();
  run.child = child.get();
  run.now = [] { return std::chrono::steady_clock::now(); };
  run.cancelled = cancelled;
  return update::CheckServerBuild(run);
}

int CheckUpdateInTerminal(const update::InstallMachine& machine, const std::string& serverDir, bool json,
                          std::FILE* out, std::FILE* err) {
  if (serverDir.empty()) {
    Print(err, "quorvane: no server location is stored yet: open Quorvane once and choose the dedicated server.");
    return update::kExitCouldNotCheck;
  }
  const update::BuildCheckResult result = CheckServerBuildOn(machine, serverDir, {});
  const std::string answer = json ? update::BuildCheckJson(result) : update::BuildCheckText(result);
  std::fputs(answer.c_str(), out);
  std::fflush(out);
  return update::CheckUpdateExitCode(result.check.state);
}

}  // namespace quorvane::ui

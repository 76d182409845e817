#include "platform/install_runner.h"

#include <chrono>
#include <cstdlib>
#include <memory>

#include "platform/child_process.h"
#include "platform/file_system.h"

namespace quorvane::platform {

update::InstallResult RunInstaller(update::Installer& installer, const std::function<bool()>& cancelRequested) {
  constexpr int kReadWaitMs = 50;
  std::optional<update::StartCommand> next = installer.Begin();
  while (next) {
    ChildProcess child;
    if (const install::IoResult started = child.Start(next->program, next->arguments); !started) {
      next = installer.StartFailed(started.reason);
      continue;
    }
    installer.Started(child.ProcessGroup());
    ChildExit exit;
    for (bool cancelled = false;;) {
      std::string output;
      const ChildProcess::ReadStatus status = child.Read(output, kReadWaitMs);
      installer.Output(output);
      if (!cancelled && cancelRequested && cancelRequested()) {
        cancelled = true;
        installer.Cancel();
        child.Cancel();
      }
      if (child.TryWait(exit)) {
        // What it wrote last. A grandchild still holding the pipe is not waited
        // for, and one that keeps writing is read for a bounded time only.
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(update::kDrainAfterExitMs);
        ChildProcess::ReadStatus rest = ChildProcess::ReadStatus::Data;
        while (rest == ChildProcess::ReadStatus::Data && std::chrono::steady_clock::now() < until) {
          std::string more;
          rest = child.Read(more, 0);
          installer.Output(more);
        }
        break;
      }
      if (status == ChildProcess::ReadStatus::Closed) {
        exit = child.Wait();
        break;
      }
    }
    next = installer.RunEnded(exit.exitedNormally, exit.code);
  }
  return installer.Result();
}

std::string DefaultInstallDirHere(const std::string& gameDir) {
  NativeFileSystem files(PathText::Native);
  const auto present = [&files](const std::string& path) { return files.IsPresent(path); };
  return update::DefaultInstallDir(gameDir, HomeDirectory(), ThisSystem(), present);
}

std::optional<std::string> FindSteamCmdHere() {
  return update::FindSteamCmd(EnvironmentVariable("PATH"), HomeDirectory(), ThisSystem(), IsProgramFile);
}

update::InstallMachine ThisMachine() {
  update::InstallMachine machine;
  machine.system = ThisSystem();
  machine.files = std::make_shared<NativeFileSystem>(PathText::Native);
  machine.findSteamCmd = FindSteamCmdHere;
  machine.defaultInstallDir = DefaultInstallDirHere;
  machine.stamp = BackupStampNow;
  machine.newChild = [] { return std::make_unique<ChildProcess>(); };
  machine.runToEnd = RunInstaller;
  machine.thisProcess = ThisProcessId();
  machine.settleUnfinished = SettleUnfinishedUpdate;
  return machine;
}

}  // namespace quorvane::platform

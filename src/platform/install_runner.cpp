#include "platform/install_runner.h"

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
        // What it wrote last; a grandchild still holding the pipe is not waited for.
        std::string rest;
        while (child.Read(rest, 0) == ChildProcess::ReadStatus::Data) {
        }
        installer.Output(rest);
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
  return machine;
}

}  // namespace quorvane::platform

#pragma once
// The installer driven with real processes, for callers that may block (a
// terminal, a worker thread, the tests), and what the installer needs to know
// about this machine: where the user's home is, where SteamCMD is, the time.
// Every place here is this machine's own text (UTF-8; wide-character calls on
// Windows), never the game's code page.
#include <functional>
#include <optional>
#include <string>

#include "update/install_machine.h"
#include "update/installer.h"
#include "update/locations.h"

namespace quorvane::platform {

// Runs every SteamCMD run the installer asks for until it finishes.
// `cancelRequested` is asked between reads (about every 50 ms); once it says
// yes the running program and its process group are ended.
update::InstallResult RunInstaller(update::Installer& installer, const std::function<bool()>& cancelRequested = {});

update::System ThisSystem();
// An environment variable; empty when unset.
std::string EnvironmentVariable(const char* name);
// $HOME, or %USERPROFILE% on Windows; empty when unset.
std::string HomeDirectory();
// The first SteamCMD found where users put it (see update::FindSteamCmd).
std::optional<std::string> FindSteamCmdHere();
// The install directory offered first for `gameDir` (converted from the code page by the caller).
std::string DefaultInstallDirHere(const std::string& gameDir);
// Local time as a backup folder's name.
std::string BackupStampNow();
// All of the above, as the windows and the terminal install are given it.
update::InstallMachine ThisMachine();
// A file this user may run.
bool IsProgramFile(const std::string& path);

// From now on Ctrl+C in the terminal (and, on POSIX, a polite request to end)
// is only noted. SteamCMD runs in its own process group and does not get it,
// so a terminal install must end SteamCMD itself and put the user's files back.
void CatchTerminalInterrupt();
// True once such an interrupt came after CatchTerminalInterrupt.
bool TerminalInterrupted();
// Ends the program as the interrupt would have without CatchTerminalInterrupt.
[[noreturn]] void EndAsInterrupted();

long long ThisProcessId();
// See update::InstallMachine::settleUnfinished.
bool SettleUnfinishedUpdate(const update::UpdateMarker& marker);

}  // namespace quorvane::platform

#pragma once
// Where the server is installed and where SteamCMD is, decided over a
// presence test the caller supplies, so the choice is the same on every system.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quorvane::update {

enum class System { Posix, Windows };

// True when the path names a program (or file) that is there.
using PresenceTest = std::function<bool(const std::string&)>;

// True when `dir` holds a dedicated server (hlds_run, hlds_linux or hlds.exe).
bool HoldsServer(std::string_view dir, const PresenceTest& isPresent);

// The current GameDir when it holds a server, else `home`/hlds.
std::string DefaultInstallDir(std::string_view gameDir, std::string_view home, System system,
                              const PresenceTest& isPresent);

// `dir` made absolute against `currentDir` when it is relative.
std::string AbsoluteDir(std::string_view dir, std::string_view currentDir, System system);

// The SteamCMD program to use: steamcmd on PATH, ~/steamcmd/steamcmd.sh,
// ~/.steam/steamcmd/steamcmd.sh, /usr/games/steamcmd; on Windows steamcmd.exe
// on PATH, %USERPROFILE%\steamcmd\steamcmd.exe, C:\steamcmd\steamcmd.exe.
std::optional<std::string> FindSteamCmd(std::string_view pathVariable, std::string_view home, System system,
                                        const PresenceTest& isPresent);

// How to get SteamCMD, for when none is found.
std::string HowToGetSteamCmd(System system);

}  // namespace quorvane::update

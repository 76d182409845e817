#include "update/locations.h"

#include <cctype>
#include <vector>

#include "update/kept_files.h"

namespace quorvane::update {

namespace {

bool IsAbsolute(std::string_view dir, System system) {
  if (system == System::Posix) return dir.starts_with('/');
  const bool drive = dir.size() >= 3 && std::isalpha(static_cast<unsigned char>(dir[0])) != 0 && dir[1] == ':' &&
                     (dir[2] == '\\' || dir[2] == '/');
  return drive || dir.starts_with("\\\\") || dir.starts_with("//");
}

}  // namespace

bool HoldsServer(std::string_view dir, const PresenceTest& isPresent) {
  if (dir.empty()) return false;
  for (const std::string_view program : {"hlds_run", "hlds_linux", "hlds.exe"})
    if (isPresent(JoinPath(dir, program))) return true;
  return false;
}

std::string DefaultInstallDir(std::string_view gameDir, std::string_view home, System system,
                              const PresenceTest& isPresent) {
  if (HoldsServer(gameDir, isPresent)) return std::string(gameDir);
  return system == System::Windows ? JoinPath(home, "hlds") : std::string(home) + "/hlds";
}

std::string AbsoluteDir(std::string_view dir, std::string_view currentDir, System system) {
  if (IsAbsolute(dir, system)) return std::string(dir);
  if (system == System::Windows && (dir.starts_with('\\') || dir.starts_with('/'))) {
    return std::string(currentDir.substr(0, 2)) + std::string(dir);  // the current drive's root
  }
  if (dir.empty() || dir == ".") return std::string(currentDir);
  std::string_view rest = dir;
  while (rest.starts_with("./") || rest.starts_with(".\\")) rest.remove_prefix(2);
  return system == System::Windows ? JoinPath(currentDir, rest) : std::string(currentDir) + "/" + std::string(rest);
}

std::optional<std::string> FindSteamCmd(std::string_view pathVariable, std::string_view home, System system,
                                        const PresenceTest& isPresent) {
  const bool windows = system == System::Windows;
  const std::string_view program = windows ? "steamcmd.exe" : "steamcmd";
  const char separator = windows ? ';' : ':';
  while (!pathVariable.empty()) {
    const std::size_t end = pathVariable.find(separator);
    const std::string_view dir = pathVariable.substr(0, end);
    // An empty entry stands for the current directory, which is no place to look for a program.
    if (!dir.empty()) {
      const std::string candidate = windows ? JoinPath(dir, program) : std::string(dir) + "/" + std::string(program);
      if (isPresent(candidate)) return candidate;
    }
    if (end == std::string_view::npos) break;
    pathVariable.remove_prefix(end + 1);
  }
  std::vector<std::string> known;
  if (windows) {
    if (!home.empty()) known.push_back(JoinPath(home, "steamcmd/steamcmd.exe"));
    known.emplace_back("C:\\steamcmd\\steamcmd.exe");
  } else {
    if (!home.empty()) {
      known.push_back(std::string(home) + "/steamcmd/steamcmd.sh");
      known.push_back(std::string(home) + "/.steam/steamcmd/steamcmd.sh");
    }
    known.emplace_back("/usr/games/steamcmd");
  }
  for (const std::string& candidate : known)
    if (isPresent(candidate)) return candidate;
  return std::nullopt;
}

std::string HowToGetSteamCmd(System system) {
  if (system == System::Windows) {
    return "SteamCMD was not found. Download steamcmd.zip from Valve's developer site, unpack steamcmd.exe into "
           "a folder such as C:\\steamcmd, and choose it here.";
  }
  return "SteamCMD was not found. On Debian it is the package steamcmd in the non-free section and needs the i386 "
         "architecture: sudo dpkg --add-architecture i386, add non-free to the apt sources, then sudo apt update "
         "and sudo apt install steamcmd. Or choose steamcmd.sh here if you unpacked it yourself.";
}

}  // namespace quorvane::update

#include "platform/settings_place.h"

#include <cstdlib>

#include "install/settings_file.h"
#include "platform/program_dir.h"

namespace quorvane::platform {

// Windows programs keep their settings where they stand; the path text there
// is already the system's own, so no route is needed.
std::filesystem::path ChooseSettingsFile(const SettingsSurroundings& around) {
  return around.programDir / "Quorvane.ini";
}

std::string SettingsFilePath(NativeFileSystem&) { return ProgramDirectory() + std::string(install::kSettingsFileName); }

std::filesystem::path ChoosePlayerHistoryFile(const std::string& dataHome, const std::string&) {
  if (dataHome.empty()) return {};
  return std::filesystem::path(std::u8string(dataHome.begin(), dataHome.end())) / "Quorvane" / "players.sqlite3";
}

// The wide environment: a user name outside the code page still reaches the folder.
std::filesystem::path PlayerHistoryFile() {
  const wchar_t* local = ::_wgetenv(L"LOCALAPPDATA");
  if (local == nullptr || *local == L'\0') return {};
  return std::filesystem::path(local) / L"Quorvane" / L"players.sqlite3";
}

}  // namespace quorvane::platform

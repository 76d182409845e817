#include "platform/settings_place.h"

#include "install/settings_file.h"
#include "platform/program_dir.h"

namespace quorvane::platform {

// Windows programs keep their settings where they stand; the path text there
// is already the system's own, so no route is needed.
std::filesystem::path ChooseSettingsFile(const SettingsSurroundings& around) {
  return around.programDir / "Quorvane.ini";
}

std::string SettingsFilePath(NativeFileSystem&) { return ProgramDirectory() + std::string(install::kSettingsFileName); }

}  // namespace quorvane::platform

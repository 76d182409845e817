#include "platform/settings_place.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <string_view>

#include "platform/codepage.h"

namespace quorvane::platform {
namespace {

namespace fs = std::filesystem;

constexpr const char* kFileName = "Quorvane.ini";

bool IsRegularFile(const fs::path& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Packages put programs there; nothing may be written beside them, whoever runs them.
bool InSystemTree(const fs::path& dir) {
  constexpr std::array<std::string_view, 4> kTrees = {"/usr", "/opt", "/bin", "/sbin"};
  const std::string text = dir.lexically_normal().string();
  for (std::string_view tree : kTrees) {
    if (text == tree || (text.starts_with(tree) && text[tree.size()] == '/')) return true;
  }
  return false;
}

bool OwnedAndWritable(const fs::path& dir, unsigned userId) {
  struct stat st {};
  if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != userId) return false;
  return ::faccessat(AT_FDCWD, dir.c_str(), W_OK, AT_EACCESS) == 0;
}

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string HomeDirectory() {
  std::string home = Environment("HOME");
  if (!home.empty()) return home;
  if (const passwd* entry = ::getpwuid(::geteuid()); entry && entry->pw_dir) return entry->pw_dir;
  return {};
}

fs::path RunningProgramDir() {
  std::error_code error;
  const fs::path program = fs::read_symlink("/proc/self/exe", error);
  return error ? fs::path() : program.parent_path();
}

}  // namespace

fs::path ChooseSettingsFile(const SettingsSurroundings& around) {
  const bool known = !around.programDir.empty();
  const fs::path beside = around.programDir / kFileName;
  if (known && IsRegularFile(beside)) return beside;
  if (known && !InSystemTree(around.programDir) && OwnedAndWritable(around.programDir, around.userId)) return beside;
  // A relative $XDG_CONFIG_HOME is to be ignored, as the base directory rules say.
  fs::path config;
  if (fs::path(around.configHome).is_absolute())
    config = around.configHome;
  else if (fs::path(around.home).is_absolute())
    config = fs::path(around.home) / ".config";
  // With no home at all there is nowhere better than beside the program.
  if (config.empty()) return beside;
  return config / "quorvane" / kFileName;
}

fs::path ChoosePlayerHistoryFile(const std::string& dataHome, const std::string& home) {
  // A relative $XDG_DATA_HOME is to be ignored, as the base directory rules say.
  fs::path data;
  if (fs::path(dataHome).is_absolute())
    data = dataHome;
  else if (fs::path(home).is_absolute())
    data = fs::path(home) / ".local" / "share";
  if (data.empty()) return {};
  return data / "quorvane" / "players.sqlite3";
}

fs::path PlayerHistoryFile() { return ChoosePlayerHistoryFile(Environment("XDG_DATA_HOME"), HomeDirectory()); }

std::string SettingsFilePath(NativeFileSystem& files) {
  const fs::path native =
      ChooseSettingsFile({RunningProgramDir(), Environment("XDG_CONFIG_HOME"), HomeDirectory(), ::geteuid()});
  std::string text = Utf8ToAnsi(native.string());
  files.Route(text, native);
  return text;
}

}  // namespace quorvane::platform

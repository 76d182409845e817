#include "app/location_check.h"

#include "config/cfg_reader.h"
#include "install/game_paths.h"
#include "install/settings_file.h"
#include "maps/map_catalogue.h"
#include "maps/map_cycle.h"
#include "maps/motd.h"

namespace quorvane::app {

using install::GamePath;

namespace {

bool HoldsLineBreak(const std::string& text) { return text.find_first_of("\r\n") != std::string::npos; }

LocationSave Refused(const char* message) { return {false, message}; }

}  // namespace

std::vector<std::string> SteamInstallDirs(const std::string& home) {
  if (home.empty()) return {};
  return {home + "/Steam/steamapps/common/Half-Life", home + "/.steam/steam/steamapps/common/Half-Life",
          home + "/.local/share/Steam/steamapps/common/Half-Life"};
}

std::string FindDefaultInstallation(install::FileSystem& fs, const std::vector<std::string>& nativeInstallDirs) {
  if (fs.IsPresent(std::string(install::kDefaultHldsExe))) return std::string(install::kDefaultGameDirStored);
  for (const std::string& dir : nativeInstallDirs) {
    if (fs.IsPresent(dir + "/hlds_run") || fs.IsPresent(dir + "/hlds_linux")) return dir + "/";
  }
  return {};
}

StartupDecision DecideStartup(install::FileSystem& fs, const StartPlaces& places) {
  if (fs.IsPresent(places.settingsPath))
    return {StartBranch::SettingsFile, install::ReadServerLocation(fs, places.settingsPath)};
  std::string found = FindDefaultInstallation(fs, places.nativeInstallDirs);
  if (!found.empty()) return {StartBranch::DefaultInstallation, std::move(found)};
  return {StartBranch::FirstRun, std::string(install::kFirstRunDir)};
}

LocationSave StoreLocation(install::FileSystem& fs, const std::string& settingsPath, const std::string& location) {
  const install::IoResult saved = install::SaveServerLocation(fs, settingsPath, location);
  if (!saved) return {false, FailureMessage("write", settingsPath, saved.reason)};
  return {true, {}};
}

std::string CodePageLocationMessage(std::string_view dir) {
  return "Quorvane cannot make " + std::string(dir) +
         " the server location: the game keeps that location in its single-byte code page, which cannot hold "
         "every character of the name. Please select or install into a directory whose name it can hold; the "
         "server location stays as it was.";
}

LocationSave SaveFirstRunLocation(install::FileSystem& fs, const std::string& settingsPath, const std::string& chosen) {
  if (chosen.empty()) return Refused(kEmptyLocationMessage);
  if (HoldsLineBreak(chosen)) return Refused(kLineBreakLocationMessage);
  return StoreLocation(fs, settingsPath, chosen);
}

LocationSave SaveChangedLocation(install::FileSystem& fs, const std::string& settingsPath, const std::string& chosen) {
  if (HoldsLineBreak(chosen)) return Refused(kLineBreakLocationMessage);
  return StoreLocation(fs, settingsPath, chosen);
}

LocationReload ReloadLocation(install::FileSystem& fs, const std::string& location, config::FieldValues fields) {
  LocationReload reload;
  reload.fields = std::move(fields);
  const auto note = [&](std::string_view verb, const std::string& path, const install::IoResult& result) {
    if (!result) reload.failures.push_back(FailureMessage(verb, path, result.reason));
  };
  reload.maps = maps::ScanMaps(fs, location);
  const std::string cycle = GamePath(location, install::kMapCycle);
  if (fs.IsPresent(cycle)) {
    install::Read<std::vector<std::string>> entries = maps::LoadMapCycle(fs, cycle);
    note("read", cycle, entries.status());
    reload.mapCycle = std::move(entries).value();
  } else {
    const std::string created = GamePath(location, install::kMapCycleCreate);
    note("write", created, fs.WriteFile(created, {}));
  }
  for (std::string_view file : {install::kServerCfg, install::kAutoexecCfg}) {
    const std::string path = GamePath(location, file);
    if (!fs.IsPresent(path)) continue;
    const install::Read<config::FieldUpdates> updates = config::LoadCfgFile(fs, path);
    note("read", path, updates.status());
    updates.value().ApplyTo(reload.fields);
  }
  const std::string motdPath = GamePath(location, install::kMotd);
  if (fs.IsPresent(motdPath)) {
    install::Read<std::string> motd = maps::LoadMotd(fs, motdPath);
    note("read", motdPath, motd.status());
    if (motd) reload.motd = std::move(motd).value();
  }
  return reload;
}

}  // namespace quorvane::app

#include "app/location_check.h"

#include <functional>

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

// Stores the location; a failure is shown, naming the file.
install::IoResult Store(install::FileSystem& fs, const std::string& settingsPath, const std::string& location,
                        const std::function<void(const std::string&)>& show) {
  install::IoResult saved = install::SaveServerLocation(fs, settingsPath, location);
  if (!saved) show(FailureMessage("write", settingsPath, saved.error));
  return saved;
}

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

StartBranch RunStartupCheck(install::FileSystem& fs, const StartPlaces& places, LocationWindows& windows) {
  if (fs.IsPresent(places.settingsPath)) {
    windows.SetCheckGamePath(install::ReadServerLocation(fs, places.settingsPath));
    windows.SetMainGamePath(windows.CheckGamePath());
    windows.ShowMainForm();
    windows.SetMainGamePath(windows.CheckGamePath());
    windows.ProcessEventsAndPause();
    windows.ShowStartButton();
    return StartBranch::SettingsFile;
  }
  const std::string found = FindDefaultInstallation(fs, places.nativeInstallDirs);
  if (!found.empty()) {
    windows.ShowMainForm();
    windows.SetMainGamePath(found);
    // Unstored, the place still serves this run; the next start looks for it again.
    (void)Store(fs, places.settingsPath, found, [&](const std::string& text) { windows.ShowMessage(text); });
    windows.ProcessEventsAndPause();
    windows.ShowStartButton();
    return StartBranch::DefaultInstallation;
  }
  windows.ShowLocateFile(std::string(install::kFirstRunDir));
  windows.ShowMessage(kLocationNotFoundMessage);
  return StartBranch::FirstRun;
}

bool SaveFirstRunLocation(install::FileSystem& fs, const std::string& settingsPath, const std::string& chosen,
                          LocationWindows& windows) {
  if (chosen.empty()) {
    windows.ShowMessage(kEmptyLocationMessage);
    return false;
  }
  if (HoldsLineBreak(chosen)) {
    windows.ShowMessage(kLineBreakLocationMessage);
    return false;
  }
  if (!Store(fs, settingsPath, chosen, [&](const std::string& text) { windows.ShowMessage(text); })) return false;
  windows.SetMainGamePath(chosen);
  windows.ShowMainForm();
  windows.ShowMessage(kLocationSavedMessage);
  windows.ShowMessage(kRereadAdviceMessage);
  windows.ProcessEventsAndPause();
  windows.ShowStartButton();
  return true;
}

install::IoResult SaveChangedLocation(install::FileSystem& fs, const std::string& settingsPath,
                                      const std::string& chosen, ChangeTarget& main) {
  const auto show = [&](const std::string& text) { main.ShowMessage(text); };
  if (HoldsLineBreak(chosen)) {
    show(kLineBreakLocationMessage);
    return install::IoResult::Failure(kLineBreakLocationMessage);
  }
  install::IoResult saved = Store(fs, settingsPath, chosen, show);
  if (!saved) return saved;
  const auto note = [&](std::string_view verb, const std::string& path, const install::IoResult& result) {
    if (!result) show(FailureMessage(verb, path, result.error));
  };
  main.SetGameDir(chosen);
  main.BringToFront();
  main.ReplaceStartingMaps(maps::ScanMaps(fs, chosen));
  const std::string cycle = GamePath(chosen, install::kMapCycle);
  if (fs.IsPresent(cycle)) {
    const install::Read<std::vector<std::string>> entries = maps::LoadMapCycle(fs, cycle);
    note("read", cycle, entries.status());
    main.SetMapCycle(entries.value());
  } else {
    const std::string created = GamePath(chosen, install::kMapCycleCreate);
    note("write", created, fs.WriteFile(created, {}));
  }
  main.ReplaceAvailableMaps(maps::ScanMaps(fs, chosen));
  for (std::string_view file : {install::kServerCfg, install::kAutoexecCfg}) {
    const std::string path = GamePath(chosen, file);
    // A place without the file keeps the values the window has.
    if (fs.IsPresent(path)) note("read", path, config::LoadCfgFile(fs, path, main.Fields()));
  }
  const std::string motdPath = GamePath(chosen, install::kMotd);
  if (fs.IsPresent(motdPath)) {
    const install::Read<std::string> motd = maps::LoadMotd(fs, motdPath);
    note("read", motdPath, motd.status());
    if (motd) main.SetMotd(motd.value());
  }
  main.ShowMessage(kLocationSavedMessage);
  return saved;
}

}  // namespace quorvane::app

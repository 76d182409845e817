#include "app/location_check.h"

#include "config/cfg_reader.h"
#include "install/game_paths.h"
#include "install/settings_file.h"
#include "maps/map_catalogue.h"
#include "maps/map_cycle.h"
#include "maps/motd.h"

namespace quorvane::app {

using install::GamePath;

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
    install::SaveServerLocation(fs, places.settingsPath, found);
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
  install::SaveServerLocation(fs, settingsPath, chosen);
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
  const install::IoResult saved = install::SaveServerLocation(fs, settingsPath, chosen);
  main.SetGameDir(chosen);
  main.BringToFront();
  main.ReplaceStartingMaps(maps::ScanMaps(fs, chosen));
  const std::string cycle = GamePath(chosen, install::kMapCycle);
  if (fs.IsPresent(cycle)) {
    std::vector<std::string> entries;
    maps::LoadMapCycle(fs, cycle, entries);
    main.SetMapCycle(entries);
  } else {
    fs.WriteFile(GamePath(chosen, install::kMapCycleCreate), {});
  }
  main.ReplaceAvailableMaps(maps::ScanMaps(fs, chosen));
  config::LoadCfgFile(fs, GamePath(chosen, install::kServerCfg), main.Fields());
  config::LoadCfgFile(fs, GamePath(chosen, install::kAutoexecCfg), main.Fields());
  std::string motd;
  if (maps::LoadMotd(fs, GamePath(chosen, install::kMotd), motd)) main.SetMotd(motd);
  main.ShowMessage(kLocationSavedMessage);
  return saved;
}

}  // namespace quorvane::app

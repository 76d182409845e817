#include "ui/installation_fill.h"

#include "config/cfg_reader.h"
#include "config/resets.h"
#include "install/game_paths.h"
#include "maps/map_catalogue.h"
#include "maps/map_cycle.h"
#include "maps/motd.h"
#include "ui/main_form.h"

namespace quorvane::ui {

void FillFromInstallation(MainForm& form, install::FileSystem& fs) {
  const std::string gameDir = form.GameDir();
  const auto path = [&gameDir](std::string_view relative) { return install::GamePath(gameDir, relative); };

  if (fs.IsPresent(path(install::kAutoexecCfg)))
    config::LoadCfgFile(fs, path(install::kAutoexecCfg), form);
  else
    config::ApplyAutoexecDefaults(form);
  if (fs.IsPresent(path(install::kServerCfg)))
    config::LoadCfgFile(fs, path(install::kServerCfg), form);
  else
    config::ApplyServerDefaults(form);
  config::FixUpServerFields(form);

  const std::vector<std::string> catalogue = maps::ScanMaps(fs, gameDir);
  form.ClearStartingMaps();
  form.AddStartingMaps(catalogue);
  form.ClearAvailableMaps();
  form.AddAvailableMaps(catalogue);

  std::vector<std::string> cycle;
  if (fs.IsPresent(path(install::kMapCycle)) && maps::LoadMapCycle(fs, path(install::kMapCycle), cycle))
    form.SetMapCycle(cycle);

  std::string motd;
  if (fs.IsPresent(path(install::kMotd)) && maps::LoadMotd(fs, path(install::kMotd), motd)) form.SetMotd(motd);
}

}  // namespace quorvane::ui

#include "app/run_server.h"

#include "app/workspace.h"
#include "config/cfg_reader.h"
#include "config/resets.h"
#include "install/game_paths.h"
#include "maps/map_cycle.h"

namespace quorvane::app {

namespace {

// As the load reads a configuration file, but a missing one only gives its defaults.
std::string ReadConfig(install::FileSystem& fs, const std::string& path, void (*defaults)(config::FieldValues&),
                       config::FieldValues& fields) {
  if (!fs.IsPresent(path)) {
    defaults(fields);
    return {};
  }
  const install::Read<config::FieldUpdates> updates = config::LoadCfgFile(fs, path);
  if (!updates) return FailureMessage("read", path, updates.reason());
  updates.value().ApplyTo(fields);
  return {};
}

}  // namespace

RunServerForm RunServerLaunchForm(install::FileSystem& fs, const std::string& gameDir, const std::string& mapOption,
                                  const std::string& lastMap) {
  RunServerForm run;
  run.form.gameDir = gameDir;
  if (gameDir.empty()) {
    run.problem = "No server location is stored: start Quorvane once with its windows and choose it.";
    return run;
  }
  run.problem =
      ReadConfig(fs, install::GamePath(gameDir, install::kAutoexecCfg), config::ApplyAutoexecDefaults, run.form.fields);
  if (run.problem.empty())
    run.problem =
        ReadConfig(fs, install::GamePath(gameDir, install::kServerCfg), config::ApplyServerDefaults, run.form.fields);
  if (!run.problem.empty()) return run;
  config::FixUpServerFields(run.form.fields);
  run.form.startingMap = !mapOption.empty() ? mapOption : lastMap;
  if (run.form.startingMap.empty()) {
    const std::string cycle = install::GamePath(gameDir, install::kMapCycle);
    if (fs.IsPresent(cycle)) {
      const install::Read<std::vector<std::string>> entries = maps::LoadMapCycle(fs, cycle);
      if (!entries) {
        run.problem = FailureMessage("read", cycle, entries.reason());
        return run;
      }
      if (!entries.value().empty()) run.form.startingMap = entries.value().front();
    }
  }
  if (run.form.startingMap.empty())
    run.problem =
        "No starting map: give one with --map, or put one in " + install::GamePath(gameDir, install::kMapCycle) + ".";
  return run;
}

}  // namespace quorvane::app

#include "app/workspace.h"

#include "config/cfg_reader.h"
#include "config/cfg_writer.h"
#include "config/resets.h"
#include "install/game_paths.h"
#include "maps/map_catalogue.h"
#include "maps/map_cycle.h"
#include "maps/motd.h"

namespace quorvane::app {

namespace {

using install::GamePath;

void Note(LoadReport& report, std::string_view verb, const std::string& path, const std::string& reason) {
  report.failures.push_back(FailureMessage(verb, path, reason));
}

void Note(LoadReport& report, std::string_view verb, const std::string& path, const install::IoResult& result) {
  if (!result) Note(report, verb, path, result.reason);
}

// What sets the two configuration files apart at load: where each lies, what is said when it is missing,
// and the defaults and basic file that then take its place.
struct ConfigFileLoad {
  std::string_view file;
  std::string (*missingMessage)(const std::string& gameDir);
  const char* defaultsMessage;
  void (*applyDefaults)(config::FieldValues& fields);
  config::WriteResult (*writeBasic)(install::FileSystem& fs, const std::string& gameDir,
                                    const config::FieldValues& fields);
};

const ConfigFileLoad kAutoexecLoad{install::kAutoexecCfg, MissingAutoexecMessage, kAutoexecDefaultsMessage,
                                   config::ApplyAutoexecDefaults, config::WriteBasicAutoexecCfg};
// Its basic file is written before the fix-ups, so its port line holds what the field had.
const ConfigFileLoad kServerCfgLoad{install::kServerCfg, MissingServerCfgMessage, kServerCfgDefaultsMessage,
                                    config::ApplyServerDefaults, config::WriteBasicServerCfg};

void LoadConfigFile(install::FileSystem& fs, const std::string& gameDir, const Say& say, WorkspaceView& view,
                    const ConfigFileLoad& load) {
  const std::string path = GamePath(gameDir, load.file);
  if (fs.IsPresent(path)) {
    const install::Read<config::FieldUpdates> updates = config::LoadCfgFile(fs, path);
    Note(view.report, "read", path, updates.status());
    updates.value().ApplyTo(view.fields);
    return;
  }
  say(load.missingMessage(gameDir));
  say(load.defaultsMessage);
  load.applyDefaults(view.fields);
  const config::WriteResult written = load.writeBasic(fs, gameDir, view.fields);
  if (!written) Note(view.report, "write", written.file, written.reason);
}

std::vector<std::string> Catalogue(install::FileSystem& fs, const std::string& gameDir) {
  std::vector<std::string> names(maps::kStandardMaps.begin(), maps::kStandardMaps.end());
  for (std::string& name : maps::ListMapFiles(fs, gameDir)) names.push_back(std::move(name));
  return names;
}

void FillStartingMaps(install::FileSystem& fs, const std::string& gameDir, WorkspaceView& view) {
  const std::string dir = GamePath(gameDir, install::kMapsDir);
  if (fs.ListFiles(dir).empty() && !fs.IsDirectory(dir)) Note(view.report, "create", dir, fs.CreateDirectory(dir));
  view.startingMaps = Catalogue(fs, gameDir);
}

void LoadCycle(install::FileSystem& fs, const std::string& gameDir, WorkspaceView& view) {
  const std::string path = GamePath(gameDir, install::kMapCycle);
  if (fs.IsPresent(path)) {
    install::Read<std::vector<std::string>> entries = maps::LoadMapCycle(fs, path);
    Note(view.report, "read", path, entries.status());
    view.mapCycle = std::move(entries).value();
    return;
  }
  const std::string created = GamePath(gameDir, install::kMapCycleCreate);
  Note(view.report, "write", created, fs.WriteFile(created, {}));
}

void LoadMessage(install::FileSystem& fs, const std::string& gameDir, WorkspaceView& view) {
  const std::string path = GamePath(gameDir, install::kMotd);
  if (!fs.IsPresent(path)) {
    Note(view.report, "write", path, fs.WriteFile(path, {}));
    return;
  }
  install::Read<std::string> text = maps::LoadMotd(fs, path);
  if (text) {
    view.motd = std::move(text).value();
  } else {
    Note(view.report, "read", path, text.reason());
  }
}

}  // namespace

std::string FailureMessage(std::string_view verb, const std::string& path, const std::string& reason) {
  return "Quorvane could not " + std::string(verb) + " " + path + ": " + reason;
}

std::string MissingAutoexecMessage(const std::string& gameDir) {
  return "This Form looks for your Autoexec.cfg file in the " + gameDir +
         "Valve directory.  If it does not find it there, it will create a basic one.";
}

std::string MissingServerCfgMessage(const std::string& gameDir) {
  return "This Form looks for your server.cfg file in the " + gameDir +
         "TFC  directory.  If it does not find it there, it will create a basic one.";
}

WorkspaceView LoadWorkspace(install::FileSystem& fs, const std::string& gameDir, config::FieldValues fields,
                            const Say& say) {
  WorkspaceView view;
  view.fields = std::move(fields);
  LoadConfigFile(fs, gameDir, say, view, kAutoexecLoad);
  LoadConfigFile(fs, gameDir, say, view, kServerCfgLoad);
  config::FixUpServerFields(view.fields);
  FillStartingMaps(fs, gameDir, view);
  LoadCycle(fs, gameDir, view);
  LoadMessage(fs, gameDir, view);
  view.availableMaps = Catalogue(fs, gameDir);
  return view;
}

}  // namespace quorvane::app

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
  if (!result) Note(report, verb, path, result.error);
}

// What sets the two configuration files apart at load: where each lies, what is said when it is missing,
// and the defaults and basic file that then take its place.
struct ConfigFileLoad {
  std::string_view file;
  std::string (*missingMessage)(const std::string& gameDir);
  const char* defaultsMessage;
  void (*applyDefaults)(config::FieldStore& fields);
  config::WriteResult (*writeBasic)(install::FileSystem& fs, const std::string& gameDir,
                                    const config::FieldStore& fields);
};

const ConfigFileLoad kAutoexecLoad{install::kAutoexecCfg, MissingAutoexecMessage, kAutoexecDefaultsMessage,
                                   config::ApplyAutoexecDefaults, config::WriteBasicAutoexecCfg};
// Its basic file is written before the fix-ups, so its port line holds what the field had.
const ConfigFileLoad kServerCfgLoad{install::kServerCfg, MissingServerCfgMessage, kServerCfgDefaultsMessage,
                                    config::ApplyServerDefaults, config::WriteBasicServerCfg};

void LoadConfigFile(install::FileSystem& fs, Workspace& ws, LoadReport& report, const ConfigFileLoad& load) {
  const std::string path = GamePath(ws.GameDir(), load.file);
  if (fs.IsPresent(path)) {
    Note(report, "read", path, config::LoadCfgFile(fs, path, ws.Fields()));
    return;
  }
  ws.ShowMessage(load.missingMessage(ws.GameDir()));
  ws.ShowMessage(load.defaultsMessage);
  load.applyDefaults(ws.Fields());
  const config::WriteResult written = load.writeBasic(fs, ws.GameDir(), ws.Fields());
  if (!written) Note(report, "write", written.file, written.reason);
}

std::vector<std::string> Catalogue(install::FileSystem& fs, const std::string& gameDir) {
  std::vector<std::string> names(maps::kStandardMaps.begin(), maps::kStandardMaps.end());
  for (std::string& name : maps::ListMapFiles(fs, gameDir)) names.push_back(std::move(name));
  return names;
}

void FillStartingMaps(install::FileSystem& fs, Workspace& ws, LoadReport& report) {
  const std::string dir = GamePath(ws.GameDir(), install::kMapsDir);
  if (fs.ListFiles(dir).empty() && !fs.IsDirectory(dir)) Note(report, "create", dir, fs.CreateDirectory(dir));
  ws.AddStartingMaps(Catalogue(fs, ws.GameDir()));
}

void LoadCycle(install::FileSystem& fs, Workspace& ws, LoadReport& report) {
  const std::string path = GamePath(ws.GameDir(), install::kMapCycle);
  if (fs.IsPresent(path)) {
    const install::Read<std::vector<std::string>> entries = maps::LoadMapCycle(fs, path);
    Note(report, "read", path, entries.status());
    ws.SetMapCycle(entries.value());
    return;
  }
  const std::string created = GamePath(ws.GameDir(), install::kMapCycleCreate);
  Note(report, "write", created, fs.WriteFile(created, {}));
}

void LoadMessage(install::FileSystem& fs, Workspace& ws, LoadReport& report) {
  const std::string path = GamePath(ws.GameDir(), install::kMotd);
  if (!fs.IsPresent(path)) {
    Note(report, "write", path, fs.WriteFile(path, {}));
    return;
  }
  const install::Read<std::string> text = maps::LoadMotd(fs, path);
  if (text) {
    ws.SetMotd(text.value());
  } else {
    Note(report, "read", path, text.error());
  }
}

void FillAvailableMaps(install::FileSystem& fs, Workspace& ws) { ws.AddAvailableMaps(Catalogue(fs, ws.GameDir())); }

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

LoadReport LoadWorkspace(install::FileSystem& fs, Workspace& ws) {
  LoadReport report;
  LoadConfigFile(fs, ws, report, kAutoexecLoad);
  LoadConfigFile(fs, ws, report, kServerCfgLoad);
  config::FixUpServerFields(ws.Fields());
  FillStartingMaps(fs, ws, report);
  LoadCycle(fs, ws, report);
  LoadMessage(fs, ws, report);
  FillAvailableMaps(fs, ws);
  ws.LoadSoundForm();
  return report;
}

}  // namespace quorvane::app

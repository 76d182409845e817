#pragma once
// Filling the main window from the game installation at start.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "config/field_values.h"
#include "install/file_system.h"

namespace quorvane::app {

// What went wrong on the way; the load itself never stops for it.
struct [[nodiscard]] LoadReport {
  std::vector<std::string> failures;  // each a whole message, as FailureMessage words it
  bool ok() const { return failures.empty(); }
};

// "Quorvane could not <verb> <path>: <reason>", the form every file failure takes.
std::string FailureMessage(std::string_view verb, const std::string& path, const std::string& reason);

// A message box the load gives while it runs; it comes before the basic file it announces is written.
using Say = std::function<void(const std::string&)>;

// What the start-up load found, for the main window to show.
struct [[nodiscard]] WorkspaceView {
  config::FieldValues fields;
  std::vector<std::string> startingMaps;             // added to Combo1, which keeps its own order
  std::vector<std::string> availableMaps;            // added to List2
  std::optional<std::vector<std::string>> mapCycle;  // List1, when mapcycle.txt was there
  std::optional<std::string> motd;                   // Text9, when motd.txt could be read
  LoadReport report;
};

// The start-up load: configuration files over `fields` (or defaults and basic
// files when missing), fix-ups, map lists, map cycle, message of the day. The
// window shows the view and then loads SoundForm.
WorkspaceView LoadWorkspace(install::FileSystem& fs, const std::string& gameDir, config::FieldValues fields,
                            const Say& say);

// The texts shown when a configuration file is missing; GameDir runs straight
// into the directory word.
std::string MissingAutoexecMessage(const std::string& gameDir);
std::string MissingServerCfgMessage(const std::string& gameDir);
inline constexpr const char* kAutoexecDefaultsMessage =
    "Your Autoexec Config file was not found, I will now put in the values for you in the form";
inline constexpr const char* kServerCfgDefaultsMessage =
    "Your Server Config file was not found, I will now put in the values for you in the form";

}  // namespace quorvane::app

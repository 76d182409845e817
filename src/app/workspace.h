#pragma once
// Filling the main window from the game installation at start.
#include <string>
#include <vector>

#include "config/field_store.h"
#include "install/file_system.h"

namespace quorvane::app {

// The main window as the start-up code fills it. The window side adapts its
// controls; tests use an in-memory one.
class Workspace {
 public:
  virtual ~Workspace() = default;
  virtual std::string GameDir() const = 0;  // GamePath text, read afresh for every path
  virtual config::FieldStore& Fields() = 0;
  virtual void ShowMessage(const std::string& text) = 0;  // OK box titled "Quorvane"

  // Combo1 and List2 keep their own order; the load only adds.
  virtual void AddStartingMaps(const std::vector<std::string>& names) = 0;
  virtual void AddAvailableMaps(const std::vector<std::string>& names) = 0;
  // ScanMaps replaces a list whole; for Combo1 that also empties its text.
  virtual void ReplaceStartingMaps(const std::vector<std::string>& names) = 0;
  virtual void ReplaceAvailableMaps(const std::vector<std::string>& names) = 0;
  virtual void SetMapCycle(const std::vector<std::string>& entries) = 0;  // List1
  virtual void SetMotd(const std::string& text) = 0;                      // Text9
  virtual void LoadSoundForm() = 0;
};

// What went wrong on the way; the load itself never stops for it.
struct [[nodiscard]] LoadReport {
  std::vector<std::string> failures;  // each a whole message, as FailureMessage words it
  bool ok() const { return failures.empty(); }
};

// "Quorvane could not <verb> <path>: <reason>", the form every file failure takes.
std::string FailureMessage(std::string_view verb, const std::string& path, const std::string& reason);

// The start-up load: configuration files (or defaults and basic files when
// missing), fix-ups, map lists, map cycle, message of the day, then SoundForm.
LoadReport LoadWorkspace(install::FileSystem& fs, Workspace& workspace);

// The texts shown when a configuration file is missing; GameDir runs straight
// into the directory word.
std::string MissingAutoexecMessage(const std::string& gameDir);
std::string MissingServerCfgMessage(const std::string& gameDir);
inline constexpr const char* kAutoexecDefaultsMessage =
    "Your Autoexec Config file was not found, I will now put in the values for you in the form";
inline constexpr const char* kServerCfgDefaultsMessage =
    "Your Server Config file was not found, I will now put in the values for you in the form";

}  // namespace quorvane::app

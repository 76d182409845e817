#pragma once
// Asking SteamCMD for the latest public build of the dedicated server and
// comparing it with the build installed in the server folder.
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "install/file_system.h"
#include "update/install_machine.h"
#include "update/locations.h"
#include "update/update_check.h"

namespace quorvane::update {

// SteamCMD's arguments that print app 90's info, the public branch's build among it.
std::vector<std::string> AppInfoArguments();

// steamapps/appmanifest_90.acf of the server folder, in the folder's own text.
std::string ManifestPath(const std::string& serverDir, System system);

struct BuildCheckResult {
  UpdateCheck check;
  std::string reason;  // why it could not check; empty when it could
};

struct BuildCheckRun {
  install::FileSystem* files = nullptr;  // the machine's, for the manifest
  std::string serverDir;
  System system = System::Posix;
  std::optional<std::string> steamCmd;  // none: SteamCMD was not found
  ChildRun* child = nullptr;
  // SteamCMD is ended after this long; it updates itself on its first run, which takes a while.
  std::chrono::milliseconds limit = std::chrono::minutes(10);
  std::function<std::chrono::steady_clock::time_point()> now;
  // SteamCMD is ended at once when this says so (the program is ending); none: never.
  std::function<bool()> cancelled;
};

// Reads the installed build, runs SteamCMD for the latest one and compares them.
[[nodiscard]] BuildCheckResult CheckServerBuild(const BuildCheckRun& run);

// The answer of a check for the terminal: plain lines, or one JSON object.
std::string BuildCheckText(const BuildCheckResult& result);
std::string BuildCheckJson(const BuildCheckResult& result);

}  // namespace quorvane::update

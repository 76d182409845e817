#pragma once
// What `--run-server` starts: the dedicated server as "Start Dedicated Server"
// starts it, from the fields as the workspace load reads them from the
// configuration files (defaults where a file is missing; nothing is written).
#include <string>

#include "install/file_system.h"
#include "launch/launcher.h"

namespace quorvane::app {

struct [[nodiscard]] RunServerForm {
  launch::LaunchForm form;
  std::string problem;  // non-empty: why there is nothing to start, in one sentence
};

// The starting map is `mapOption`, else `lastMap` (the last start's), else
// the first entry of mapcycle.txt.
RunServerForm RunServerLaunchForm(install::FileSystem& fs, const std::string& gameDir, const std::string& mapOption,
                                  const std::string& lastMap);

}  // namespace quorvane::app

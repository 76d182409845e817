#pragma once
// The map cycle, message and settings file the write loop rewrites, each
// numbered by its run so a test can tell which write a file came from and
// rebuild the bytes that write gives.
#include <cstdio>
#include <string>
#include <vector>

#include "install/file_system.h"
#include "install/game_paths.h"
#include "install/settings_file.h"
#include "maps/map_cycle.h"
#include "maps/motd.h"

namespace quorvane::test_support {

enum LoopFile { kLoopMapCycle, kLoopMotd, kLoopSettings };
constexpr LoopFile kLoopFiles[] = {kLoopMapCycle, kLoopMotd, kLoopSettings};

inline std::string LoopFilePath(const std::string& gameDir, LoopFile file) {
  switch (file) {
    case kLoopMapCycle:
      return install::GamePath(gameDir, install::kMapCycle);
    case kLoopMotd:
      return install::GamePath(gameDir, install::kMotd);
    default:
      return gameDir + "\\Quorvane.ini";
  }
}

// Long enough that a write takes more than one system call's worth of bytes.
inline install::IoResult WriteLoopFile(install::FileSystem& fs, const std::string& gameDir, LoopFile file,
                                       unsigned long run) {
  const std::string number = std::to_string(run);
  const std::string path = LoopFilePath(gameDir, file);
  if (file == kLoopMapCycle) return maps::SaveMapCycle(fs, path, std::vector<std::string>(2000, "run" + number));
  if (file == kLoopMotd) return maps::SaveMotd(fs, path, "run" + number + "\r\n" + std::string(20000, 'm'));
  return install::SaveServerLocation(fs, path, "C:\\run" + number + "\\" + std::string(9000, 'l'));
}

// The run a file's bytes name, or -1 when they name none.
inline long LoopFileRun(const std::string& bytes) {
  const std::size_t at = bytes.find("run");
  long run = -1;
  if (at == std::string::npos || std::sscanf(bytes.c_str() + at + 3, "%ld", &run) != 1) return -1;
  return run;
}

}  // namespace quorvane::test_support

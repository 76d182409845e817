#pragma once
#include <string>
#include <vector>

#include "install/file_system.h"

namespace quorvane::maps {

// Items of mapcycle.txt under the settings-file item rules; a blank line is one empty item.
install::Read<std::vector<std::string>> LoadMapCycle(install::FileSystem& fs, const std::string& path);
// One entry per line, CR LF each; an empty cycle is an empty file.
install::IoResult SaveMapCycle(install::FileSystem& fs, const std::string& path,
                               const std::vector<std::string>& entries);

}  // namespace quorvane::maps

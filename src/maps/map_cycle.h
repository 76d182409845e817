#pragma once
#include <string>
#include <vector>

#include "install/file_system.h"

namespace quorvane::maps {

// Items of mapcycle.txt under the settings-file item rules; a blank line is one empty item.
install::IoResult LoadMapCycle(install::FileSystem& fs, const std::string& path, std::vector<std::string>& entries);
// One entry per line, CR LF each; an empty cycle is an empty file.
install::IoResult SaveMapCycle(install::FileSystem& fs, const std::string& path, const std::vector<std::string>& entries);

}  // namespace quorvane::maps

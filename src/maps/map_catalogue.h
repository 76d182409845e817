#pragma once
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "install/file_system.h"

namespace quorvane::maps {

inline constexpr std::array<std::string_view, 6> kStandardMaps = {"2Fort", "cz2", "hunted", "push", "rock2", "well"};

// A file's map name: the text before its last dot; a name without a dot whole.
std::string MapNameOf(std::string_view fileName);
// Map names of the files in GameDir + "\Tfc\Maps\", in listing order (no standard maps); a file
// whose name holds a line break is left out.
std::vector<std::string> ListMapFiles(install::FileSystem& fs, const std::string& gameDir);
// The catalogue: the six standard maps, then the map files, sorted without regard to case.
std::vector<std::string> ScanMaps(install::FileSystem& fs, const std::string& gameDir);
// Case-insensitive alphabetical order, stable for equal names.
void SortMapNames(std::vector<std::string>& names);

}  // namespace quorvane::maps

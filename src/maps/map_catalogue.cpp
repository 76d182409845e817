#include "maps/map_catalogue.h"

#include <algorithm>
#include <iterator>

#include "install/game_paths.h"
#include "install/text_case.h"

namespace quorvane::maps {
namespace {

std::size_t MapNameLength(std::string_view fileName) {
  const std::size_t dot = fileName.rfind('.');
  return dot == std::string_view::npos ? fileName.size() : dot;
}

}  // namespace

std::string MapNameOf(std::string_view fileName) { return std::string(fileName.substr(0, MapNameLength(fileName))); }

std::vector<std::string> ListMapFiles(install::FileSystem& fs, const std::string& gameDir) {
  std::vector<std::string> names = fs.ListFiles(install::GamePath(gameDir, install::kMapsDir));
  // A name with a line break would become two lines of mapcycle.txt.
  std::erase_if(names, [](const std::string& name) { return name.find_first_of("\r\n") != std::string::npos; });
  for (std::string& name : names) name.resize(MapNameLength(name));
  return names;
}

std::vector<std::string> ScanMaps(install::FileSystem& fs, const std::string& gameDir) {
  std::vector<std::string> found = ListMapFiles(fs, gameDir);
  std::vector<std::string> names;
  names.reserve(kStandardMaps.size() + found.size());
  names.assign(kStandardMaps.begin(), kStandardMaps.end());
  std::move(found.begin(), found.end(), std::back_inserter(names));
  SortMapNames(names);
  return names;
}

void SortMapNames(std::vector<std::string>& names) {
  std::stable_sort(names.begin(), names.end(),
                   [](const std::string& a, const std::string& b) { return install::CompareNoCase(a, b) < 0; });
}

}  // namespace quorvane::maps

#include "maps/map_cycle.h"

#include "install/keep_previous.h"
#include "install/settings_file.h"

namespace quorvane::maps {

install::Read<std::vector<std::string>> LoadMapCycle(install::FileSystem& fs, const std::string& path) {
  install::Read<std::string> read = fs.ReadFile(path);
  if (!read) return read.status();
  const std::string content = std::move(read).value();
  // Each item takes its delimiter with it, so the file's final line end
  // closes the last entry instead of adding an empty one.
  std::vector<std::string> entries;
  std::size_t pos = 0;
  while (pos < content.size()) entries.push_back(install::ReadItem(content, pos));
  return entries;
}

install::IoResult SaveMapCycle(install::FileSystem& fs, const std::string& path,
                               const std::vector<std::string>& entries) {
  std::string content;
  for (const std::string& entry : entries) {
    content += entry;
    content += "\r\n";
  }
  return install::WriteKeepingPrevious(fs, path, content);
}

}  // namespace quorvane::maps

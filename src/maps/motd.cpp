#include "maps/motd.h"

#include "install/keep_previous.h"

namespace quorvane::maps {

install::Read<std::string> LoadMotd(install::FileSystem& fs, const std::string& path) {
  install::Read<std::string> read = fs.ReadFile(path);
  if (!read) return read.status();
  std::string content = std::move(read).value();
  // SaveMotd adds one line end; taking it off again keeps a write and re-read
  // from growing the message by a line each time.
  if (content.ends_with("\r\n"))
    content.resize(content.size() - 2);
  else if (content.ends_with('\n') || content.ends_with('\r'))
    content.pop_back();
  return content;
}

install::IoResult SaveMotd(install::FileSystem& fs, const std::string& path, const std::string& text) {
  std::string content;
  content.reserve(text.size() + 2);
  content += text;
  content += "\r\n";
  return install::WriteKeepingPrevious(fs, path, content);
}

}  // namespace quorvane::maps

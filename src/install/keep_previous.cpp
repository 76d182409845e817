#include "install/keep_previous.h"

#include <optional>

namespace quorvane::install {

IoResult WriteKeepingPrevious(FileSystem& fs, const std::string& path, std::string_view bytes, const ModeSource& mode) {
  std::optional<std::string> previous;
  if (fs.IsPresent(path)) {
    Read<std::string> read = fs.ReadFile(path);
    if (!read) return read.status();
    previous = std::move(read).value();
  }
  IoResult written = fs.WriteFileLike(path, bytes, mode);
  if (written) return written;
  if (previous) {
    // A write refused at the open leaves the file as it was; only a truncated one needs its bytes back.
    if (const Read<std::string> now = fs.ReadFile(path); now && now.value() == *previous) return written;
    if (!fs.WriteFile(path, *previous)) written.reason += " (the previous content could not be put back)";
  } else if (fs.IsPresent(path) && !fs.Remove(path)) {
    written.reason += " (the partly written file could not be removed)";
  }
  return written;
}

}  // namespace quorvane::install

#include "install/keep_previous.h"

#include <optional>

namespace quorvane::install {

IoResult WriteKeepingPrevious(FileSystem& fs, const std::string& path, std::string_view bytes) {
  std::optional<std::string> previous;
  if (fs.IsPresent(path)) {
    std::string old;
    if (IoResult read = fs.ReadFile(path, old); !read) return read;
    previous = std::move(old);
  }
  IoResult written = fs.WriteFile(path, bytes);
  if (written) return written;
  if (previous) {
    // A write refused at the open leaves the file as it was; only a truncated one needs its bytes back.
    std::string now;
    if (fs.ReadFile(path, now) && now == *previous) return written;
    if (!fs.WriteFile(path, *previous)) written.error += " (the previous content could not be put back)";
  } else if (fs.IsPresent(path) && !fs.Remove(path)) {
    written.error += " (the partly written file could not be removed)";
  }
  return written;
}

}  // namespace quorvane::install

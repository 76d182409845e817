#pragma once
#include <string>
#include <string_view>

#include "install/file_system.h"

namespace quorvane::install {

// Rewrites a file where it stands. The old bytes are held first, so a write
// that stops half-way (a full disk) puts them back instead of leaving a
// truncated file; a new file that could not be written whole is removed.
// A present file that cannot be read is not touched. `mode` as for WriteFileLike.
IoResult WriteKeepingPrevious(FileSystem& fs, const std::string& path, std::string_view bytes,
                              const ModeSource& mode = {});

}  // namespace quorvane::install

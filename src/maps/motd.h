#pragma once
#include <string>

#include "install/file_system.h"

namespace quorvane::maps {

// The whole file less one final line end (CR LF, LF or CR), so a write and a
// re-read give back the text written.
install::Read<std::string> LoadMotd(install::FileSystem& fs, const std::string& path);
// The text followed by CR LF. Line breaks inside are written as the text holds them.
install::IoResult SaveMotd(install::FileSystem& fs, const std::string& path, const std::string& text);

}  // namespace quorvane::maps

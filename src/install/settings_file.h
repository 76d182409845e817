#pragma once
#include <string>
#include <string_view>

#include "install/file_system.h"

namespace quorvane::install {

// Settings file name, appended to the program's directory as text.
inline constexpr std::string_view kSettingsFileName = "\\Quorvane.ini";

// One delimited item from the start of `text`: leading blanks skipped; a
// double-quoted item loses its quotes and keeps commas; otherwise up to the
// first comma or line end. `pos` is where to start and receives the offset after the item.
std::string ReadItem(std::string_view text, std::size_t& pos);

// GameDir from the settings file: its first item, empty when unreadable.
std::string ReadServerLocation(FileSystem& fs, const std::string& settingsPath);
// Writes the text and CR LF; a text holding a comma or starting with a blank is written in double quotes.
IoResult SaveServerLocation(FileSystem& fs, const std::string& settingsPath, const std::string& gameDir);

}  // namespace quorvane::install

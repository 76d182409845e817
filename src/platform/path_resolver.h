#pragma once
// Windows-shaped path text to a native path.
//
// Backslashes and slashes both separate, doubled separators collapse, and
// every component that exists is matched without regard to letter case. When
// several entries match, the all-lower-case one is taken, else the first in
// byte order, so every spelling of a path reaches the same file. From the first component that does not exist, the rest
// is kept as written, so a new file lands in the directory that was matched.
// `X:\...` goes through Wine's drive mapping (<prefix>/dosdevices/x:) when that
// exists, otherwise to the root; text starting with a separator starts at the
// root; anything else is relative to the current directory. The text is in
// the single-byte code page and the result in the file system's UTF-8.
#include <filesystem>
#include <string_view>

namespace quorvane::platform {

// Uses $WINEPREFIX, or ~/.wine when it is not set.
std::filesystem::path ResolvePath(std::string_view pathText);
// Same, with the Wine prefix given (it need not exist).
std::filesystem::path ResolvePath(std::string_view pathText, const std::filesystem::path& winePrefix);

// The same for this machine's own text (UTF-8): components are matched
// without regard to the case of ASCII letters only, and nothing passes
// through the code page, so any name the system can hold is reached.
std::filesystem::path ResolveNativePath(std::string_view utf8);

// The Wine prefix ResolvePath(pathText) uses.
std::filesystem::path DefaultWinePrefix();

}  // namespace quorvane::platform

#pragma once
// The server's own ban files as other tools and engine builds leave them:
// `banned.cfg` (`banid 0.0 STEAM_0:1:2345`, `banid 0 ...`) and `listip.cfg`
// (`addip 0.0 1.2.3.4`, `addip 0 1.2.3.0/24`), LF or CR LF, with `//`
// comments and blank lines. Bytes in, bans out: the caller reads the file.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "people/bans.h"

namespace quorvane::people {

struct BanFileRead {
  std::vector<Ban> bans;          // "found on the server", made at the time of reading, in file order
  std::vector<int> skippedLines;  // 1-based numbers of lines that held something other than a ban
};

// Reads `banid` and `addip` lines from either file. A ban that appears twice
// is kept once, in the place of its first line and as the later line has it
// (the server's `banid` replaces an entry too). Lines banning the shared placeholders, user ids (`#12`) or
// anything else that is not a SteamID or address are skipped and counted.
[[nodiscard]] BanFileRead ReadBanFile(std::string_view bytes, WallTime now);

// Splits one line the way the server's console does: at `;` outside quotes,
// `//` to the line end dropped, then words separated by blanks, quotes taken
// off. Shared with the answer readers and the stand-in's tests.
std::vector<std::vector<std::string>> ConsoleCommands(std::string_view line);

// "30", "0.0", "30.000": minutes as the server prints and reads them; none
// for anything else (signs, exponents, other words).
std::optional<double> ParseMinutes(std::string_view text);

// The ban a `banid`/`addip` of `minutes` (0: permanent) stands for, made at
// `now` and found on the server; lengths beyond kLongestBan are cut to it.
Ban FoundBan(const BanTarget& target, double minutes, WallTime now);

}  // namespace quorvane::people

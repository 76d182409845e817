#pragma once
// One supervisor per server folder: the name of the lock file that says which
// program supervises a folder. Two spellings of one folder that differ only
// in letter case or a closing separator give the same name.
#include <string>
#include <string_view>

namespace quorvane::supervise {

// "quorvane-1f2e3d4c5b6a7988-hlds.lock": a hash of the whole folder, then its
// last name in small letters (32 bytes at most) with anything but letters,
// digits, '-', '_' and '.' made '_'. Safe as a file name on every system; a
// folder without a name of its own ("/") gets the hash alone.
std::string LockFileName(std::string_view serverFolder);

}  // namespace quorvane::supervise

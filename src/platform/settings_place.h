#pragma once
// Where Quorvane.ini lives. A program run from a folder of the user's own (a
// build, an unpacked archive) keeps it beside itself, as it always has; an
// installed program cannot write there and keeps it in the user's
// configuration directory instead. Windows keeps it beside the program.
#include <filesystem>
#include <string>

#include "platform/file_system.h"

namespace quorvane::platform {

// What the choice looks at.
struct SettingsSurroundings {
  std::filesystem::path programDir;  // the folder the program runs from, native
  std::string configHome;            // $XDG_CONFIG_HOME as set, possibly empty
  std::string home;                  // the user's home directory, possibly empty
  unsigned userId = 0;               // the user the program runs as
};

// The settings file's native path, by the first rule that holds:
//  1. Quorvane.ini lies beside the program already;
//  2. the user owns the program's folder and can write to it, and it is not
//     part of the system's own tree (/usr, /opt, /bin, /sbin), where even
//     root's program counts as installed;
//  3. <configHome, else home/.config>/quorvane/Quorvane.ini.
// Reading and writing both use it, so they look in the same place.
std::filesystem::path ChooseSettingsFile(const SettingsSurroundings& around);

// The settings file's path text for this run. `fs` is given a native route to
// it, so a name the code page cannot hold (/home/Łukasz) still reaches it.
std::string SettingsFilePath(NativeFileSystem& fs);

// Where the player history is kept: <dataHome, else home/.local/share>/quorvane/players.sqlite3;
// empty when neither is an absolute path. Windows: %LOCALAPPDATA%\Quorvane\players.sqlite3.
std::filesystem::path ChoosePlayerHistoryFile(const std::string& dataHome, const std::string& home);
// The player history's file for this run, native; empty when this system offers no place for it.
std::filesystem::path PlayerHistoryFile();

}  // namespace quorvane::platform

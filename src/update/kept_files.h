#pragma once
// The user's own files kept across a SteamCMD run. `validate` puts the stock
// server.cfg, mapcycle.txt and motd.txt back over edited ones, so a copy goes
// into INSTALL/quorvane-backup/<date-time>/ first and every file that changed
// is put back afterwards, whether the run succeeded, failed or was cancelled.
#include <string>
#include <string_view>
#include <vector>

#include "install/file_system.h"

namespace quorvane::update {

// Relative to the install directory, '/'-separated.
inline constexpr std::string_view kKeptFiles[] = {"tfc/server.cfg", "tfc/listenserver.cfg", "tfc/mapcycle.txt",
                                                  "tfc/motd.txt", "valve/autoexec.cfg"};
inline constexpr std::string_view kBackupFolder = "quorvane-backup";
inline constexpr int kBackupsKept = 10;

// `relative` below `dir`, with the separator `dir` already uses ('\' unless it has only '/').
std::string JoinPath(std::string_view dir, std::string_view relative);

// The backup folder's name, which sorts by time: "2026-12-07_05-30-12".
std::string BackupStamp(int year, int month, int day, int hour, int minute, int second);

struct KeptFile {
  std::string relative;  // one of kKeptFiles
  std::string bytes;
};

struct KeptFiles {
  std::string backupDir;  // empty when there was nothing to keep
  std::vector<KeptFile> files;
};

struct [[nodiscard]] KeepResult {
  bool ok = true;
  std::string message;  // on failure: the file and the reason
  KeptFiles kept;
};

// Copies the kept files that are present into a new backup folder named `stamp`.
// Fails, naming the file, when one cannot be read or copied: then nothing may run.
[[nodiscard]] KeepResult KeepUserFiles(install::FileSystem& fs, std::string_view installDir, std::string_view stamp);

struct [[nodiscard]] RestoreResult {
  std::vector<std::string> restored;  // relative names put back
  std::vector<std::string> failures;  // one plain sentence each
  bool ok() const { return failures.empty(); }
  // What the user is told: which files were put back and which could not be.
  std::string Message() const;
};

// Puts back every kept file whose bytes differ now, or that is gone.
[[nodiscard]] RestoreResult RestoreUserFiles(install::FileSystem& fs, std::string_view installDir,
                                             const KeptFiles& kept);

// Removes the oldest backup folders beyond `keep`. Only what a backup holds is
// removed; a folder with anything else in it stays. Returns the problems met.
[[nodiscard]] std::vector<std::string> PruneBackups(install::FileSystem& fs, std::string_view installDir,
                                                    int keep = kBackupsKept);

}  // namespace quorvane::update

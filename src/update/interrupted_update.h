#pragma once
// An update that never finished. Before SteamCMD starts, a marker goes into the
// run's backup folder naming what was kept there, SteamCMD's process group and
// the program that started it; it goes once the user's files are back. A
// marker found later means the program was ended in between (killed, or the
// power went), so the kept files may still be waiting to go back.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "install/file_system.h"
#include "update/kept_files.h"

namespace quorvane::update {

inline constexpr std::string_view kUpdateMarker = "update-unfinished.txt";
// The marker's first line; a later format gets a new number.
inline constexpr std::string_view kUpdateMarkerVersion = "quorvane-update-marker 1";

struct UpdateMarker {
  std::string started;            // when the update began: "2026-12-07 05:30:12"
  long long owner = 0;            // the process of this program that ran it
  long long group = 0;            // SteamCMD's process group; 0 until it starts
  std::string program;            // SteamCMD as it was started
  std::vector<std::string> kept;  // relative names, each one of kKeptFiles
};

std::string MarkerText(const UpdateMarker& marker);
// Nothing unless the text is a marker of this version; unknown lines, and kept
// names that are not kept files, are passed over.
std::optional<UpdateMarker> ParseMarker(std::string_view text);

// "2026-12-07_05-30-12" (or with a "-2" after it) as "2026-12-07 05:30:12"; other names as they are.
std::string StampTime(std::string_view stamp);

[[nodiscard]] install::IoResult WriteMarker(install::FileSystem& fs, std::string_view backupDir,
                                            const UpdateMarker& marker);
[[nodiscard]] install::IoResult RemoveMarker(install::FileSystem& fs, std::string_view backupDir);

struct InterruptedUpdate {
  std::string backupDir;
  UpdateMarker marker;
};

// The unfinished updates of the installation in `installDir`, oldest first.
std::vector<InterruptedUpdate> FindInterruptedUpdates(install::FileSystem& fs, std::string_view installDir);

// "An update of the server was interrupted on DATE. Your own files are kept in FOLDER. Put them back now?"
std::string InterruptedQuestion(const InterruptedUpdate& update);

struct [[nodiscard]] Recovery {
  bool ok = false;
  std::vector<std::string> restored;  // relative names put back
  std::string message;                // which files went back, or why not
};

// Puts back every kept file of `update` that differs now, from its backup
// folder, and removes the marker once all are back.
Recovery RecoverInterruptedUpdate(install::FileSystem& fs, std::string_view installDir,
                                  const InterruptedUpdate& update);

}  // namespace quorvane::update

#pragma once
// Whether the installed dedicated server is the latest public build, and when
// to ask SteamCMD again.
#include <chrono>
#include <optional>
#include <string>

#include "update/key_values.h"

namespace quorvane::update {

enum class UpdateState { UpToDate, UpdateAvailable, CouldNotCheck };

struct UpdateCheck {
  UpdateState state = UpdateState::CouldNotCheck;
  std::optional<BuildId> installed;
  std::optional<BuildId> latest;
  bool operator==(const UpdateCheck&) const = default;
};

// Up to date only when both builds are known and the same; an update when the
// latest is newer. An older "latest" is a stale answer: it proves nothing.
[[nodiscard]] UpdateCheck CompareBuilds(std::optional<BuildId> installed, std::optional<BuildId> latest);

// The notice for an available update; empty for any other state.
std::string UpdateNotice(const UpdateCheck& check);

// SteamCMD is asked at most this often.
inline constexpr std::chrono::hours kCheckEvery{6};

using WallTime = std::chrono::sys_seconds;

// Whether to ask SteamCMD now: never while it runs for an install or update,
// else when there was no check yet or the last was kCheckEvery ago. A last
// check in the future (the clock was set back) does not hold checks off.
[[nodiscard]] bool CheckDue(std::optional<WallTime> lastCheck, WallTime now, bool steamCmdRunning);

// The exit code of `--check-update`: 0 up to date, 10 an update, 1 unknown.
inline constexpr int kExitUpToDate = 0;
inline constexpr int kExitUpdateAvailable = 10;
inline constexpr int kExitCouldNotCheck = 1;
int CheckUpdateExitCode(UpdateState state);

}  // namespace quorvane::update

#pragma once
// Bans through the server's console: the commands that make, lift and
// restore them, and what the server answers to its list and remove commands.
// Commands are built only from checked targets and numbers, so no name or
// reason ever reaches the console. The packets are the caller's to send.
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "people/bans.h"

namespace quorvane::people {

// `banid MINUTES STEAMID kick` or `addip MINUTES ADDRESS` (0 minutes: permanent,
// else the minutes left at `now`), then `writeid`/`writeip` for a permanent
// ban so the server's own file holds it. Nothing for a ban that has expired.
std::vector<std::string> ApplyCommands(const Ban& ban, WallTime now);
// `removeid STEAMID` / `removeip ADDRESS`, then `writeid`/`writeip`.
std::vector<std::string> LiftCommands(const BanTarget& target);

// One line of the `listid` or `listip` answer.
struct ListedBan {
  BanTarget target;
  std::optional<double> minutes;  // the length it was given; none: permanent
  bool operator==(const ListedBan&) const = default;
};
struct ListedBans {
  std::vector<ListedBan> bans;
  int skipped = 0;  // lines under the heading that were not a ban
};
// `UserID filter list: N entries` then `1 STEAM_0:1:2345 : permanent` or
// `... : 30.000 min` lines, or `UserID filter list: empty`. Fails when the
// answer has no such heading (another command's answer, a refusal).
Result<ListedBans> ParseListId(std::string_view answer);
// `IP filter list:` then `  1.  2. 33.  4 : permanent` lines (numbers padded),
// or `IP filter list: empty`.
Result<ListedBans> ParseListIp(std::string_view answer);
// The bans the server lists, as "found on the server" bans made at `now`.
// The list shows the length given, not the time left: a timed one is taken
// to run its whole length from now.
std::vector<Ban> FoundOnServer(const ListedBans& listed, WallTime now);

// What `removeid`/`removeip` answered.
enum class RemoveAnswer { Removed, NotFound, Other };
[[nodiscard]] RemoveAnswer ParseRemoveAnswer(std::string_view answer);

// One console command a packet, at most two a second: that many packets stay
// well inside the server's limit on packets from one address.
inline constexpr std::chrono::milliseconds kCommandGap{500};

struct PlannedCommand {
  std::chrono::milliseconds at;  // from the start of its plan
  std::string command;
  bool operator==(const PlannedCommand&) const = default;
};

// The first commands when the server comes up, whoever started it: its own
// `banned.cfg` (every permanent SteamID ban in one command), then its lists,
// whose answers PlanRestore compares with.
std::vector<PlannedCommand> RestoreOpening();

// The rest, planned at `now` once both list answers are in: every timed ban
// still in force with the minutes it has left when its command goes, then every
// permanent ban the server does not list yet, in the order of `bans`; a ban the
// server lists as it is (permanent or timed) is not sent again. Where `bans`
// hold several for one target, a permanent one wins, else the one ending last.
// A ban lifted or ended while the server was down that its file brought back is
// removed. `writeid`/`writeip` close the plan when it changed what the server's
// file should hold. The first command goes kCommandGap after `now`, each next one
// kCommandGap later.
[[nodiscard]] std::vector<PlannedCommand> PlanRestore(const std::vector<Ban>& bans,
                                                      const std::vector<ListedBan>& listed, WallTime now);

}  // namespace quorvane::people

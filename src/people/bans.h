#pragma once
// A ban as this program keeps it: whom (a SteamID or an address), why, who
// made it and until when. Targets come only from ParseBanTarget, so whatever
// reaches a console command is a checked SteamID or address and nothing else.
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "monitor/result.h"

namespace quorvane::people {

using monitor::Result;
using WallTime = std::chrono::sys_seconds;

class BanTarget {
 public:
  enum class Kind { SteamId, Address };
  Kind GetKind() const { return m_kind; }
  // `STEAM_0:1:2345`, or `1.2.3.4` / `1.2.3.0/24` with the mask as written.
  const std::string& Text() const { return m_text; }
  // The address without its mask; the SteamID as it is.
  std::string Base() const { return m_text.substr(0, m_text.find('/')); }
  bool operator==(const BanTarget&) const = default;

 private:
  friend Result<BanTarget> ParseBanTarget(std::string_view, std::string_view);
  BanTarget(Kind kind, std::string text) : m_kind(kind), m_text(std::move(text)) {}
  Kind m_kind;
  std::string m_text;
};

// A SteamID (`STEAM_X:Y:Z`, any letter case) or an IPv4 address with an
// optional `/MASK` (a prefix length or a dotted mask), blanks around it
// ignored. The shared placeholders are refused with a message that offers
// `address` (the player's, when the caller knows it) instead.
Result<BanTarget> ParseBanTarget(std::string_view text, std::string_view address = {});
// `STEAM_ID_LAN`, `STEAM_ID_PENDING`, `BOT`, `HLTV`: many players share them.
bool IsSharedPlaceholder(std::string_view steamId);

// Outside text as a message may quote it: control characters as `?`, cut
// after 40 characters.
std::string ShownText(std::string_view text);

// Found in the files: read from the server's banned.cfg or listip.cfg when
// the store was first used.
enum class BanSource { ThisProgram, FoundOnServer, FoundInFile };
// "this program", "found on the server", or the file it was found in.
std::string SourceText(BanSource source, BanTarget::Kind kind = BanTarget::Kind::SteamId);

// The lengths offered; Custom takes its minutes from the user.
enum class BanLength { ThirtyMinutes, OneHour, OneDay, OneWeek, Permanent, Custom };
// The minutes of a length; none for Permanent, `customMinutes` for Custom.
std::optional<std::chrono::minutes> LengthMinutes(BanLength length, std::chrono::minutes customMinutes = {});

struct Ban {
  BanTarget target;
  std::string name;  // the player's name at the time, when known
  std::string reason;
  BanSource source = BanSource::ThisProgram;
  WallTime madeAt;
  std::optional<WallTime> until;     // none: permanent
  std::optional<WallTime> liftedAt;  // kept, and listed as lifted, once lifted

  bool Permanent() const { return !until.has_value(); }
  bool InForce(WallTime now) const { return !(liftedAt && now >= *liftedAt) && (Permanent() || now < *until); }
  bool operator==(const Ban&) const = default;
};

// The longest timed ban: ten years.
inline constexpr std::chrono::minutes kLongestBan{10LL * 365 * 24 * 60};

// A ban made at `now` for `length` (none: permanent). A length of no minutes
// is refused (to the server 0 means permanent), as is one beyond kLongestBan.
Result<Ban> MakeBan(const BanTarget& target, std::string name, std::string reason, WallTime now,
                    std::optional<std::chrono::minutes> length);

// Whole minutes left, rounded up so a ban still in force never shows 0;
// 0 once it has expired or been lifted, none for a permanent ban in force.
std::optional<long long> MinutesLeft(const Ban& ban, WallTime now);

}  // namespace quorvane::people

#include "people/bans.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <system_error>

namespace quorvane::people {
namespace {

constexpr std::array<std::string_view, 4> kPlaceholders = {"STEAM_ID_LAN", "STEAM_ID_PENDING", "BOT", "HLTV"};
constexpr std::size_t kShownChars = 40;

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

std::string_view Trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

// A decimal number of 1 to `digits` digits no larger than `most`, nothing else.
std::optional<std::uint64_t> Number(std::string_view s, std::size_t digits, std::uint64_t most) {
  if (s.empty() || s.size() > digits || !std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  std::uint64_t value = 0;
  if (std::from_chars(s.data(), s.data() + s.size(), value).ec != std::errc() || value > most) return std::nullopt;
  return value;
}

bool IsDottedQuad(std::string_view s) {
  for (int part = 0; part < 4; ++part) {
    const std::size_t dot = part < 3 ? s.find('.') : s.size();
    if (dot == std::string_view::npos || !Number(s.substr(0, dot), 3, 255)) return false;
    s.remove_prefix(part < 3 ? dot + 1 : dot);
  }
  return true;
}

bool IsAddress(std::string_view s) {
  const std::size_t slash = s.find('/');
  if (slash == std::string_view::npos) return IsDottedQuad(s);
  const std::string_view mask = s.substr(slash + 1);
  return IsDottedQuad(s.substr(0, slash)) && (Number(mask, 2, 32) || IsDottedQuad(mask));
}

// STEAM_X:Y:Z: universe 0-5, the bit 0 or 1, an account number of 32 bits at most.
bool IsSteamId(std::string_view upper) {
  if (upper.substr(0, 6) != "STEAM_") return false;
  upper.remove_prefix(6);
  const std::size_t first = upper.find(':'), second = upper.find(':', first + 1);
  if (first == std::string_view::npos || second == std::string_view::npos) return false;
  return Number(upper.substr(0, first), 1, 5) && Number(upper.substr(first + 1, second - first - 1), 1, 1) &&
         Number(upper.substr(second + 1), 10, 4294967295u);
}

}  // namespace

std::string ShownText(std::string_view s) {
  std::string out;
  for (char c : s.substr(0, kShownChars)) out += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '?' : c;
  return s.size() > kShownChars ? out + "..." : out;
}

bool IsSharedPlaceholder(std::string_view steamId) {
  const std::string upper = Upper(Trim(steamId));
  return std::find(kPlaceholders.begin(), kPlaceholders.end(), upper) != kPlaceholders.end();
}

Result<BanTarget> ParseBanTarget(std::string_view text, std::string_view address) {
  const std::string_view trimmed = Trim(text);
  const std::string upper = Upper(trimmed);
  if (IsSharedPlaceholder(upper)) {
    const std::string offer =
        IsAddress(Trim(address)) ? "ban the address " + std::string(Trim(address)) : "ban the player's address";
    return Result<BanTarget>::Fail(upper + " is shared by many players and is never banned by SteamID: " + offer +
                                   " instead.");
  }
  if (IsSteamId(upper)) return BanTarget(BanTarget::Kind::SteamId, upper);
  if (IsAddress(trimmed)) return BanTarget(BanTarget::Kind::Address, std::string(trimmed));
  std::string quoted = ShownText(trimmed);
  quoted.insert(quoted.begin(), '"');
  return Result<BanTarget>::Fail(quoted +
                                 "\" is neither a SteamID (such as STEAM_0:1:2345) nor an address (such as 1.2.3.4).");
}

std::string SourceText(BanSource source, BanTarget::Kind kind) {
  switch (source) {
    case BanSource::FoundOnServer:
      return "found on the server";
    case BanSource::FoundInFile:
      return kind == BanTarget::Kind::SteamId ? "found in banned.cfg" : "found in listip.cfg";
    case BanSource::ThisProgram:
      break;
  }
  return "this program";
}

std::optional<std::chrono::minutes> LengthMinutes(BanLength length, std::chrono::minutes customMinutes) {
  using std::chrono::minutes;
  switch (length) {
    case BanLength::ThirtyMinutes:
      return minutes(30);
    case BanLength::OneHour:
      return minutes(60);
    case BanLength::OneDay:
      return minutes(24 * 60);
    case BanLength::OneWeek:
      return minutes(7 * 24 * 60);
    case BanLength::Custom:
      return customMinutes;
    case BanLength::Permanent:
      break;
  }
  return std::nullopt;
}

Result<Ban> MakeBan(const BanTarget& target, std::string name, std::string reason, WallTime now,
                    std::optional<std::chrono::minutes> length) {
  if (length && length->count() <= 0)
    return Result<Ban>::Fail("A ban lasts at least one minute; choose \"permanent\" for one that never ends.");
  if (length && *length > kLongestBan)
    return Result<Ban>::Fail("A timed ban lasts at most " + std::to_string(kLongestBan.count()) +
                             " minutes (ten years); choose \"permanent\" for a longer one.");
  std::optional<WallTime> until;
  if (length) until = now + *length;
  return Ban{target, std::move(name), std::move(reason), BanSource::ThisProgram, now, until, std::nullopt};
}

std::optional<long long> MinutesLeft(const Ban& ban, WallTime now) {
  if (!ban.InForce(now)) return 0;
  if (ban.Permanent()) return std::nullopt;
  const long long seconds = (*ban.until - now).count();
  return (seconds + 59) / 60;
}

}  // namespace quorvane::people

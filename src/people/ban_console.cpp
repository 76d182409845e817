#include "people/ban_console.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

#include "people/ban_files.h"

namespace quorvane::people {
namespace {

using std::chrono::milliseconds;

bool Steam(const BanTarget& target) { return target.GetKind() == BanTarget::Kind::SteamId; }

std::string BanCommand(const BanTarget& target, long long minutes) {
  return Steam(target) ? "banid " + std::to_string(minutes) + " " + target.Text() + " kick"
                       : "addip " + std::to_string(minutes) + " " + target.Text();
}

std::string WriteCommand(const BanTarget& target) { return Steam(target) ? "writeid" : "writeip"; }

std::string_view Trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    lines.push_back(Trim(text.substr(0, end)));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
  return lines;
}

// "permanent" or "30.000 min".
std::optional<std::optional<double>> Length(std::string_view text) {
  text = Trim(text);
  if (text == "permanent") return std::optional<double>();
  if (text.size() < 4 || text.substr(text.size() - 4) != " min") return std::nullopt;
  const std::optional<double> minutes = ParseMinutes(Trim(text.substr(0, text.size() - 4)));
  if (!minutes) return std::nullopt;
  return minutes;
}

// The lines under `heading`, or a failure naming `command` when no line is it.
Result<ListedBans> ReadList(std::string_view answer, std::string_view heading, std::string_view command,
                            std::optional<ListedBan> (*line)(std::string_view)) {
  const std::vector<std::string_view> lines = Lines(answer);
  const auto head =
      std::find_if(lines.begin(), lines.end(), [&](std::string_view l) { return l.starts_with(heading); });
  if (head == lines.end()) {
    const std::string first = ShownText(lines.empty() ? std::string_view() : lines.front());
    return Result<ListedBans>::Fail("The server did not answer " + std::string(command) + " with its list: \"" + first +
                                    "\".");
  }
  ListedBans listed;
  if (Trim(head->substr(heading.size())) == "empty") return listed;
  for (auto l = head + 1; l != lines.end(); ++l) {
    if (l->empty()) continue;
    if (std::optional<ListedBan> ban = line(*l))
      listed.bans.push_back(*ban);
    else
      ++listed.skipped;
  }
  return listed;
}

// `1 STEAM_0:1:2345 : permanent`
std::optional<ListedBan> IdLine(std::string_view l) {
  const std::size_t space = l.find(' '), colon = l.find(" : ");
  if (space == std::string_view::npos || colon == std::string_view::npos || colon < space) return std::nullopt;
  const Result<BanTarget> target = ParseBanTarget(l.substr(space, colon - space));
  const auto length = Length(l.substr(colon + 3));
  if (!target || target->GetKind() != BanTarget::Kind::SteamId || !length) return std::nullopt;
  return ListedBan{*target, *length};
}

// `  1.  2. 33.  4 : permanent`
std::optional<ListedBan> IpLine(std::string_view l) {
  const std::size_t colon = l.find(" : ");
  if (colon == std::string_view::npos) return std::nullopt;
  std::string address;
  for (char c : l.substr(0, colon))
    if (c != ' ') address += c;
  const Result<BanTarget> target = ParseBanTarget(address);
  const auto length = Length(l.substr(colon + 3));
  if (!target || target->GetKind() != BanTarget::Kind::Address || !length) return std::nullopt;
  return ListedBan{*target, *length};
}

}  // namespace

std::vector<std::string> ApplyCommands(const Ban& ban, WallTime now) {
  if (!ban.InForce(now)) return {};
  if (ban.Permanent()) return {BanCommand(ban.target, 0), WriteCommand(ban.target)};
  return {BanCommand(ban.target, *MinutesLeft(ban, now))};
}

std::vector<std::string> LiftCommands(const BanTarget& target) {
  return {(Steam(target) ? "removeid " : "removeip ") + target.Text(), WriteCommand(target)};
}

Result<ListedBans> ParseListId(std::string_view answer) {
  return ReadList(answer, "UserID filter list:", "listid", IdLine);
}

Result<ListedBans> ParseListIp(std::string_view answer) {
  return ReadList(answer, "IP filter list:", "listip", IpLine);
}

std::vector<Ban> FoundOnServer(const ListedBans& listed, WallTime now) {
  std::vector<Ban> bans;
  for (const ListedBan& l : listed.bans) bans.push_back(FoundBan(l.target, l.minutes.value_or(0), now));
  return bans;
}

RemoveAnswer ParseRemoveAnswer(std::string_view answer) {
  const std::size_t start = answer.find_first_not_of(" \t\r\n");
  answer.remove_prefix(start == std::string_view::npos ? answer.size() : start);
  if (answer.starts_with("UserID filter removed for") || answer.starts_with("IP filter removed."))
    return RemoveAnswer::Removed;
  if (answer.starts_with("removeid: couldn't find") || answer.starts_with("removeip: couldn't find"))
    return RemoveAnswer::NotFound;
  return RemoveAnswer::Other;
}

std::vector<PlannedCommand> RestoreOpening() {
  return {{milliseconds(0), "exec banned.cfg"}, {kCommandGap, "listid"}, {2 * kCommandGap, "listip"}};
}

std::vector<PlannedCommand> PlanRestore(const std::vector<Ban>& bans, const std::vector<ListedBan>& listed,
                                        WallTime now) {
  std::vector<PlannedCommand> plan;
  const auto next = [&] { return kCommandGap * static_cast<int>(plan.size() + 1); };
  bool writeId = false, writeIp = false;
  const auto add = [&](std::string command, const BanTarget& target, bool write) {
    plan.push_back({next(), std::move(command)});
    if (write) (Steam(target) ? writeId : writeIp) = true;
  };
  // Whom the server lists and whether for good; the list shows addresses without their mask.
  std::set<std::pair<std::string, bool>> held;
  for (const ListedBan& l : listed) held.emplace(l.target.Base(), !l.minutes.has_value());
  const auto listedAs = [&](const Ban& ban, bool permanent) { return held.contains({ban.target.Base(), permanent}); };
  // The ban that holds for each target: a permanent one, else the one that ends last.
  std::map<std::string, const Ban*> holding;
  for (const Ban& ban : bans) {
    if (!ban.InForce(now)) continue;
    const Ban*& h = holding[ban.target.Base()];
    if (h == nullptr || (!h->Permanent() && (ban.Permanent() || *ban.until > *h->until))) h = &ban;
  }
  const auto holds = [&](const Ban& ban) {
    const auto h = holding.find(ban.target.Base());
    return h != holding.end() && h->second == &ban;
  };
  const auto lift = [&](const Ban& ban) {
    add((Steam(ban.target) ? "removeid " : "removeip ") + ban.target.Text(), ban.target, true);
  };

  for (const Ban& ban : bans) {
    if (ban.Permanent() || !holds(ban) || listedAs(ban, false)) continue;
    const std::optional<long long> left = MinutesLeft(ban, now + std::chrono::ceil<std::chrono::seconds>(next()));
    // A permanent entry from the server's file gives way, and the file is rewritten without it.
    if (*left > 0)
      add(BanCommand(ban.target, *left), ban.target, listedAs(ban, true));
    else if (listedAs(ban, true))
      lift(ban);
  }
  for (const Ban& ban : bans) {
    if (ban.Permanent() && holds(ban) && !listedAs(ban, true)) add(BanCommand(ban.target, 0), ban.target, true);
  }
  // Lifted or ended while the server was down, yet back from its file.
  std::set<std::string> lifted;
  for (const Ban& ban : bans) {
    const std::string base = ban.target.Base();
    if (!holding.contains(base) && (listedAs(ban, true) || listedAs(ban, false)) && lifted.insert(base).second)
      lift(ban);
  }
  if (writeId) plan.push_back({next(), "writeid"});
  if (writeIp) plan.push_back({next(), "writeip"});
  return plan;
}

}  // namespace quorvane::people

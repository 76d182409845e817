#include "people/ban_files.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>

namespace quorvane::people {
namespace {

// The console's command names are read without regard to case.
bool IsCommand(const std::string& word, std::string_view name) {
  return word.size() == name.size() && std::equal(word.begin(), word.end(), name.begin(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) == b;
         });
}

// `banid MINUTES STEAMID [kick]` or `addip MINUTES ADDRESS`; none for anything else.
std::optional<Ban> BanOfCommand(const std::vector<std::string>& words, WallTime now) {
  const bool banid = IsCommand(words[0], "banid"), addip = IsCommand(words[0], "addip");
  const bool kick = banid && words.size() == 4 && words[3] == "kick";
  if ((!banid && !addip) || (words.size() != 3 && !kick)) return std::nullopt;
  const std::optional<double> minutes = ParseMinutes(words[1]);
  const Result<BanTarget> target = ParseBanTarget(words[2]);
  const BanTarget::Kind wanted = banid ? BanTarget::Kind::SteamId : BanTarget::Kind::Address;
  if (!minutes || !target || target->GetKind() != wanted) return std::nullopt;
  return FoundBan(*target, *minutes, now);
}

}  // namespace

std::vector<std::vector<std::string>> ConsoleCommands(std::string_view line) {
  std::vector<std::vector<std::string>> commands(1);
  std::string word;
  bool quoted = false, inWord = false;
  const auto endWord = [&] {
    if (inWord) commands.back().push_back(word);
    word.clear();
    inWord = false;
  };
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c == '"')
        quoted = false;
      else
        word += c;
    } else if (c == '"') {
      quoted = inWord = true;
    } else if (c == '/' && i + 1 < line.size() && line[i + 1] == '/') {
      break;
    } else if (c == ';' || c == '\n' || c == '\r') {
      endWord();
      commands.emplace_back();
    } else if (c == ' ' || c == '\t') {
      endWord();
    } else {
      word += c;
      inWord = true;
    }
  }
  endWord();
  std::erase_if(commands, [](const std::vector<std::string>& c) { return c.empty(); });
  return commands;
}

std::optional<double> ParseMinutes(std::string_view text) {
  const std::size_t dot = text.find('.');
  const std::string_view whole = text.substr(0, dot);
  const std::string_view part = dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
  const auto digits = [](std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  if (whole.empty() || whole.size() > 9 || part.size() > 6 || !digits(whole) || !digits(part)) return std::nullopt;
  double value = 0;
  for (char c : whole) value = value * 10 + (c - '0');
  double scale = 0.1;
  for (char c : part) {
    value += (c - '0') * scale;
    scale /= 10;
  }
  return value;
}

Ban FoundBan(const BanTarget& target, double minutes, WallTime now) {
  std::optional<WallTime> until;
  if (minutes > 0) {
    const double seconds = std::min(minutes, static_cast<double>(kLongestBan.count())) * 60;
    until = now + std::chrono::seconds(static_cast<long long>(std::ceil(seconds)));
  }
  return Ban{target, {}, {}, BanSource::FoundOnServer, now, until, std::nullopt};
}

BanFileRead ReadBanFile(std::string_view bytes, WallTime now) {
  BanFileRead read;
  std::map<std::string, std::size_t> where;  // each target's place in read.bans
  int number = 0;
  while (!bytes.empty()) {
    const std::size_t end = bytes.find('\n');
    const std::string_view line = bytes.substr(0, end);
    bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    ++number;
    bool skipped = false;
    for (const std::vector<std::string>& words : ConsoleCommands(line)) {
      const std::optional<Ban> ban = BanOfCommand(words, now);
      if (!ban) {
        skipped = true;
        continue;
      }
      const auto [at, added] = where.try_emplace(ban->target.Text(), read.bans.size());
      if (added)
        read.bans.push_back(*ban);
      else
        read.bans[at->second] = *ban;
    }
    if (skipped) read.skippedLines.push_back(number);
  }
  return read;
}

}  // namespace quorvane::people

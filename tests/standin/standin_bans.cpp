#include "standin_bans.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "standin_os.h"

namespace quorvane::standin {
namespace {

struct Filter {
  std::string id;      // a SteamID, or an address with its mask as given
  double minutes = 0;  // 0: permanent
  long long untilMs = 0;
};

std::vector<Filter> g_ids, g_ips;
int g_execDepth = 0;
constexpr int kMostNestedExecs = 8;

std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string w; in >> w;)
    words.push_back(w.size() >= 2 && w.front() == '"' && w.back() == '"' ? w.substr(1, w.size() - 2) : w);
  return words;
}

// Timed filters end on their own, as the engine drops them when it next looks.
std::vector<Filter>& Live(std::vector<Filter>& list) {
  std::erase_if(list, [](const Filter& f) { return f.minutes > 0 && NowMs() >= f.untilMs; });
  return list;
}

std::optional<double> Minutes(const std::string& text) {
  char* end = nullptr;
  const double m = std::strtod(text.c_str(), &end);
  // A century of minutes at most, so the end time stays a number.
  if (text.empty() || *end != '\0' || !(m >= 0 && m <= 525600.0 * 100)) return std::nullopt;
  return m;
}

void Add(std::vector<Filter>& list, const std::string& id, double minutes) {
  std::erase_if(list, [&](const Filter& f) { return f.id == id; });
  list.push_back({id, minutes, NowMs() + static_cast<long long>(minutes * 60000)});
}

std::string Length(const Filter& f) {
  char text[64];
  if (f.minutes == 0) return "permanent";
  std::snprintf(text, sizeof text, "%.3f min", f.minutes);
  return text;
}

// Four numbers 0-255 and an optional /MASK; the numbers, or none.
std::optional<std::vector<int>> Address(const std::string& text) {
  int a, b, c, d;
  char tail = 0;
  const std::string base = text.substr(0, text.find('/'));
  if (std::sscanf(base.c_str(), "%d.%d.%d.%d%c", &a, &b, &c, &d, &tail) != 4) return std::nullopt;
  for (int n : {a, b, c, d})
    if (n < 0 || n > 255) return std::nullopt;
  return std::vector<int>{a, b, c, d};
}

std::string ListId() {
  const std::vector<Filter>& list = Live(g_ids);
  if (list.empty()) return "UserID filter list: empty\n";
  std::string s = "UserID filter list: " + std::to_string(list.size()) + " entries\n";
  for (std::size_t i = 0; i < list.size(); ++i)
    s += std::to_string(i + 1) + " " + list[i].id + " : " + Length(list[i]) + "\n";
  return s;
}

std::string ListIp() {
  const std::vector<Filter>& list = Live(g_ips);
  if (list.empty()) return "IP filter list: empty\n";
  std::string s = "IP filter list:\n";
  for (const Filter& f : list) {
    const std::vector<int> n = *Address(f.id);
    char line[96];
    const std::size_t slash = f.id.find('/');
    std::snprintf(line, sizeof line, "%3d.%3d.%3d.%3d%s : ", n[0], n[1], n[2], n[3],
                  slash == std::string::npos ? "" : f.id.substr(slash).c_str());
    s += line + Length(f) + "\n";
  }
  return s;
}

// The permanent filters only, one line each, as the engine writes them.
std::string Write(const std::vector<Filter>& list, const std::string& file, const std::string& command) {
  std::ofstream out(std::filesystem::path("tfc") / file, std::ios::binary | std::ios::trunc);
  for (const Filter& f : list)
    if (f.minutes == 0) out << command << " 0.0 " << f.id << "\n";
  out.flush();
  return out ? "" : "Couldn't open " + file + "\n";
}

// Runs each command of the file, split at `;` outside quotes, `//` to the line end skipped.
std::string Exec(const std::string& file, const BanHooks& hooks) {
  std::ifstream in(std::filesystem::path("tfc") / file, std::ios::binary);
  if (file.empty() || file.find_first_of("/\\") != std::string::npos || !in) return "couldn't exec " + file + "\n";
  if (g_execDepth >= kMostNestedExecs) return "exec: " + file + " runs itself\n";
  ++g_execDepth;
  std::string answer = "execing " + file + "\n";
  for (std::string line; std::getline(in, line);) {
    std::string command;
    bool quoted = false;
    for (std::size_t i = 0; i <= line.size(); ++i) {
      const char c = i < line.size() ? line[i] : ';';
      if (c == '"') quoted = !quoted;
      const bool comment = !quoted && c == '/' && i + 1 < line.size() && line[i + 1] == '/';
      if ((!quoted && c == ';') || c == '\r' || comment) {
        if (command.find_first_not_of(" \t") != std::string::npos) answer += hooks.run(command);
        command.clear();
        if (comment) break;
      } else {
        command += c;
      }
    }
  }
  --g_execDepth;
  return answer;
}

std::string BanId(const std::vector<std::string>& w, const BanHooks& hooks) {
  const std::optional<double> minutes = w.size() >= 2 ? Minutes(w[0]) : std::nullopt;
  if (!minutes || w.size() > 3 || (w.size() == 3 && w[2] != "kick"))
    return "Usage:  banid <minutes> <uniqueid or #userid> { kick }\n";
  std::string id = w[1];
  if (id[0] == '#') {
    id = hooks.steamIdOfUser(std::atoi(id.c_str() + 1));
    if (id.empty()) return "banid:  Couldn't find " + w[1] + "\n";
  } else if (id.rfind("STEAM_", 0) != 0) {
    return "Usage:  banid <minutes> <uniqueid or #userid> { kick }\n";
  }
  Add(g_ids, id, *minutes);
  char length[64];
  std::snprintf(length, sizeof length, "for %.2f minutes", *minutes);
  hooks.log("Ban: \"<><" + id + "><>\" was banned \"" + (*minutes == 0 ? "permanently" : length) + "\" by \"Console\"");
  if (w.size() == 3) hooks.kick(id);
  return "";
}

std::string RemoveId(const std::string& id) {
  std::vector<Filter>& list = Live(g_ids);
  auto found = std::find_if(list.begin(), list.end(), [&](const Filter& f) { return f.id == id; });
  if (found == list.end() && id.size() > 1 && id[0] == '#') {
    const std::size_t n = std::strtoul(id.c_str() + 1, nullptr, 10);
    if (n >= 1 && n <= list.size()) found = list.begin() + static_cast<long>(n - 1);
  }
  if (found == list.end()) return "removeid: couldn't find " + id + "\n";
  const std::string removed = found->id;
  list.erase(found);
  return "UserID filter removed for " + removed + "\n";
}

}  // namespace

std::optional<std::string> BanCommand(const std::string& command, const std::string& rest, const BanHooks& hooks) {
  const std::vector<std::string> w = Words(rest);
  const std::string first = w.empty() ? "" : w[0];
  if (command == "banid") return BanId(w, hooks);
  if (command == "addip") {
    if (w.size() != 2 || !Minutes(w[0])) return "Usage:  addip <minutes> <ipaddress>\n";
    if (!Address(w[1])) return "Bad filter address: " + w[1] + "\n";
    Add(g_ips, w[1], *Minutes(w[0]));
    return "";
  }
  if (command == "removeid") return w.size() == 1 ? RemoveId(first) : "Usage:  removeid <uniqueid | #slot>\n";
  if (command == "removeip") {
    std::vector<Filter>& list = Live(g_ips);
    if (std::erase_if(list, [&](const Filter& f) { return f.id == first; }) == 0)
      return "removeip: couldn't find " + first + ".\n";
    return "IP filter removed.\n";
  }
  if (command == "listid") return ListId();
  if (command == "listip") return ListIp();
  if (command == "writeid") return Write(Live(g_ids), "banned.cfg", "banid");
  if (command == "writeip") return Write(Live(g_ips), "listip.cfg", "addip");
  if (command == "exec") return Exec(first, hooks);
  return std::nullopt;
}

}  // namespace quorvane::standin

#include <signal.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "platform/server_control.h"

namespace quorvane::platform {

namespace fs = std::filesystem;

namespace {

// The server under Wine keeps its Windows name; the Linux build runs as the
// restarting script and the program it restarts.
constexpr const char* kServerNames[] = {"hlds.exe", "hlds_run", "hlds_linux"};

struct ProcessInfo {
  std::string comm;
  char state = '?';
  long long group = 0;
  unsigned long long startTime = 0;
};

std::optional<ProcessInfo> ReadStat(long long pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(in, line)) return std::nullopt;
  // The name sits in parentheses and may itself hold blanks or parentheses.
  const size_t open = line.find('(');
  const size_t close = line.rfind(')');
  if (open == std::string::npos || close == std::string::npos || close < open) return std::nullopt;
  ProcessInfo info;
  info.comm = line.substr(open + 1, close - open - 1);
  std::istringstream rest(line.substr(close + 1));
  std::vector<std::string> fields;
  for (std::string f; rest >> f;) fields.push_back(f);
  if (fields.size() < 20) return std::nullopt;
  info.state = fields[0].empty() ? '?' : fields[0][0];
  info.group = std::stoll(fields[2]);
  info.startTime = std::stoull(fields[19]);
  return info;
}

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

bool IsServerName(std::string name) {
  // Both separators: Wine lists the Windows path of the program it runs.
  const size_t cut = name.find_last_of("/\\");
  if (cut != std::string::npos) name.erase(0, cut + 1);
  name = Lower(name);
  return std::any_of(std::begin(kServerNames), std::end(kServerNames), [&](const char* n) { return name == n; });
}

// The first two words cover a program run directly and a script run by its interpreter.
bool CommandLineNamesServer(long long pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
  std::string word;
  for (int i = 0; i < 2 && std::getline(in, word, '\0'); ++i) {
    if (IsServerName(word)) return true;
  }
  return false;
}

bool IsGone(char state) { return state == 'Z' || state == 'X' || state == 'x'; }

}  // namespace

std::optional<NativeServerControl::Handle> NativeServerControl::FindServer() {
  std::vector<long long> pids;
  std::error_code ec;
  for (fs::directory_iterator it("/proc", ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.empty() || !std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; })) continue;
    pids.push_back(std::stoll(name));
  }
  std::sort(pids.begin(), pids.end());
  const long long self = static_cast<long long>(::getpid());
  for (const long long pid : pids) {
    if (pid == self) continue;
    const std::optional<ProcessInfo> info = ReadStat(pid);
    if (!info || IsGone(info->state)) continue;
    if (!IsServerName(info->comm) && !CommandLineNamesServer(pid)) continue;
    if (m_accept && !m_accept(pid)) continue;
    return pid;
  }
  return std::nullopt;
}

void NativeServerControl::Terminate(Handle server) {
  const std::optional<ProcessInfo> info = ReadStat(server);
  if (!info) return;
  m_ended[server] = Ended{info->group, info->startTime};
  ::kill(static_cast<pid_t>(server), SIGTERM);
  // Never our own group: a server started from a terminal with us would take us along.
  if (info->group > 0 && info->group != static_cast<long long>(::getpgrp())) {
    ::kill(-static_cast<pid_t>(info->group), SIGTERM);
  }
}

void NativeServerControl::SendClose(Handle server) {
  const auto found = m_ended.find(server);
  if (found == m_ended.end()) return;
  const Ended ended = found->second;
  m_ended.erase(found);
  const std::optional<ProcessInfo> info = ReadStat(server);
  if (info && !IsGone(info->state) && info->startTime == ended.startTime) {
    ::kill(static_cast<pid_t>(server), SIGKILL);
  }
  // The restarting script brings the server back unless the whole group goes.
  if (ended.group > 0 && ended.group != static_cast<long long>(::getpgrp())) {
    ::kill(-static_cast<pid_t>(ended.group), SIGKILL);
  }
}

}  // namespace quorvane::platform

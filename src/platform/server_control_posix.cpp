#include <signal.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "install/text_case.h"
#include "platform/logging.h"
#include "platform/server_control.h"

namespace quorvane::platform {

namespace fs = std::filesystem;

namespace {

struct ProcessInfo {
  char state = '?';
  long long group = 0;
  unsigned long long startTime = 0;
};

std::optional<ProcessInfo> ReadStat(long long pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(in, line)) return std::nullopt;
  // The name sits in parentheses and may itself hold blanks or parentheses.
  const size_t close = line.rfind(')');
  if (close == std::string::npos) return std::nullopt;
  std::istringstream rest(line.substr(close + 1));
  std::vector<std::string> fields;
  for (std::string f; rest >> f;) fields.push_back(f);
  if (fields.size() < 20) return std::nullopt;
  ProcessInfo info;
  info.state = fields[0].empty() ? '?' : fields[0][0];
  info.group = std::stoll(fields[2]);
  info.startTime = std::stoull(fields[19]);
  return info;
}

bool IsGone(char state) { return state == 'Z' || state == 'X' || state == 'x'; }

std::vector<long long> ProcessIds() {
  std::vector<long long> pids;
  std::error_code ec;
  for (fs::directory_iterator it("/proc", ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.empty() || !std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; })) continue;
    pids.push_back(std::stoll(name));
  }
  std::sort(pids.begin(), pids.end());
  return pids;
}

// The last component, lower-case; both separators, as Wine lists a program by its Windows path.
std::string BaseName(const std::string& path) {
  const size_t cut = path.find_last_of("/\\");
  return install::Folded(cut == std::string::npos ? path : path.substr(cut + 1));
}

// What the process runs. Unreadable for other users' processes, which we could not end anyway.
std::string Executable(long long pid) {
  std::error_code ec;
  std::string exe = fs::read_symlink("/proc/" + std::to_string(pid) + "/exe", ec).string();
  // An updated server keeps running the file it started from.
  constexpr std::string_view kDeleted = " (deleted)";
  if (exe.ends_with(kDeleted)) exe.resize(exe.size() - kDeleted.size());
  return ec ? std::string() : BaseName(exe);
}

std::vector<std::string> CommandLine(long long pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
  std::vector<std::string> words;
  for (std::string word; std::getline(in, word, '\0');) words.push_back(word);
  return words;
}

// The script a shell runs: its first word after the options. `-c` and `-s`
// run a command string or standard input instead, with no script at all.
bool ShellRunsServerScript(const std::vector<std::string>& argv) {
  for (size_t i = 1; i < argv.size(); ++i) {
    const std::string& word = argv[i];
    if (word == "--") return i + 1 < argv.size() && BaseName(argv[i + 1]) == "hlds_run";
    if (word.size() < 2 || (word[0] != '-' && word[0] != '+')) return BaseName(word) == "hlds_run";
    if (word.starts_with("--")) {
      if (word == "--rcfile" || word == "--init-file") ++i;
      continue;
    }
    if (word.find_first_of("cs") != std::string::npos) return false;
    if (word.find_first_of("oO") != std::string::npos) ++i;  // takes the next word
  }
  return false;
}

bool IsServer(long long pid) {
  const std::string exe = Executable(pid);
  if (exe == "hlds_linux" || exe == "hlds.exe") return true;
  const bool shell = exe == "sh" || exe == "bash" || exe == "dash";
  const bool wine = exe == "wine" || exe == "wine64" || exe == "wine-preloader" || exe == "wine64-preloader";
  if (!shell && !wine) return false;
  const std::vector<std::string> argv = CommandLine(pid);
  if (shell) return ShellRunsServerScript(argv);
  // Wine names the process by the Windows program it runs; the loader
  // itself, before it hands over, still has it as its first argument.
  if (argv.empty()) return false;
  const std::string first = BaseName(argv[0]);
  if (first == "hlds.exe") return true;
  return (first == "wine" || first == "wine64") && argv.size() > 1 && BaseName(argv[1]) == "hlds.exe";
}

// The group a start made: its leader was the go-between that exited, so a
// process leading a group of that number is a later one that reused it.
bool GroupRuns(long long group) {
  bool member = false;
  for (const long long pid : ProcessIds()) {
    const std::optional<ProcessInfo> info = ReadStat(pid);
    if (!info || info->group != group) continue;
    if (pid == group) return false;
    member = member || !IsGone(info->state);
  }
  return member;
}

bool IsOwnGroup(long long group) { return group == static_cast<long long>(::getpgrp()); }

// Sends the signal to a process, or to a group as kill() names it (a negative
// number), and says so: "SIGTERM to process 123 (hlds_linux)", or
// "SIGKILL to process group 456: No such process" when none was left.
void Signal(long long pid, int signal) {
  const bool logged = LogEnabled(LogTopic::Stop);
  std::string line = signal == SIGKILL ? "SIGKILL to " : "SIGTERM to ";
  // Read before the signal, while the process is still there to tell what it runs.
  if (logged && pid < 0) line += "process group " + std::to_string(-pid);
  if (logged && pid > 0) line += "process " + std::to_string(pid) + " (" + Executable(pid) + ")";
  const int failed = ::kill(static_cast<pid_t>(pid), signal) == 0 ? 0 : errno;
  if (logged) LogLine(LogTopic::Stop, failed == 0 ? line : line + ": " + std::strerror(failed));
}

}  // namespace

bool NativeServerControl::IsRunning(Handle started) {
  if (started < 0) return GroupRuns(-started);
  const std::optional<ProcessInfo> info = ReadStat(started);
  return info && !IsGone(info->state);
}

std::optional<NativeServerControl::Handle> NativeServerControl::FindServer() {
  const long long self = static_cast<long long>(::getpid());
  for (const long long pid : ProcessIds()) {
    if (pid == self) continue;
    const std::optional<ProcessInfo> info = ReadStat(pid);
    if (!info || IsGone(info->state) || !IsServer(pid)) continue;
    if (m_accept && !m_accept(pid)) continue;
    Log(LogTopic::Stop, [&] { return "found server process " + std::to_string(pid) + " (" + Executable(pid) + ")"; });
    return pid;
  }
  Log(LogTopic::Stop, [] { return std::string("found no server process"); });
  return std::nullopt;
}

void NativeServerControl::Terminate(Handle server) {
  if (server < 0) {
    if (GroupRuns(-server) && !IsOwnGroup(-server)) Signal(server, SIGTERM);
    return;
  }
  const std::optional<ProcessInfo> info = ReadStat(server);
  if (!info) return;
  m_ended[server] = Ended{info->group, info->startTime};
  Signal(server, SIGTERM);
  // Never our own group: a server started from a terminal with us would take us along.
  if (info->group > 0 && !IsOwnGroup(info->group)) Signal(-info->group, SIGTERM);
}

void NativeServerControl::SendClose(Handle server) {
  if (server < 0) {
    if (GroupRuns(-server) && !IsOwnGroup(-server)) Signal(server, SIGKILL);
    return;
  }
  const auto found = m_ended.find(server);
  if (found == m_ended.end()) return;
  const Ended ended = found->second;
  m_ended.erase(found);
  const std::optional<ProcessInfo> info = ReadStat(server);
  // A later process with the same id is someone else's.
  if (info && !IsGone(info->state) && info->startTime == ended.startTime) Signal(server, SIGKILL);
  // The restarting script brings the server back unless the whole group goes.
  if (ended.group > 0 && !IsOwnGroup(ended.group)) Signal(-ended.group, SIGKILL);
}

}  // namespace quorvane::platform

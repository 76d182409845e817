#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <thread>
#include <vector>

#include "install/text_case.h"
#include "platform/install_runner.h"

namespace quorvane::platform {

namespace {

volatile sig_atomic_t g_interrupted = 0;  // the signal's number

void NoteInterrupt(int signal) { g_interrupted = signal; }

namespace fs = std::filesystem;

// What the process runs, as Stop judges servers; empty when it cannot be read (gone, or another user's).
std::string Executable(long long pid) {
  std::error_code ec;
  std::string exe = fs::read_symlink("/proc/" + std::to_string(pid) + "/exe", ec).string();
  constexpr std::string_view kDeleted = " (deleted)";
  if (exe.ends_with(kDeleted)) exe.resize(exe.size() - kDeleted.size());
  return ec ? std::string() : exe;
}

std::string BaseName(const std::string& path) {
  const std::size_t cut = path.find_last_of('/');
  return install::Folded(cut == std::string::npos ? path : path.substr(cut + 1));
}

// The process group from /proc/PID/stat, whose name field may hold blanks and parentheses.
long long GroupOf(long long pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(in, line)) return 0;
  const std::size_t close = line.rfind(')');
  if (close == std::string::npos) return 0;
  std::istringstream rest(line.substr(close + 1));
  std::string state;
  long long parent = 0;
  long long group = 0;
  rest >> state >> parent >> group;
  return state == "Z" || state == "X" ? 0 : group;
}

std::vector<std::string> Words(long long pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
  std::vector<std::string> words;
  for (std::string word; std::getline(in, word, '\0');) words.push_back(word);
  return words;
}

// SteamCMD itself, or the shell running its script, or the very program the update started.
bool IsSteamCmd(long long pid, const std::string& program) {
  const std::string exe = Executable(pid);
  if (exe.empty()) return false;
  std::error_code ec;
  const fs::path started = program.empty() ? fs::path() : fs::canonical(program, ec);
  if (!started.empty() && !ec && exe == started.string()) return true;
  const std::string name = BaseName(exe);
  if (name == "steamcmd" || name == "steamcmd.sh") return true;
  if (name != "sh" && name != "bash" && name != "dash") return false;
  const std::vector<std::string> words = Words(pid);
  return std::any_of(words.begin() + (words.empty() ? 0 : 1), words.end(), [&program](const std::string& word) {
    return BaseName(word) == "steamcmd.sh" || (!program.empty() && BaseName(word) == BaseName(program));
  });
}

std::vector<long long> Members(long long group) {
  std::vector<long long> pids;
  std::error_code ec;
  for (fs::directory_iterator it("/proc", ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.empty() || !std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; })) continue;
    const long long pid = std::stoll(name);
    if (GroupOf(pid) == group) pids.push_back(pid);
  }
  return pids;
}

// Waits up to `ms` for the group to have no member left.
bool GroupGone(long long group, int ms) {
  constexpr int kStepMs = 20;
  for (int waited = 0;; waited += kStepMs) {
    if (Members(group).empty()) return true;
    if (waited >= ms) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(kStepMs));
  }
}

}  // namespace

[[noreturn]] void EndAsInterrupted() {
  const int signal = g_interrupted != 0 ? static_cast<int>(g_interrupted) : SIGTERM;
  ::signal(signal, SIG_DFL);
  ::raise(signal);
  std::_Exit(128 + signal);
}

long long ThisProcessId() { return ::getpid(); }

bool SettleUnfinishedUpdate(const update::UpdateMarker& marker) {
  // The program that ran it, still running: the update is not over, only under way elsewhere.
  if (marker.owner > 0 && marker.owner != ::getpid()) {
    const std::string owner = Executable(marker.owner);
    if (!owner.empty() && owner == Executable(::getpid())) return false;
  }
  // 0 and 1 as a negative process id would reach our own group or every process; the marker is only text.
  if (marker.group <= 1 || marker.group > std::numeric_limits<pid_t>::max()) return true;
  const std::vector<long long> members = Members(marker.group);
  if (std::none_of(members.begin(), members.end(),
                   [&marker](long long pid) { return IsSteamCmd(pid, marker.program); }))
    return true;
  ::kill(static_cast<pid_t>(-marker.group), SIGTERM);
  if (!GroupGone(marker.group, 3000)) {
    ::kill(static_cast<pid_t>(-marker.group), SIGKILL);
    (void)GroupGone(marker.group, 2000);
  }
  return true;
}

void CatchTerminalInterrupt() {
  struct sigaction action {};
  action.sa_handler = NoteInterrupt;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

bool TerminalInterrupted() { return g_interrupted != 0; }

update::System ThisSystem() { return update::System::Posix; }

// The bytes as the system holds them: on Linux file names are UTF-8 already.
std::string EnvironmentVariable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

std::string HomeDirectory() { return EnvironmentVariable("HOME"); }

bool IsProgramFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::string BackupStampNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  return update::BackupStamp(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                             local.tm_sec);
}

}  // namespace quorvane::platform

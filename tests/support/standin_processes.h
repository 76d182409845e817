#pragma once
// Helpers for tests that start the stand-in server as a real process: install
// it under a game program's name, read what it recorded, wait for it to end, end
// what a test started (on POSIX also whatever still runs in its installation).
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>
#ifdef _WIN32
#include "platform/win32_api.h"
#else
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#endif

namespace quorvane::test_support {

struct StandInRecord {
  long long pid = 0, child = 0;
  std::string cwd;
  std::vector<std::string> args;
  bool complete = false;
};

inline void InstallStandIn(const std::filesystem::path& target) {
  std::filesystem::copy_file(std::filesystem::path(QUORVANE_STANDIN).make_preferred(), target,
                             std::filesystem::copy_options::overwrite_existing);
}

// The record the stand-in leaves in its working directory `dir` (pid=, child=,
// cwd=, argc= lines, then one line per argument), taken away once read. Waits
// on the directory's change events, not on a clock, until it is there.
inline StandInRecord ReadStandInRecord(const std::filesystem::path& dir, int timeoutMs = 20000) {
  const std::filesystem::path file = dir / "standin-record.txt";
#ifdef _WIN32
  HANDLE change = FindFirstChangeNotificationW(dir.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME);
  while (!std::filesystem::exists(file) && WaitForSingleObject(change, timeoutMs) == WAIT_OBJECT_0 &&
         FindNextChangeNotification(change)) {
  }
  FindCloseChangeNotification(change);
#else
  const int fd = inotify_init1(IN_CLOEXEC);
  inotify_add_watch(fd, dir.c_str(), IN_MOVED_TO | IN_CREATE);
  pollfd p{fd, POLLIN, 0};
  char events[4096];
  while (!std::filesystem::exists(file) && poll(&p, 1, timeoutMs) > 0 && read(fd, events, sizeof events) > 0) {
  }
  close(fd);
#endif
  std::vector<std::string> v;
  for (std::ifstream in(file); std::getline(in, v.emplace_back());) {
  }
  std::filesystem::remove(file);
  if (v.size() < 5) return {};
  StandInRecord r{std::stoll(v[0].substr(4)), std::stoll(v[1].substr(6)), v[2].substr(4), {v.begin() + 4, v.end() - 1}};
  r.complete = r.args.size() == std::stoul(v[3].substr(5)) && r.pid != 0;
  return r;
}

// True once the process has ended; a zombie that nobody reaps counts as ended.
#ifdef _WIN32
inline bool WaitForExit(long long pid, int timeoutMs) {
  HANDLE p = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
  const bool ended = p == nullptr || WaitForSingleObject(p, timeoutMs) == WAIT_OBJECT_0;
  if (p != nullptr) CloseHandle(p);
  return ended;
}

// Ends what the test started; false when something outlived it.
inline bool EndAll(const std::filesystem::path&, const std::vector<long long>& started) {
  bool ended = true;
  for (const long long pid : started) {
    if (HANDLE p = OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(pid))) {
      TerminateProcess(p, 1);
      CloseHandle(p);
    }
    ended = WaitForExit(pid, 20000) && ended;
  }
  return ended;
}
#else
inline bool WaitForExit(long long pid, int timeoutMs) {
  const int fd = static_cast<int>(syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0));
  pollfd p{fd, POLLIN, 0};
  const bool ended = fd < 0 ? errno == ESRCH : poll(&p, 1, timeoutMs) > 0;
  if (fd >= 0) close(fd);
  return ended;
}

// Live processes other than this one whose working directory is `dir`.
inline std::set<long long> ProcessesIn(const std::filesystem::path& dir) {
  std::set<long long> found;
  std::error_code ec, e2;
  for (std::filesystem::directory_iterator it("/proc", ec), end; !ec && it != end; it.increment(ec)) {
    const long long pid = std::atoll(it->path().filename().c_str());
    const bool inDir = pid > 0 && pid != getpid() && std::filesystem::read_symlink(it->path() / "cwd", e2) == dir;
    if (inDir && !WaitForExit(pid, 0)) found.insert(pid);
  }
  return found;
}

// Ends everything running in `dir` and everything in `started`, with its process
// group; false when something outlived SIGKILL.
inline bool EndAll(const std::filesystem::path& dir, const std::vector<long long>& started) {
  std::set<long long> left = ProcessesIn(dir);
  left.insert(started.begin(), started.end());
  left.erase(0);  // no process: kill(0) would end the test's own group
  bool ended = true;
  for (const long long pid : left) {
    const pid_t group = getpgid(static_cast<pid_t>(pid));
    if (group > 0 && group != getpgrp()) kill(-group, SIGKILL);
    kill(static_cast<pid_t>(pid), SIGKILL);
  }
  for (const long long pid : left) ended = WaitForExit(pid, 2000) && ended;
  return ended && ProcessesIn(dir).empty();
}
#endif

inline bool IsRunning(long long pid) { return !WaitForExit(pid, 0); }

}  // namespace quorvane::test_support

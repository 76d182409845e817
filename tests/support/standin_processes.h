#pragma once
// Helpers for tests that start the stand-in server as a real process (POSIX):
// install it under a game program's name, read what it recorded, wait for it
// to end, and find whatever still runs in a test's installation.
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace quorvane::test_support {

struct StandInRecord {
  long long pid = 0, child = 0;
  std::string cwd;
  std::vector<std::string> args;
  bool complete = false;
};

inline void InstallStandIn(const std::filesystem::path& target) {
  std::filesystem::copy_file(QUORVANE_STANDIN, target, std::filesystem::copy_options::overwrite_existing);
  std::filesystem::permissions(target, std::filesystem::perms::owner_all);
}

// Waits on the directory's change events (no polling loop) until `name` is there.
inline bool WaitForFile(const std::filesystem::path& dir, const std::string& name, int timeoutMs) {
  const int fd = inotify_init1(IN_CLOEXEC);
  inotify_add_watch(fd, dir.c_str(), IN_MOVED_TO | IN_CREATE);
  pollfd p{fd, POLLIN, 0};
  char events[4096];
  while (!std::filesystem::exists(dir / name) && poll(&p, 1, timeoutMs) > 0 && read(fd, events, sizeof events) > 0) {
  }
  close(fd);
  return std::filesystem::exists(dir / name);
}

// True once the process has ended; a zombie that nobody reaps counts as ended.
inline bool WaitForExit(long long pid, int timeoutMs) {
  const int fd = static_cast<int>(syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0));
  if (fd < 0) return errno == ESRCH;
  pollfd p{fd, POLLIN, 0};
  const bool ended = poll(&p, 1, timeoutMs) > 0;
  close(fd);
  return ended;
}

inline bool IsRunning(long long pid) { return !WaitForExit(pid, 0); }

// Live processes other than this one whose working directory is `dir`.
inline std::set<long long> ProcessesIn(const std::filesystem::path& dir) {
  std::set<long long> found;
  std::error_code ec;
  for (std::filesystem::directory_iterator it("/proc", ec), end; !ec && it != end; it.increment(ec)) {
    const long long pid = std::atoll(it->path().filename().c_str());
    std::error_code e2;
    if (pid > 0 && pid != getpid() && std::filesystem::read_symlink(it->path() / "cwd", e2) == dir && IsRunning(pid)) {
      found.insert(pid);
    }
  }
  return found;
}

// Ends everything running in `dir` and everything in `started`, with its process
// group; false when something outlived SIGKILL.
inline bool EndAll(const std::filesystem::path& dir, const std::vector<long long>& started) {
  std::set<long long> left = ProcessesIn(dir);
  left.insert(started.begin(), started.end());
  left.erase(0);  // no process: kill(0) would end the test's own group
  for (const long long pid : left) {
    const pid_t group = getpgid(static_cast<pid_t>(pid));
    if (group > 0 && group != getpgrp()) kill(-group, SIGKILL);
    kill(static_cast<pid_t>(pid), SIGKILL);
  }
  bool ended = true;
  for (const long long pid : left) ended = WaitForExit(pid, 2000) && ended;
  return ended && ProcessesIn(dir).empty();
}

// The record the stand-in leaves in its working directory `dir`:
// pid=, child=, cwd=, argc= lines, then one line per argument.
inline StandInRecord ReadStandInRecord(const std::filesystem::path& dir, int timeoutMs = 5000) {
  if (!WaitForFile(dir, "standin-record.txt", timeoutMs)) return {};
  std::ifstream in(dir / "standin-record.txt");
  std::vector<std::string> v;
  for (std::string line; std::getline(in, line);) v.push_back(line);
  if (v.size() < 4) return {};
  StandInRecord r{std::stoll(v[0].substr(4)), std::stoll(v[1].substr(6)), v[2].substr(4), {v.begin() + 4, v.end()}};
  r.complete = r.args.size() == std::stoul(v[3].substr(5)) && r.pid != 0;
  return r;
}

}  // namespace quorvane::test_support

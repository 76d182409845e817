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
#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace quorvane::test_support {

namespace standin_fs = std::filesystem;

struct StandInRecord {
  long long pid = 0;
  long long child = 0;
  std::string cwd;
  std::vector<std::string> args;
  bool complete = false;
};

inline void InstallStandIn(const standin_fs::path& target) {
  standin_fs::copy_file(QUORVANE_STANDIN, target, standin_fs::copy_options::overwrite_existing);
  standin_fs::permissions(target, standin_fs::perms::owner_all | standin_fs::perms::group_exec |
                                      standin_fs::perms::others_exec);
}

// Waits on the directory's change events (no polling loop) until `name` is there.
inline bool WaitForFile(const standin_fs::path& dir, const std::string& name, int timeoutMs) {
  const int fd = inotify_init1(IN_CLOEXEC);
  if (fd < 0) return standin_fs::exists(dir / name);
  inotify_add_watch(fd, dir.c_str(), IN_MOVED_TO | IN_CREATE);
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  bool found = standin_fs::exists(dir / name);
  while (!found) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left.count())) > 0) {
      char buf[4096];
      [[maybe_unused]] const ssize_t n = read(fd, buf, sizeof buf);
    }
    found = standin_fs::exists(dir / name);
  }
  close(fd);
  return found;
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
inline std::set<long long> ProcessesIn(const standin_fs::path& dir) {
  std::set<long long> found;
  const std::string self = std::to_string(getpid());
  std::error_code ec;
  for (standin_fs::directory_iterator it("/proc", ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name == self || name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::error_code e2;
    const standin_fs::path cwd = standin_fs::read_symlink(it->path() / "cwd", e2);
    if (!e2 && cwd == dir && IsRunning(std::stoll(name))) found.insert(std::stoll(name));
  }
  return found;
}

inline void KillGroup(long long pid) {
  const pid_t group = getpgid(static_cast<pid_t>(pid));
  if (group > 0 && group != getpgrp()) kill(-group, SIGKILL);
  kill(static_cast<pid_t>(pid), SIGKILL);
}

// Ends everything running in `dir` and everything in `started`; false when something outlived SIGKILL.
inline bool EndAll(const standin_fs::path& dir, const std::vector<long long>& started) {
  std::set<long long> left = ProcessesIn(dir);
  left.insert(started.begin(), started.end());
  for (const long long pid : left) KillGroup(pid);
  bool ended = true;
  for (const long long pid : left) ended = WaitForExit(pid, 2000) && ended;
  return ended && ProcessesIn(dir).empty();
}

// The record the stand-in leaves in its working directory `dir`.
inline StandInRecord ReadStandInRecord(const standin_fs::path& dir, int timeoutMs = 5000) {
  StandInRecord r;
  if (!WaitForFile(dir, "standin-record.txt", timeoutMs)) return r;
  std::ifstream in(dir / "standin-record.txt");
  std::string line;
  std::size_t count = 0;
  bool header = false;
  while (std::getline(in, line)) {
    if (line.rfind("pid=", 0) == 0) {
      r.pid = std::stoll(line.substr(4));
    } else if (line.rfind("child=", 0) == 0) {
      r.child = std::stoll(line.substr(6));
    } else if (line.rfind("cwd=", 0) == 0) {
      r.cwd = line.substr(4);
    } else if (line.rfind("argc=", 0) == 0) {
      count = std::stoul(line.substr(5));
      header = true;
      break;
    }
  }
  while (r.args.size() < count && std::getline(in, line)) r.args.push_back(line);
  r.complete = header && r.args.size() == count && r.pid != 0;
  return r;
}

}  // namespace quorvane::test_support

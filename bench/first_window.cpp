// Starts a program on the current X display and measures the time until its
// first top-level window is mapped, the shared libraries it has mapped at that
// moment, then its peak memory a moment later.
// Usage: first_window RUNS PROGRAM [ARGS...]
// Prints the median time in ms, the median peak RSS in KiB and the median
// number of shared libraries.
#include <X11/Xlib.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

long PeakRssKib(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
  return -1;
}

// Waits for the next MapNotify under the root window, at most `limit`.
bool WaitForMap(Display* display, Clock::duration limit) {
  const auto end = Clock::now() + limit;
  pollfd fd{ConnectionNumber(display), POLLIN, 0};
  for (;;) {
    while (XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type == MapNotify) return true;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
    if (left <= 0) return false;
    ::poll(&fd, 1, static_cast<int>(left));
  }
}

// Distinct shared objects in the process's address space, the program itself left out.
int SharedLibraries(pid_t pid) {
  std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
  std::set<std::string> libraries;
  std::string line;
  while (std::getline(maps, line)) {
    const std::size_t slash = line.find('/');
    if (slash == std::string::npos) continue;
    const std::string path = line.substr(slash);
    if (path.find(".so") != std::string::npos) libraries.insert(path);
  }
  return static_cast<int>(libraries.size());
}

template <typename T>
T Median(std::vector<T> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s RUNS PROGRAM [ARGS...]\n", argv[0]);
    return 2;
  }
  const int runs = std::atoi(argv[1]);
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "no X display\n");
    return 1;
  }
  XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
  XSync(display, False);

  std::vector<double> times;
  std::vector<long> peaks;
  std::vector<int> libraryCounts;
  for (int run = 0; run < runs; ++run) {
    const auto start = Clock::now();
    pid_t pid = 0;
    if (::posix_spawn(&pid, argv[2], nullptr, nullptr, argv + 2, environ) != 0) {
      std::perror(argv[2]);
      return 1;
    }
    const bool mapped = WaitForMap(display, std::chrono::seconds(20));
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    const int libraries = mapped ? SharedLibraries(pid) : 0;
    // Let the first window finish painting before its memory is read.
    WaitForMap(display, std::chrono::milliseconds(500));
    const long peak = PeakRssKib(pid);
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    if (!mapped) {
      std::fprintf(stderr, "%s showed no window\n", argv[2]);
      return 1;
    }
    times.push_back(ms);
    peaks.push_back(peak);
    libraryCounts.push_back(libraries);
  }
  std::printf("%.1f %ld %d\n", Median(times), Median(peaks), Median(libraryCounts));
  return 0;
}

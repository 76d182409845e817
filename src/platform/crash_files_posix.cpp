#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <system_error>

#include "platform/child_process.h"
#include "platform/crash_files.h"

namespace quorvane::platform {

namespace fs = std::filesystem;

namespace {

std::string FindOnPath(std::string_view name) {
  const char* path = std::getenv("PATH");
  std::string_view rest(path != nullptr ? path : "");
  while (!rest.empty()) {
    const size_t colon = rest.find(':');
    const std::string_view dir = rest.substr(0, colon);
    if (dir.starts_with('/')) {
      const fs::path candidate = fs::path(std::string(dir)) / name;
      if (::access(candidate.c_str(), X_OK) == 0) return candidate.string();
    }
    if (colon == std::string_view::npos) break;
    rest.remove_prefix(colon + 1);
  }
  return {};
}

std::optional<fs::path> NewCore(const fs::path& folder, long long processId,
                                std::chrono::system_clock::time_point since) {
  for (const std::string& name :
       {"core." + std::to_string(processId), std::string("core"), std::string("hlds_linux.core")}) {
    const fs::path file = folder / name;
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    const auto changed =
        std::chrono::system_clock::from_time_t(st.st_mtim.tv_sec) + std::chrono::nanoseconds(st.st_mtim.tv_nsec);
    if (changed >= since) return file;
  }
  return std::nullopt;
}

}  // namespace

fs::path CrashesDir() {
  if (const char* state = std::getenv("XDG_STATE_HOME"); state != nullptr && *state == '/')
    return fs::path(state) / "quorvane" / "crashes";
  const char* home = std::getenv("HOME");
  return fs::path(home != nullptr ? home : "/tmp") / ".local/state/quorvane/crashes";
}

std::optional<Backtrace> CoreBacktrace(const fs::path& serverFolder, const fs::path& program, long long processId,
                                       std::chrono::system_clock::time_point since, int timeoutMs) {
  const std::optional<fs::path> core = NewCore(serverFolder, processId, since);
  const std::string gdb = FindOnPath("gdb");
  if (!core || gdb.empty()) return std::nullopt;
  ChildProcess debugger;
  if (!debugger.Start(gdb, {"-batch", "-nx", "-ex", "bt", program.string(), core->string()}, serverFolder.string()))
    return std::nullopt;
  Backtrace trace{{}, core->string()};
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (debugger.Read(trace.text, static_cast<int>(std::min<long long>(left.count(), 200))) ==
        ChildProcess::ReadStatus::Closed)
      break;
  }
  // A debugger that outlived its time is ended; what it said so far still helps.
  debugger.Cancel(500);
  return trace;
}

}  // namespace quorvane::platform

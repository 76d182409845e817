#include <cstdlib>

#include "platform/crash_files.h"

namespace quorvane::platform {

namespace fs = std::filesystem;

fs::path CrashesDir() {
  const wchar_t* local = _wgetenv(L"LOCALAPPDATA");
  return fs::path(local != nullptr ? std::wstring(local) : std::wstring(L"C:\\")) / L"Quorvane" / L"crashes";
}

// The Windows server leaves no core file.
std::optional<Backtrace> CoreBacktrace(const fs::path&, const fs::path&, long long,
                                       std::chrono::system_clock::time_point, int) {
  return std::nullopt;
}

}  // namespace quorvane::platform

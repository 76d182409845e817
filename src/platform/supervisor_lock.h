#pragma once
// One supervisor per server folder: a lock file, named by the folder, that the
// supervising program holds for as long as it supervises and that the system
// frees when the program ends, however it ends. The holder writes its process
// id into it, so a second program can say which one supervises.
#include <cstdint>
#include <filesystem>
#include <string>

namespace quorvane::platform {

// Where the lock files lie: $XDG_RUNTIME_DIR, else $XDG_STATE_HOME/quorvane
// (~/.local/state/quorvane); %LOCALAPPDATA%\Quorvane on Windows.
std::filesystem::path SupervisorLockDir();

struct [[nodiscard]] LockOutcome {
  bool taken = false;
  long long holder = 0;  // refused: the process that holds it, 0 when unknown
  std::string error;     // neither taken nor refused: why (the file named)
};

class SupervisorLock {
 public:
  explicit SupervisorLock(std::filesystem::path directory = SupervisorLockDir());
  ~SupervisorLock();
  SupervisorLock(const SupervisorLock&) = delete;
  SupervisorLock& operator=(const SupervisorLock&) = delete;

  // Takes the lock of `serverFolder`, giving up one held for another folder.
  LockOutcome Take(const std::string& serverFolder);
  void Release();
  bool Held() const;

 private:
  std::filesystem::path m_directory;
  std::intptr_t m_handle = -1;
};

}  // namespace quorvane::platform

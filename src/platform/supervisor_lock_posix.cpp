#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "platform/supervisor_lock.h"
#include "supervise/lock_key.h"

namespace quorvane::platform {

namespace fs = std::filesystem;

fs::path SupervisorLockDir() {
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime == '/') return runtime;
  if (const char* state = std::getenv("XDG_STATE_HOME"); state != nullptr && *state == '/')
    return fs::path(state) / "quorvane";
  const char* home = std::getenv("HOME");
  return fs::path(home != nullptr ? home : "/tmp") / ".local/state/quorvane";
}

SupervisorLock::SupervisorLock(fs::path directory) : m_directory(std::move(directory)) {}

SupervisorLock::~SupervisorLock() { Release(); }

LockOutcome SupervisorLock::Take(const std::string& serverFolder) {
  Release();
  const fs::path file = m_directory / supervise::LockFileName(serverFolder);
  std::error_code ec;
  fs::create_directories(m_directory, ec);
  // Close-on-exec: the server must not keep our lock once we are gone.
  const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return {false, 0, file.string() + ": " + std::strerror(errno)};
  int locked = 0;
  do locked = ::flock(fd, LOCK_EX | LOCK_NB);
  while (locked != 0 && errno == EINTR);
  if (locked != 0) {
    const int error = errno;
    char text[32] = {};
    const ssize_t got = ::pread(fd, text, sizeof text - 1, 0);
    ::close(fd);
    if (error != EWOULDBLOCK) return {false, 0, file.string() + ": " + std::strerror(error)};
    return {false, got > 0 ? std::atoll(text) : 0, {}};
  }
  const std::string pid = std::to_string(::getpid()) + "\n";
  if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, pid.data(), pid.size(), 0) != static_cast<ssize_t>(pid.size())) {
    const int error = errno;
    ::close(fd);
    return {false, 0, file.string() + ": " + std::strerror(error)};
  }
  m_handle = fd;
  return {true, 0, {}};
}

void SupervisorLock::Release() {
  // The file stays: removing it would race a program just opening it.
  if (m_handle >= 0) ::close(static_cast<int>(m_handle));
  m_handle = -1;
}

bool SupervisorLock::Held() const { return m_handle >= 0; }

}  // namespace quorvane::platform

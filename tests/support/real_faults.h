#pragma once
// A file or directory made unchangeable (the immutable attribute, needs root)
// for as long as the object lives; ok() says whether that worked, error() why not.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

namespace quorvane::test_support {

class Immutable {
 public:
  explicit Immutable(std::filesystem::path path) : m_path(std::move(path)), m_error(Set(true)) {}
  ~Immutable() { if (ok()) Set(false); }
  Immutable(const Immutable&) = delete;
  bool ok() const { return m_error.empty(); }
  const std::string& error() const { return m_error; }

 private:
  std::string Set(bool on) const {
    const int fd = ::open(m_path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    int flags = 0;
    bool done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    const std::string why = done ? "" : std::strerror(errno);
    if (fd >= 0) ::close(fd);
    return why;
  }

  std::filesystem::path m_path;
  std::string m_error;
};

}  // namespace quorvane::test_support

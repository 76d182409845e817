#pragma once
// A file or directory made unchangeable for as long as the object lives; ok()
// says whether that worked, error() why not. On Linux the immutable attribute
// (needs root). On Windows a file gets the read-only attribute, which the
// program refuses to write through; a directory's attribute does not keep
// files from being made in it, so a directory is reported as not done.
#include <filesystem>
#include <string>
#include <system_error>
#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace quorvane::test_support {

class Immutable {
 public:
  explicit Immutable(std::filesystem::path path) : m_path(std::move(path)), m_error(Set(true)) {}
  ~Immutable() {
    if (ok()) Set(false);
  }
  Immutable(const Immutable&) = delete;
  bool ok() const { return m_error.empty(); }
  const std::string& error() const { return m_error; }

 private:
  // Why the attribute could not be set or cleared; empty when it was.
  std::string Set(bool on) const {
#ifdef _WIN32
    std::error_code ec;
    if (std::filesystem::is_directory(m_path, ec)) return "a directory cannot be made unwritable with its attributes";
    if (SetFileAttributesW(m_path.c_str(), on ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL)) return {};
    return "cannot make " + m_path.string() + " read-only: error " + std::to_string(GetLastError());
#else
    const int fd = ::open(m_path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    int flags = 0;
    bool done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    const std::string why = done ? "" : std::strerror(errno);
    if (fd >= 0) ::close(fd);
    return why;
#endif
  }

  std::filesystem::path m_path;
  std::string m_error;
};

}  // namespace quorvane::test_support

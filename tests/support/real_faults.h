#pragma once
// Faults made real on the disk for the writers' tests: a file system that is
// full (a small tmpfs), a file or directory that cannot be changed (the
// immutable attribute), and a wrapper that pulls a directory away at the
// moment of a chosen call. Each undoes itself when it goes out of scope.
// Needs root; a test that cannot set a fault up skips with the reason.
#include <fcntl.h>
#include <linux/fs.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "install/file_system.h"

namespace quorvane::test_support {

// Sets or clears the immutable attribute; "" on success, else the reason.
inline std::string SetImmutable(const std::filesystem::path& path, bool on) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::strerror(errno);
  int flags = 0;
  std::string why;
  if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) != 0) {
    why = std::strerror(errno);
  } else {
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    if (::ioctl(fd, FS_IOC_SETFLAGS, &flags) != 0) why = std::strerror(errno);
  }
  ::close(fd);
  return why;
}

class Immutable {
 public:
  explicit Immutable(std::filesystem::path path) : m_path(std::move(path)) { m_error = SetImmutable(m_path, true); }
  ~Immutable() {
    if (m_error.empty()) SetImmutable(m_path, false);
  }
  Immutable(const Immutable&) = delete;
  Immutable& operator=(const Immutable&) = delete;
  bool ok() const { return m_error.empty(); }
  const std::string& error() const { return m_error; }

 private:
  std::filesystem::path m_path;
  std::string m_error;
};

// A scratch directory, optionally a small tmpfs of its own.
class FaultDisk {
 public:
  explicit FaultDisk(std::size_t tmpfsBytes = 0) {
    std::string pattern = (std::filesystem::temp_directory_path() / "quorvane-fault-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
      m_error = std::strerror(errno);
      return;
    }
    m_root = pattern;
    if (tmpfsBytes != 0) {
      const std::string options = "size=" + std::to_string(tmpfsBytes);
      if (::mount("tmpfs", m_root.c_str(), "tmpfs", 0, options.c_str()) != 0)
        m_error = std::string("cannot mount a tmpfs: ") + std::strerror(errno);
      else
        m_mounted = true;
    }
  }
  ~FaultDisk() {
    if (m_mounted) ::umount2(m_root.c_str(), MNT_DETACH);
    std::error_code ec;
    if (!m_root.empty()) std::filesystem::remove_all(m_root, ec);
  }
  FaultDisk(const FaultDisk&) = delete;
  FaultDisk& operator=(const FaultDisk&) = delete;

  bool ok() const { return m_error.empty(); }
  const std::string& error() const { return m_error; }
  const std::filesystem::path& Root() const { return m_root; }

  // Fills the disk to the last byte with one file; returns its path.
  std::filesystem::path Fill() const {
    const std::filesystem::path filler = m_root / "filler";
    const int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const std::string block(4096, 'f');
    if (fd >= 0) {
      for (std::size_t size = block.size(); size > 0; size /= 2)
        while (::write(fd, block.data(), size) == static_cast<ssize_t>(size)) {
        }
      ::close(fd);
    }
    return filler;
  }

 private:
  std::filesystem::path m_root;
  std::string m_error;
  bool m_mounted = false;
};

// Passes every call to the real file system; just before the chosen call on
// the chosen path it runs the fault once (a directory moved away, say).
class FaultingFileSystem : public install::FileSystem {
 public:
  enum class Op { Write, Rename, Remove };

  FaultingFileSystem(install::FileSystem& real, Op op, std::string path, std::function<void()> fault)
      : m_real(real), m_op(op), m_path(std::move(path)), m_fault(std::move(fault)) {}

  bool fired() const { return m_fired; }

  bool IsPresent(const std::string& path) override { return m_real.IsPresent(path); }
  bool IsDirectory(const std::string& path) override { return m_real.IsDirectory(path); }
  install::IoResult ReadFile(const std::string& path, std::string& bytes) override {
    return m_real.ReadFile(path, bytes);
  }
  install::IoResult WriteFile(const std::string& path, std::string_view bytes) override {
    Before(Op::Write, path);
    return m_real.WriteFile(path, bytes);
  }
  install::IoResult Rename(const std::string& from, const std::string& to) override {
    Before(Op::Rename, from);
    return m_real.Rename(from, to);
  }
  install::IoResult Remove(const std::string& path) override {
    Before(Op::Remove, path);
    return m_real.Remove(path);
  }
  install::IoResult CreateDirectory(const std::string& path) override { return m_real.CreateDirectory(path); }
  std::vector<std::string> ListFiles(const std::string& directory) override { return m_real.ListFiles(directory); }

 private:
  void Before(Op op, const std::string& path) {
    if (m_fired || op != m_op || path != m_path) return;
    m_fired = true;
    m_fault();
  }

  install::FileSystem& m_real;
  Op m_op;
  std::string m_path;
  std::function<void()> m_fault;
  bool m_fired = false;
};

}  // namespace quorvane::test_support

#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/codepage.h"
#include "platform/path_resolver.h"

namespace quorvane::platform {
namespace {

using install::IoResult;

IoResult Errno(int error) { return IoResult::Failure(std::strerror(error)); }

bool StatFollowing(const std::string& native, struct stat& st) { return ::stat(native.c_str(), &st) == 0; }

// 0 for a regular file, else the reason it cannot be treated as one.
int RegularOrError(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return errno;
  if (S_ISREG(st.st_mode)) return 0;
  return S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
}

int CloseChecked(int fd) {
  // Linux releases the descriptor even when close reports an error; retrying would close someone else's.
  return ::close(fd) == 0 ? 0 : errno;
}

}  // namespace

void NativeFileSystem::Route(std::string pathText, std::filesystem::path native) {
  m_routes.insert_or_assign(std::move(pathText), std::move(native));
}

std::string NativeFileSystem::Native(const std::string& pathText) const {
  if (const auto route = m_routes.find(pathText); route != m_routes.end()) return route->second.string();
  return ResolvePath(pathText).string();
}

IoResult NativeFileSystem::MakeRoutedDirectories(const std::string& pathText) const {
  const auto route = m_routes.find(pathText);
  if (route == m_routes.end()) return IoResult::Success();
  std::filesystem::path made;
  for (const std::filesystem::path& part : route->second.parent_path()) {
    made /= part;
    if (::mkdir(made.c_str(), 0700) == 0 || errno == EEXIST) continue;
    return IoResult::Failure("cannot create the directory " + Utf8ToAnsi(made.string()) + ": " + std::strerror(errno));
  }
  return IoResult::Success();
}

bool NativeFileSystem::IsPresent(const std::string& path) {
  struct stat st {};
  return StatFollowing(Native(path), st) && S_ISREG(st.st_mode);
}

bool NativeFileSystem::IsDirectory(const std::string& path) {
  struct stat st {};
  return StatFollowing(Native(path), st) && S_ISDIR(st.st_mode);
}

IoResult NativeFileSystem::ReadFile(const std::string& path, std::string& bytes) {
  const std::string native = Native(path);
  // Non-blocking so a FIFO in place of the file cannot hang the program.
  const int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return Errno(errno);
  if (const int error = RegularOrError(fd)) {
    ::close(fd);
    return Errno(error);
  }
  // Read straight into a string sized from the file, so a large file costs
  // one copy and no regrowth; a file that grows meanwhile is read to its end.
  struct stat info {};
  std::size_t expected = 0;
  if (::fstat(fd, &info) == 0 && info.st_size > 0) expected = static_cast<std::size_t>(info.st_size);
  std::string content(expected + 1, '\0');
  std::size_t filled = 0;
  for (;;) {
    if (filled == content.size()) content.resize(content.size() * 2);
    const ssize_t n = ::read(fd, content.data() + filled, content.size() - filled);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      ::close(fd);
      return Errno(error);
    }
    filled += static_cast<std::size_t>(n);
  }
  ::close(fd);
  content.resize(filled);
  bytes = std::move(content);
  return IoResult::Success();
}

IoResult NativeFileSystem::WriteFile(const std::string& path, std::string_view bytes) {
  if (IoResult ready = MakeRoutedDirectories(path); !ready) return ready;
  const std::string native = Native(path);
  const int fd = ::open(native.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0666);
  if (fd < 0) return Errno(errno);
  if (const int error = RegularOrError(fd)) {
    ::close(fd);
    return Errno(error);
  }
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      ::close(fd);
      return Errno(error);
    }
    done += static_cast<std::size_t>(n);
  }
  if (const int error = CloseChecked(fd)) return Errno(error);
  return IoResult::Success();
}

IoResult NativeFileSystem::Rename(const std::string& from, const std::string& to) {
  const std::string source = Native(from);
  const std::string target = Native(to);
  struct stat st {};
  if (::lstat(source.c_str(), &st) != 0) return Errno(errno);
  // Renaming over an existing file must fail, never replace it: a writer
  // whose old backup could not be deleted relies on that.
  if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
    return IoResult::Success();
  }
  if (errno != EINVAL && errno != ENOSYS) return Errno(errno);
  // File systems without RENAME_NOREPLACE: check, then rename.
  if (::lstat(target.c_str(), &st) == 0) return Errno(EEXIST);
  if (::rename(source.c_str(), target.c_str()) != 0) return Errno(errno);
  return IoResult::Success();
}

IoResult NativeFileSystem::Remove(const std::string& path) {
  if (::unlink(Native(path).c_str()) != 0) return Errno(errno);
  return IoResult::Success();
}

IoResult NativeFileSystem::CreateDirectory(const std::string& path) {
  if (::mkdir(Native(path).c_str(), 0777) != 0) return Errno(errno);
  return IoResult::Success();
}

std::vector<std::string> NativeFileSystem::ListFiles(const std::string& directory) {
  std::vector<std::string> names;
  const std::string native = Native(directory);
  DIR* dir = ::opendir(native.c_str());
  if (!dir) return names;
  const int dirFd = ::dirfd(dir);
  while (const dirent* entry = ::readdir(dir)) {
    bool regular = entry->d_type == DT_REG;
    if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
      struct stat st {};
      regular = ::fstatat(dirFd, entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
    }
    if (regular) names.push_back(Utf8ToAnsi(entry->d_name));
  }
  ::closedir(dir);
  return names;
}

}  // namespace quorvane::platform

#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "platform/codepage.h"
#include "platform/path_resolver.h"

namespace quorvane::platform {
namespace {

using install::IoResult;

IoResult Errno(int error) { return IoResult::Failure(std::strerror(error)); }

bool StatFollowing(const std::string& native, struct stat& st) { return ::stat(native.c_str(), &st) == 0; }

// An ordinary file, links followed; empty text names none.
bool StatRegular(const std::string& native, struct stat& st) {
  return !native.empty() && StatFollowing(native, st) && S_ISREG(st.st_mode);
}

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

// Beside the file it replaces, hidden, and named so that nothing else takes
// it for a game file: `.<name>.quorvane-tmp-XXXXXX`.
constexpr const char* kTempMark = ".quorvane-tmp-";

int WriteAll(int fd, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    done += static_cast<std::size_t>(n);
  }
  return 0;
}

// The file a chain of symbolic links ends at (which need not exist yet), so
// the write replaces that file and leaves the links as they are.
int FollowLinks(std::string path, std::string& target) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
      target = std::move(path);
      return 0;
    }
    std::string link(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
    const ssize_t n = ::readlink(path.c_str(), link.data(), link.size());
    if (n < 0) return errno;
    if (static_cast<std::size_t>(n) == link.size()) return ENAMETOOLONG;  // it changed meanwhile
    link.resize(static_cast<std::size_t>(n));
    if (!link.starts_with('/')) {
      const std::size_t slash = path.rfind('/');
      link = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + link;
    }
    path = std::move(link);
  }
  return ELOOP;
}

// A new temporary for `name` in `directory`, created as open() would create
// the file itself (mode 0666 less the umask); -1 with errno on failure.
int CreateTemporary(const std::string& directory, const std::string& name, std::string& temp) {
  static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937 engine(std::random_device{}());
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = directory + "/." + name + kTempMark;
    for (int i = 0; i < 6; ++i) temp += kLetters[engine() % (sizeof kLetters - 1)];
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

// Temporaries of this file left by a write that was killed; only names of
// our own pattern, and only those of this file, are touched. A second copy of
// the program writing the same file at the same moment would lose its write
// and say so, which is better than temporaries piling up.
void RemoveStaleTemporaries(const std::string& directory, const std::string& name) {
  DIR* dir = ::opendir(directory.c_str());
  if (!dir) return;
  const std::string prefix = "." + name + kTempMark;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view found = entry->d_name;
    if (found.size() == prefix.size() + 6 && found.starts_with(prefix)) ::unlinkat(::dirfd(dir), entry->d_name, 0);
  }
  ::closedir(dir);
}

// What a written file is to carry: whose it is and who else may open it.
struct Wanted {
  bool hasOwner = false;
  bool ownerOfTarget = false;  // the owner is the replaced file's own
  uid_t uid = 0;
  gid_t gid = 0;
  bool hasMode = false;
  mode_t mode = 0;
  mode_t othersMay = 0077;  // the group and other permissions it may grant at most
};

mode_t Narrowed(mode_t mode, const Wanted& wanted) { return mode & (~mode_t{0077} | wanted.othersMay); }

// The old way, truncating the file itself: for files a rename cannot replace
// faithfully. The caller keeps the previous bytes to put back. The mode is
// changed only where the file is the program's to change; another owner's
// file keeps what its owner chose.
IoResult WriteInPlace(const std::string& target, std::string_view bytes, const Wanted& wanted) {
  const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0666);
  if (fd < 0) return Errno(errno);
  int error = RegularOrError(fd);
  struct stat st {};
  if (!error && ::fstat(fd, &st) == 0) {
    const mode_t mode = Narrowed(wanted.hasMode ? wanted.mode : st.st_mode & 07777, wanted);
    if (mode != (st.st_mode & 07777)) (void)::fchmod(fd, mode);
  }
  if (!error) error = WriteAll(fd, bytes);
  if (!error && ::fsync(fd) != 0) error = errno;
  if (error) {
    ::close(fd);
    return Errno(error);
  }
  if (const int closed = CloseChecked(fd)) return Errno(closed);
  return IoResult::Success();
}

}  // namespace

void NativeFileSystem::Route(std::string pathText, std::filesystem::path native) {
  m_routes.insert_or_assign(std::move(pathText), std::move(native));
}

// Empty, which names no file, for text holding a NUL: the system would take
// that text cut short at the NUL and reach some other file.
std::string NativeFileSystem::Native(const std::string& pathText) const {
  if (pathText.find('\0') != std::string::npos) return {};
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

install::Read<std::string> NativeFileSystem::ReadFile(const std::string& path) {
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
  return content;
}

namespace {

// The new name must survive a power cut too. Some file systems cannot flush a
// directory; the new content is in place either way.
void SyncDirectory(const std::string& directory) {
  if (const int dirFd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
}

// Writes a temporary beside `target` and renames it over it, so a crash leaves
// the old bytes or all of the new. `exists` when it replaces a file.
IoResult ReplaceWhole(const std::string& target, bool exists, std::string_view bytes, const Wanted& wanted) {
  const std::size_t slash = target.rfind('/');
  const std::string directory = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
  const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  RemoveStaleTemporaries(directory, name);

  std::string temp;
  const int fd = CreateTemporary(directory, name, temp);
  if (fd < 0) {
    const int error = errno;
    // A directory we may not add to, around a file we may change: as before, in place.
    if (exists && (error == EACCES || error == EPERM)) return WriteInPlace(target, bytes, wanted);
    return Errno(error);
  }
  auto fail = [&](int error) {
    ::close(fd);
    ::unlink(temp.c_str());
    return Errno(error);
  };
  struct stat made {};
  if (::fstat(fd, &made) != 0) return fail(errno);
  mode_t mode = wanted.hasMode ? wanted.mode : made.st_mode & 07777;
  if (wanted.hasOwner && (wanted.uid != made.st_uid || wanted.gid != made.st_gid) &&
      ::fchown(fd, wanted.uid, wanted.gid) != 0) {
    if (wanted.ownerOfTarget) {
      // A file owned by someone else cannot be given back to them, and taking
      // it over by a rename would lock its owner out of their own file: such a
      // file is written where it stands, as before, keeping owner and mode.
      ::close(fd);
      ::unlink(temp.c_str());
      return WriteInPlace(target, bytes, wanted);
    }
    // The group's permissions were meant for the other file's group, not ours.
    if (wanted.gid != made.st_gid && ::fchown(fd, static_cast<uid_t>(-1), wanted.gid) != 0) mode &= ~mode_t{0070};
  }
  mode = Narrowed(mode, wanted);
  if (mode != (made.st_mode & 07777) && ::fchmod(fd, mode) != 0) return fail(errno);
  if (const int error = WriteAll(fd, bytes)) return fail(error);
  if (::fsync(fd) != 0) return fail(errno);
  if (const int error = CloseChecked(fd)) {
    ::unlink(temp.c_str());
    return Errno(error);
  }
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    const int error = errno;
    ::unlink(temp.c_str());
    return Errno(error);
  }
  SyncDirectory(directory);
  return IoResult::Success();
}

}  // namespace

IoResult NativeFileSystem::WriteFile(const std::string& path, std::string_view bytes) {
  return NativeFileSystem::WriteFileLike(path, bytes, {});
}

IoResult NativeFileSystem::WriteFileLike(const std::string& path, std::string_view bytes,
                                         const install::ModeSource& source) {
  if (IoResult ready = MakeRoutedDirectories(path); !ready) return ready;
  const std::string native = Native(path);
  if (native.empty()) return Errno(ENOENT);
  std::string target;
  if (const int error = FollowLinks(native, target)) return Errno(error);
  struct stat st {};
  const bool exists = ::stat(target.c_str(), &st) == 0;
  if (!exists && errno != ENOENT) return Errno(errno);
  if (exists) {
    if (!S_ISREG(st.st_mode)) return Errno(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    // A rename would replace a file its owner made read-only; writing it in place is refused, and so is this.
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return Errno(errno);
  }
  Wanted wanted;
  struct stat from {};
  const bool like = !source.like.empty() && StatRegular(Native(source.like), from);
  if (like || exists) {
    const struct stat& owner = like ? from : st;
    wanted = {true, !like, owner.st_uid, owner.st_gid, true, static_cast<mode_t>(owner.st_mode & 07777), 0077};
  }
  if (struct stat limit{}; !source.noMoreOpenThan.empty() && StatRegular(Native(source.noMoreOpenThan), limit)) {
    wanted.othersMay = limit.st_mode & 0077;
  }
  // Other names of the same file would keep the old bytes after a rename.
  if (exists && st.st_nlink > 1) return WriteInPlace(target, bytes, wanted);
  return ReplaceWhole(target, exists, bytes, wanted);
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

IoResult NativeFileSystem::CreatePrivateDirectory(const std::string& path) {
  if (::mkdir(Native(path).c_str(), 0700) != 0) return Errno(errno);
  return IoResult::Success();
}

bool NativeFileSystem::IsLink(const std::string& path) {
  struct stat st {};
  return ::lstat(Native(path).c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

namespace {

// Entries of one kind (S_IFREG or S_IFDIR, links followed) in directory order.
std::vector<std::string> ListOfKind(const std::string& native, mode_t kind) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(native.c_str());
  if (!dir) return names;
  const int dirFd = ::dirfd(dir);
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    bool wanted = entry->d_type == (kind == S_IFREG ? DT_REG : DT_DIR);
    if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
      struct stat st {};
      wanted = ::fstatat(dirFd, entry->d_name, &st, 0) == 0 && (st.st_mode & S_IFMT) == kind;
    }
    if (wanted) names.push_back(Utf8ToAnsi(entry->d_name));
  }
  ::closedir(dir);
  return names;
}

}  // namespace

std::vector<std::string> NativeFileSystem::ListFiles(const std::string& directory) {
  return ListOfKind(Native(directory), S_IFREG);
}

std::vector<std::string> NativeFileSystem::ListDirectories(const std::string& directory) {
  return ListOfKind(Native(directory), S_IFDIR);
}

IoResult NativeFileSystem::RemoveDirectory(const std::string& path) {
  if (::rmdir(Native(path).c_str()) != 0) return Errno(errno);
  return IoResult::Success();
}

}  // namespace quorvane::platform

#include "platform/file_system.h"

#include <limits>
#include <random>
#include <string>

#include "platform/win32_api.h"

namespace quorvane::platform {
namespace {

using install::IoResult;

constexpr DWORD kNotOrdinary = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

IoResult Failed(const std::string& what, const std::string& path) {
  return IoResult::Failure(what + " " + path + ": " + LastErrorMessage());
}

// The program's texts are file names, never patterns; a '*' or '?' would let
// the directory search report some other file as this one.
bool HasWildcard(const std::string& path) { return path.find_first_of("*?") != std::string::npos; }

class FileHandle {
 public:
  explicit FileHandle(HANDLE h) : m_handle(h) {}
  ~FileHandle() {
    if (valid()) CloseHandle(m_handle);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool valid() const { return m_handle != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return m_handle; }
  // Closing is where a delayed write may fail, so its result counts.
  bool Close() {
    const bool ok = CloseHandle(m_handle) != 0;
    m_handle = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE m_handle;
};

// Beside the file it replaces, hidden by its leading dot from the game's
// listings, and named so nothing takes it for a game file.
constexpr char kTempMark[] = ".quorvane-tmp-";
constexpr std::size_t kTempSuffix = 6;

HANDLE CreateTemporary(const std::string& directory, const std::string& name, std::string& temp) {
  static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  thread_local std::mt19937 engine(std::random_device{}());
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = directory + "." + name + kTempMark;
    for (std::size_t i = 0; i < kTempSuffix; ++i) temp += kLetters[engine() % (sizeof kLetters - 1)];
    HANDLE h = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return h;
  }
  return INVALID_HANDLE_VALUE;
}

// Temporaries of this file left by a write that was ended half-way; only
// names of our own pattern, and only those of this file.
void RemoveStaleTemporaries(const std::string& directory, const std::string& name) {
  if (HasWildcard(name)) return;
  const std::string prefix = "." + name + kTempMark;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((directory + prefix + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::string entry = found.cFileName;
    // The search also matches short names and longer tails; only the exact pattern counts.
    if (entry.size() == prefix.size() + kTempSuffix &&
        lstrcmpiA(entry.substr(0, prefix.size()).c_str(), prefix.c_str()) == 0) {
      DeleteFileA((directory + entry).c_str());
    }
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

}  // namespace

bool NativeFileSystem::IsPresent(const std::string& path) {
  if (path.empty() || HasWildcard(path)) return false;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return (found.dwFileAttributes & kNotOrdinary) == 0;
}

bool NativeFileSystem::IsDirectory(const std::string& path) {
  if (path.empty()) return false;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

install::Read<std::string> NativeFileSystem::ReadFile(const std::string& path) {
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return Failed("Cannot open", path);
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size)) return Failed("Cannot read", path);
  if (size.QuadPart > static_cast<LONGLONG>(std::numeric_limits<int>::max()))
    return IoResult::Failure("Cannot read " + path + ": the file is too large");
  std::string data(static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t done = 0;
  while (done < data.size()) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(data.size() - done);
    if (!::ReadFile(file.get(), data.data() + done, want, &got, nullptr)) return Failed("Cannot read", path);
    if (got == 0) break;  // shrank while we read: keep what is there
    done += got;
  }
  data.resize(done);
  return data;
}

IoResult NativeFileSystem::WriteFile(const std::string& path, std::string_view bytes) {
  // Windows refuses this by itself; Wine run as root would not, so say it here.
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return Failed("Cannot create", path);
  }
  // Creating over a hidden or system file is refused by Windows too; a directory cannot be replaced.
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & kNotOrdinary) != 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return Failed("Cannot create", path);
  }
  const std::size_t cut = path.find_last_of("\\/");
  const std::string directory = cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
  const std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
  RemoveStaleTemporaries(directory, name);

  std::string temp;
  FileHandle file(CreateTemporary(directory, name, temp));
  if (!file.valid()) return Failed("Cannot create", path);
  auto fail = [&](const char* what) {
    const DWORD error = GetLastError();
    if (file.valid()) file.Close();
    DeleteFileA(temp.c_str());
    SetLastError(error);
    return Failed(what, path);
  };
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD wrote = 0;
    const std::size_t left = bytes.size() - done;
    const DWORD chunk = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
    if (!::WriteFile(file.get(), bytes.data() + done, chunk, &wrote, nullptr)) return fail("Cannot write");
    if (wrote == 0) {
      SetLastError(ERROR_DISK_FULL);
      return fail("Cannot write");
    }
    done += wrote;
  }
  if (!FlushFileBuffers(file.get())) return fail("Cannot write");
  if (!file.Close()) return fail("Cannot write");
  // An existing file is replaced keeping its attributes and security; a new one is the temporary renamed.
  constexpr DWORD kMoveFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
  const bool replaced =
      attributes != INVALID_FILE_ATTRIBUTES
          ? ReplaceFileA(path.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != 0
          : MoveFileExA(temp.c_str(), path.c_str(), kMoveFlags) != 0;
  if (!replaced) {
    const DWORD error = GetLastError();
    DeleteFileA(temp.c_str());
    SetLastError(error);
    return Failed("Cannot write", path);
  }
  return IoResult::Success();
}

// Windows has no modes: the new file inherits its folder's security, as a
// replaced one keeps its own.
IoResult NativeFileSystem::WriteFileLike(const std::string& path, std::string_view bytes,
                                         const install::ModeSource& /*mode*/) {
  return NativeFileSystem::WriteFile(path, bytes);
}

IoResult NativeFileSystem::Rename(const std::string& from, const std::string& to) {
  if (!MoveFileA(from.c_str(), to.c_str())) return Failed("Cannot rename " + from + " to", to);
  return IoResult::Success();
}

IoResult NativeFileSystem::Remove(const std::string& path) {
  if (!DeleteFileA(path.c_str())) return Failed("Cannot delete", path);
  return IoResult::Success();
}

IoResult NativeFileSystem::CreateDirectory(const std::string& path) {
  if (!CreateDirectoryA(path.c_str(), nullptr)) return Failed("Cannot create the directory", path);
  return IoResult::Success();
}

// The folder's inherited security already keeps other users' accounts out of the user's profile.
IoResult NativeFileSystem::CreatePrivateDirectory(const std::string& path) {
  return NativeFileSystem::CreateDirectory(path);
}

// Symbolic links and junctions both carry a reparse point.
bool NativeFileSystem::IsLink(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

namespace {

// Entries of the directory for which `wanted` holds, in the order the system lists them.
template <typename Wanted>
std::vector<std::string> ListWhere(const std::string& directory, Wanted wanted) {
  std::vector<std::string> names;
  std::string pattern = directory;
  if (!pattern.empty() && pattern.back() != '\\' && pattern.back() != '/') pattern += '\\';
  pattern += "*.*";
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (wanted(found)) names.emplace_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

}  // namespace

std::vector<std::string> NativeFileSystem::ListFiles(const std::string& directory) {
  return ListWhere(directory, [](const WIN32_FIND_DATAA& f) { return (f.dwFileAttributes & kNotOrdinary) == 0; });
}

std::vector<std::string> NativeFileSystem::ListDirectories(const std::string& directory) {
  return ListWhere(directory, [](const WIN32_FIND_DATAA& f) {
    const std::string_view name = f.cFileName;
    return (f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && name != "." && name != "..";
  });
}

IoResult NativeFileSystem::RemoveDirectory(const std::string& path) {
  if (!RemoveDirectoryA(path.c_str())) return Failed("Cannot remove the directory", path);
  return IoResult::Success();
}

}  // namespace quorvane::platform

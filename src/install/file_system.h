#pragma once
// The core's only door to files. Paths are the program's own text
// (GameDir + "\Tfc\server.cfg"); the real implementation in platform/
// resolves them, tests use MemoryFileSystem or wrap the real one.
#include <string>
#include <string_view>
#include <vector>

namespace quorvane::install {

// What an operation did, the one result shape of every layer: on failure the
// file it concerns (when one does) and the OS's reason.
struct [[nodiscard]] IoResult {
  bool ok = true;
  std::string file;
  std::string reason;

  static IoResult Success() { return {}; }
  static IoResult Failure(std::string why) { return {false, {}, std::move(why)}; }
  static IoResult Failure(std::string file, std::string why) { return {false, std::move(file), std::move(why)}; }
  explicit operator bool() const { return ok; }
};

// A read's outcome in one object: the value, or the OS's reason it could not be had.
template <typename T>
class [[nodiscard]] Read {
 public:
  Read(T value) : m_value(std::move(value)) {}              // NOLINT(google-explicit-constructor): a value is a success
  Read(IoResult failure) : m_status(std::move(failure)) {}  // NOLINT(google-explicit-constructor)

  bool ok() const { return m_status.ok; }
  explicit operator bool() const { return ok(); }
  const std::string& reason() const { return m_status.reason; }
  const IoResult& status() const { return m_status; }
  const T& value() const& { return m_value; }
  T&& value() && { return std::move(m_value); }

 private:
  T m_value{};
  IoResult m_status;
};

// Who may open a file a write makes, told by other files' modes; a name that
// is empty or names no ordinary file adds nothing. On systems without file
// modes both are without effect.
struct ModeSource {
  // The written file takes this file's mode, and its owner where the program
  // may set it; without one, a replaced file keeps its own.
  std::string like;
  // And grants group and others nothing this file does not grant them.
  std::string noMoreOpenThan;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // True when the path names an ordinary file (read-only and archive count;
  // hidden, system files and directories do not).
  virtual bool IsPresent(const std::string& path) = 0;
  virtual bool IsDirectory(const std::string& path) = 0;

  // Whole-file read, bytes as stored.
  virtual Read<std::string> ReadFile(const std::string& path) = 0;
  // Create or replace with every byte. Fails unless every byte reached the file; the real
  // one replaces the file whole, so even a crash leaves its old bytes or all of the new.
  virtual IoResult WriteFile(const std::string& path, std::string_view bytes) = 0;
  // WriteFile, the new file's mode taken from other files.
  virtual IoResult WriteFileLike(const std::string& path, std::string_view bytes, const ModeSource& mode) = 0;
  virtual IoResult Rename(const std::string& from, const std::string& to) = 0;
  virtual IoResult Remove(const std::string& path) = 0;
  virtual IoResult CreateDirectory(const std::string& path) = 0;
  // A directory only its owner may enter.
  virtual IoResult CreatePrivateDirectory(const std::string& path) = 0;
  // True when the path itself is a symbolic link (or another kind of redirection to elsewhere).
  virtual bool IsLink(const std::string& path) = 0;

  // Names of the ordinary files in a directory, in the order the system lists them.
  virtual std::vector<std::string> ListFiles(const std::string& directory) = 0;
  // Names of the subdirectories, without "." and "..".
  virtual std::vector<std::string> ListDirectories(const std::string& directory) = 0;
  // Removes an empty directory; one that still holds anything is left and reported.
  virtual IoResult RemoveDirectory(const std::string& path) = 0;
};

}  // namespace quorvane::install

#pragma once
// The real file system behind install::FileSystem. Path text is the
// program's own (single-byte code page, backslashes, any letter case) and is
// turned into a native path by ResolvePath before every call.
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "install/file_system.h"

namespace quorvane::platform {

class NativeFileSystem : public install::FileSystem {
 public:
  // A regular file, or a link to one; directories and other kinds are absent.
  bool IsPresent(const std::string& path) override;
  bool IsDirectory(const std::string& path) override;

  install::Read<std::string> ReadFile(const std::string& path) override;
  // Through a flushed temporary beside the file that then replaces it: a
  // crash at any moment leaves the old bytes or all of the new. On Linux a
  // link is followed to the file it ends at and owner and mode are kept; a
  // file whose owner a rename would change, or that has other names, is
  // rewritten where it stands instead.
  install::IoResult WriteFile(const std::string& path, std::string_view bytes) override;
  // POSIX: mode and owner as `mode` tells, a group that cannot be set taking
  // the group's permissions with it; a file rewritten where it stands is
  // given the mode only where it is the program's to change.
  install::IoResult WriteFileLike(const std::string& path, std::string_view bytes,
                                  const install::ModeSource& mode) override;
  // Fails when `to` exists already, as on Windows, rather than replacing it.
  install::IoResult Rename(const std::string& from, const std::string& to) override;
  // Files only; a directory is not removed.
  install::IoResult Remove(const std::string& path) override;
  // Fails when the directory exists already.
  install::IoResult CreateDirectory(const std::string& path) override;
  // POSIX: mode 0700.
  install::IoResult CreatePrivateDirectory(const std::string& path) override;
  bool IsLink(const std::string& path) override;

  // Regular files (and links to them) in directory order, names in the
  // single-byte code page; empty when the directory cannot be read.
  std::vector<std::string> ListFiles(const std::string& directory) override;
  // Directories (and links to them), empty when the directory cannot be read.
  std::vector<std::string> ListDirectories(const std::string& directory) override;
  install::IoResult RemoveDirectory(const std::string& path) override;

  // POSIX: `pathText` names `native` from now on, bypassing ResolvePath, for a
  // file that lies outside the game's Windows-shaped world under a name the
  // code page may not hold (the settings file under /home/Łukasz). The first
  // write makes its missing directories, private to the user.
  void Route(std::string pathText, std::filesystem::path native);

 private:
  std::string Native(const std::string& pathText) const;
  [[nodiscard]] install::IoResult MakeRoutedDirectories(const std::string& pathText) const;

  std::map<std::string, std::filesystem::path, std::less<>> m_routes;
};

}  // namespace quorvane::platform

#include "update/kept_files.h"

#include "update/interrupted_update.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace quorvane::update {

namespace {

using install::FileSystem;

// The directory part of a '/'-separated relative name ("tfc"), or empty.
std::string_view Folder(std::string_view relative) {
  const std::size_t slash = relative.rfind('/');
  return slash == std::string_view::npos ? std::string_view() : relative.substr(0, slash);
}

bool LooksLikeStamp(std::string_view name) {
  constexpr std::string_view kShape = "0000-00-00_00-00-00";
  if (name.size() < kShape.size()) return false;
  for (std::size_t i = 0; i < kShape.size(); ++i) {
    const bool digit = std::isdigit(static_cast<unsigned char>(name[i])) != 0;
    if (kShape[i] == '0' ? !digit : name[i] != kShape[i]) return false;
  }
  return true;
}

// Creates `dir` unless it is there already; `private` for the backups, which hold passwords.
install::IoResult EnsureDirectory(FileSystem& fs, const std::string& dir, bool privateToUser = false) {
  if (fs.IsDirectory(dir)) return install::IoResult::Success();
  return privateToUser ? fs.CreatePrivateDirectory(dir) : fs.CreateDirectory(dir);
}

}  // namespace

std::string JoinPath(std::string_view dir, std::string_view relative) {
  const bool slashes = dir.find('/') != std::string_view::npos && dir.find('\\') == std::string_view::npos;
  const char separator = slashes ? '/' : '\\';
  std::string path(dir);
  if (path.empty() || (path.back() != '/' && path.back() != '\\')) path.push_back(separator);
  for (const char c : relative) path.push_back(c == '/' ? separator : c);
  return path;
}

std::string BackupStamp(int year, int month, int day, int hour, int minute, int second) {
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d_%02d-%02d-%02d", year, month, day, hour, minute, second);
  return text;
}

KeepResult KeepUserFiles(FileSystem& fs, std::string_view installDir, std::string_view stamp) {
  KeepResult result;
  for (const std::string_view relative : kKeptFiles) {
    const std::string path = JoinPath(installDir, relative);
    if (!fs.IsPresent(path)) continue;
    KeptFile file{std::string(relative), {}};
    install::Read<std::string> read = fs.ReadFile(path);
    if (!read) return {false, "Cannot read " + path + " to keep a copy: " + read.reason(), {}};
    file.bytes = std::move(read).value();
    result.kept.files.push_back(std::move(file));
  }
  if (result.kept.files.empty()) return result;

  const std::string root = JoinPath(installDir, kBackupFolder);
  if (const install::IoResult made = EnsureDirectory(fs, root, true); !made) {
    return {false, "Cannot create the backup folder " + root + ": " + made.reason, {}};
  }
  // Two runs within one second get folders of their own.
  std::string dir = JoinPath(root, stamp);
  for (int n = 2; fs.IsDirectory(dir) || fs.IsPresent(dir); ++n) {
    dir = JoinPath(root, std::string(stamp) + "-" + std::to_string(n));
  }
  if (const install::IoResult made = fs.CreatePrivateDirectory(dir); !made) {
    return {false, "Cannot create the backup folder " + dir + ": " + made.reason, {}};
  }
  for (const KeptFile& file : result.kept.files) {
    const std::string folder = JoinPath(dir, Folder(file.relative));
    const std::string copy = JoinPath(dir, file.relative);
    install::IoResult done = EnsureDirectory(fs, folder, true);
    // Never more open than the original: server.cfg holds the passwords.
    if (done) done = fs.WriteFileLike(copy, file.bytes, {JoinPath(installDir, file.relative), {}});
    if (!done) {
      return {false,
              "Cannot keep a copy of " + JoinPath(installDir, file.relative) + " in " + copy + ": " + done.reason,
              {}};
    }
  }
  result.kept.backupDir = dir;
  return result;
}

RestoreResult RestoreUserFiles(FileSystem& fs, std::string_view installDir, const KeptFiles& kept) {
  RestoreResult result;
  for (const KeptFile& file : kept.files) {
    const std::string path = JoinPath(installDir, file.relative);
    if (fs.IsPresent(path)) {
      const install::Read<std::string> now = fs.ReadFile(path);
      if (now && now.value() == file.bytes) continue;
    }
    install::IoResult done = EnsureDirectory(fs, JoinPath(installDir, Folder(file.relative)));
    // The copy carries the user's mode; the file SteamCMD left carries its own.
    if (done) done = fs.WriteFileLike(path, file.bytes, {JoinPath(kept.backupDir, file.relative), {}});
    if (done) {
      result.restored.push_back(file.relative);
    } else {
      result.failures.push_back("Cannot put back " + path + ": " + done.reason + ". Your copy is in " +
                                JoinPath(kept.backupDir, file.relative) + ".");
    }
  }
  return result;
}

std::string RestoreResult::Message() const {
  std::string text;
  if (!restored.empty()) {
    text = "Put back your own ";
    for (std::size_t i = 0; i < restored.size(); ++i) text += (i == 0 ? "" : ", ") + restored[i];
    text += " (SteamCMD had replaced " + std::string(restored.size() == 1 ? "it" : "them") + ").";
  }
  for (const std::string& failure : failures) text += (text.empty() ? "" : "\n") + failure;
  return text;
}

std::vector<std::string> PruneBackups(FileSystem& fs, std::string_view installDir, int keep) {
  std::vector<std::string> problems;
  const std::string root = JoinPath(installDir, kBackupFolder);
  // A link leads out of the install folder: what lies behind it is not ours to remove.
  const auto leftAlone = [&](const std::string& link) {
    problems.push_back("The old backup " + link + " is a link to another place; it was left alone.");
  };
  if (fs.IsLink(root)) {
    leftAlone(root);
    return problems;
  }
  std::vector<std::string> folders = fs.ListDirectories(root);
  std::erase_if(folders, [&](const std::string& name) {
    if (!LooksLikeStamp(name)) return true;
    if (!fs.IsLink(JoinPath(root, name))) return false;
    leftAlone(JoinPath(root, name));
    return true;
  });
  // An unfinished update's copies wait there to be put back.
  std::erase_if(folders,
                [&](const std::string& name) { return fs.IsPresent(JoinPath(JoinPath(root, name), kUpdateMarker)); });
  if (static_cast<int>(folders.size()) <= keep) return problems;
  std::sort(folders.begin(), folders.end());
  folders.resize(folders.size() - static_cast<std::size_t>(std::max(keep, 0)));
  for (const std::string& name : folders) {
    const std::string dir = JoinPath(root, name);
    for (const std::string_view relative : kKeptFiles) {
      const std::string copy = JoinPath(dir, relative);
      if (fs.IsLink(JoinPath(dir, Folder(relative)))) continue;  // the folder's own removal below reports it
      if (!fs.IsPresent(copy)) continue;
      if (const install::IoResult removed = fs.Remove(copy); !removed) {
        problems.push_back("Cannot remove the old backup " + copy + ": " + removed.reason);
      }
    }
    // Subfolders first. One still holding something else stays, and the
    // folder's own removal below then reports why.
    for (const std::string_view sub : {"tfc", "valve"}) {
      const std::string folder = JoinPath(dir, sub);
      if (fs.IsDirectory(folder) && !fs.IsLink(folder)) (void)fs.RemoveDirectory(folder);
    }
    if (const install::IoResult removed = fs.RemoveDirectory(dir); !removed) {
      problems.push_back("Cannot remove the old backup folder " + dir + ": " + removed.reason);
    }
  }
  return problems;
}

}  // namespace quorvane::update

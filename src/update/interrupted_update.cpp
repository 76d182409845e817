#include "update/interrupted_update.h"

#include <algorithm>
#include <charconv>

namespace quorvane::update {

namespace {

bool IsKeptFile(std::string_view relative) {
  return std::find(std::begin(kKeptFiles), std::end(kKeptFiles), relative) != std::end(kKeptFiles);
}

long long Number(std::string_view text) {
  long long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && value > 0 ? value : 0;
}

std::string List(const std::vector<std::string>& names) {
  std::string text;
  for (std::size_t i = 0; i < names.size(); ++i) text += (i == 0 ? "" : ", ") + names[i];
  return text;
}

}  // namespace

std::string MarkerText(const UpdateMarker& marker) {
  std::string text(kUpdateMarkerVersion);
  text += "\nstarted " + marker.started + "\nowner " + std::to_string(marker.owner) + "\ngroup " +
          std::to_string(marker.group) + "\nprogram " + marker.program + "\n";
  for (const std::string& kept : marker.kept) text += "kept " + kept + "\n";
  return text;
}

std::optional<UpdateMarker> ParseMarker(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (line.ends_with('\r')) line.remove_suffix(1);
    lines.push_back(line);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  }
  if (lines.empty() || lines.front() != kUpdateMarkerVersion) return std::nullopt;
  UpdateMarker marker;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::string_view line = lines[i];
    const std::size_t blank = line.find(' ');
    if (blank == std::string_view::npos) continue;
    const std::string_view key = line.substr(0, blank);
    const std::string_view value = line.substr(blank + 1);
    if (key == "started") marker.started = value;
    if (key == "owner") marker.owner = Number(value);
    if (key == "group") marker.group = Number(value);
    if (key == "program") marker.program = value;
    if (key == "kept" && IsKeptFile(value) &&
        std::find(marker.kept.begin(), marker.kept.end(), value) == marker.kept.end())
      marker.kept.emplace_back(value);
  }
  return marker;
}

std::string StampTime(std::string_view stamp) {
  constexpr std::string_view kShape = "0000-00-00_00-00-00";
  if (stamp.size() < kShape.size()) return std::string(stamp);
  std::string time(stamp.substr(0, kShape.size()));
  for (std::size_t i = 0; i < kShape.size(); ++i) {
    const bool digit = time[i] >= '0' && time[i] <= '9';
    if (kShape[i] == '0' ? !digit : time[i] != kShape[i]) return std::string(stamp);
  }
  time[10] = ' ';
  time[13] = ':';
  time[16] = ':';
  return time;
}

install::IoResult WriteMarker(install::FileSystem& fs, std::string_view backupDir, const UpdateMarker& marker) {
  return fs.WriteFile(JoinPath(backupDir, kUpdateMarker), MarkerText(marker));
}

install::IoResult RemoveMarker(install::FileSystem& fs, std::string_view backupDir) {
  const std::string path = JoinPath(backupDir, kUpdateMarker);
  if (!fs.IsPresent(path)) return install::IoResult::Success();
  return fs.Remove(path);
}

std::vector<InterruptedUpdate> FindInterruptedUpdates(install::FileSystem& fs, std::string_view installDir) {
  std::vector<InterruptedUpdate> found;
  const std::string root = JoinPath(installDir, kBackupFolder);
  if (!fs.IsDirectory(root)) return found;
  std::vector<std::string> folders = fs.ListDirectories(root);
  std::sort(folders.begin(), folders.end());
  for (const std::string& name : folders) {
    const std::string dir = JoinPath(root, name);
    const std::string path = JoinPath(dir, kUpdateMarker);
    if (!fs.IsPresent(path)) continue;
    const install::Read<std::string> text = fs.ReadFile(path);
    if (!text) continue;
    if (std::optional<UpdateMarker> marker = ParseMarker(text.value())) found.push_back({dir, std::move(*marker)});
  }
  return found;
}

std::string InterruptedQuestion(const InterruptedUpdate& update) {
  return "An update of the server was interrupted on " + update.marker.started + ". Your own files are kept in " +
         update.backupDir + ". Put them back now?";
}

Recovery RecoverInterruptedUpdate(install::FileSystem& fs, std::string_view installDir,
                                  const InterruptedUpdate& update) {
  Recovery recovery;
  KeptFiles kept{update.backupDir, {}};
  for (const std::string& relative : update.marker.kept) {
    const std::string copy = JoinPath(update.backupDir, relative);
    install::Read<std::string> bytes = fs.ReadFile(copy);
    if (!bytes) {
      recovery.message = "Cannot read your copy " + copy + ": " + bytes.reason() + ". Nothing was put back.";
      return recovery;
    }
    kept.files.push_back({relative, std::move(bytes).value()});
  }
  const RestoreResult restored = RestoreUserFiles(fs, installDir, kept);
  recovery.restored = restored.restored;
  recovery.ok = restored.ok();
  if (!restored.ok()) {
    recovery.message = restored.Message();
    return recovery;
  }
  recovery.message = restored.restored.empty()
                         ? "Your own " + List(update.marker.kept) + " " +
                               (update.marker.kept.size() == 1 ? "was" : "were") + " still in place."
                         : "Put back your own " + List(restored.restored) + ".";
  if (const install::IoResult removed = RemoveMarker(fs, update.backupDir); !removed) {
    recovery.message += "\nCannot remove " + JoinPath(update.backupDir, kUpdateMarker) + ": " + removed.reason +
                        "; you will be asked again.";
  }
  return recovery;
}

}  // namespace quorvane::update

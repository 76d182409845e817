#include "people/ban_store.h"

#include <set>

#include "install/game_paths.h"
#include "people/ban_files.h"

namespace quorvane::people {

BanImport ImportServerBanFiles(BanStore& store, install::FileSystem& fs, const std::string& gameDir, WallTime now) {
  BanImport out;
  if (!store.Writable()) return out;
  const StoreAnswer<std::string> done = store.BanFilesImported();
  if (!done) return {false, 0, {done.message}};
  if (!done->empty() || gameDir.empty()) return out;
  std::vector<Ban> bans;
  for (const std::string_view name : {kBannedCfg, kListIpCfg}) {
    const std::string path = install::GamePath(gameDir, name);
    if (!fs.IsPresent(path)) continue;
    const install::Read<std::string> bytes = fs.ReadFile(path);
    if (!bytes) return {false, 0, {"The bans in " + path + " were not imported: " + bytes.reason()}};
    BanFileRead read = ReadBanFile(bytes.value(), now);
    for (Ban& ban : read.bans) {
      ban.source = BanSource::FoundInFile;
      bans.push_back(std::move(ban));
    }
    if (!read.skippedLines.empty())
      out.notes.push_back(std::to_string(read.skippedLines.size()) + " line(s) of " + path +
                          " held no ban this program keeps (from line " + std::to_string(read.skippedLines.front()) +
                          ") and were left out.");
  }
  // The folder itself marks the import done, so the path says which server it came from.
  if (const StoreOutcome kept = store.ImportBans(bans, gameDir); !kept) return {false, 0, {kept.message}};
  out.added = static_cast<int>(bans.size());
  return out;
}

std::vector<Ban> NewlyFound(const std::vector<StoredBan>& kept, const std::vector<ListedBan>& listed, WallTime now) {
  std::set<std::string> known;
  for (const StoredBan& s : kept) known.insert(s.ban.target.Base());
  std::vector<Ban> found;
  for (const ListedBan& l : listed)
    if (known.insert(l.target.Base()).second) found.push_back(FoundBan(l.target, l.minutes.value_or(0), now));
  return found;
}

std::vector<Ban> BansOf(const std::vector<StoredBan>& kept) {
  std::vector<Ban> bans;
  bans.reserve(kept.size());
  for (const StoredBan& s : kept) bans.push_back(s.ban);
  return bans;
}

}  // namespace quorvane::people

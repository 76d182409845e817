#pragma once
// The bans kept beside the player history, and the work on them that needs
// no database: the one import of the server's own files, and the bans its
// lists show that the store does not know yet.
#include <string>
#include <string_view>
#include <vector>

#include "install/file_system.h"
#include "people/ban_console.h"
#include "people/bans.h"
#include "people/player_store.h"

namespace quorvane::people {

struct StoredBan {
  long long id = 0;
  Ban ban;
  bool operator==(const StoredBan&) const = default;
};

class BanStore {
 public:
  virtual ~BanStore() = default;
  // Every ban kept, lifted and expired ones too, the latest made first.
  [[nodiscard]] virtual StoreAnswer<std::vector<StoredBan>> Bans() = 0;
  // Adds the bans, all or nothing; their ids, in order.
  [[nodiscard]] virtual StoreAnswer<std::vector<long long>> AddBans(const std::vector<Ban>& bans) = 0;
  // Replaces what ban `id` holds.
  [[nodiscard]] virtual StoreOutcome UpdateBan(long long id, const Ban& ban) = 0;
  // The server folder whose ban files were imported; empty before the first import.
  [[nodiscard]] virtual StoreAnswer<std::string> BanFilesImported() = 0;
  // Adds `bans` and marks the files of `folder` imported, all or nothing.
  [[nodiscard]] virtual StoreOutcome ImportBans(const std::vector<Ban>& bans, std::string_view folder) = 0;
  // False when another copy of the program writes the store and this one only reads it.
  virtual bool Writable() const = 0;
};

// The server's files, as GameDir followed by their fixed text.
inline constexpr std::string_view kBannedCfg = "\\Tfc\\banned.cfg";
inline constexpr std::string_view kListIpCfg = "\\Tfc\\listip.cfg";

struct BanImport {
  bool ok = true;
  int added = 0;
  std::vector<std::string> notes;  // a file's lines that were no ban; or why nothing was imported
};

// The first use of the store: every ban in `gameDir`'s banned.cfg and
// listip.cfg, marked as found in them, kept once for good. A missing file
// holds no bans; a file that cannot be read stops the import, which is tried
// again at the next use. Nothing happens once done, without a folder, or when the store only reads.
[[nodiscard]] BanImport ImportServerBanFiles(BanStore& store, install::FileSystem& fs, const std::string& gameDir,
                                             WallTime now);

// The bans the server lists for targets `kept` holds nothing about, as found
// on the server at `now`; a target the store knows is the restore plan's.
std::vector<Ban> NewlyFound(const std::vector<StoredBan>& kept, const std::vector<ListedBan>& listed, WallTime now);

// The stored bans as values, for the restore plan.
std::vector<Ban> BansOf(const std::vector<StoredBan>& kept);

}  // namespace quorvane::people

#pragma once
// What the player history keeps and how it is looked up. The database behind
// it lives in store/; this is all the rest of the program sees of it.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "people/session.h"

namespace quorvane::people {

// A failure carries a plain message naming the file and the reason.
struct StoreOutcome {
  bool ok = true;
  std::string message;
  explicit operator bool() const { return ok; }
  static StoreOutcome Fail(std::string why) { return {false, std::move(why)}; }
};

// One row a player.
struct PlayerRow {
  std::string key;  // what Details and Forget take
  std::string steamId;
  PlayerKind kind = PlayerKind::Person;
  std::string lastName;
  std::vector<std::string> otherNames;
  Stamp firstSeen = 0, lastSeen = 0;
  long long totalSeconds = 0;
  long long sessions = 0;
  std::string lastAddress;
  bool operator==(const PlayerRow&) const = default;
};

struct PlayerDetails {
  PlayerRow row;
  std::vector<Session> sessions;  // the latest first
};

template <typename T>
struct StoreAnswer {
  std::optional<T> value;
  std::string message;  // why there is no value
  explicit operator bool() const { return value.has_value(); }
  const T& operator*() const { return *value; }
  const T* operator->() const { return &*value; }
};

class PlayerStore {
 public:
  virtual ~PlayerStore() = default;
  // Adds or brings up to date every session of the batch, all or nothing.
  [[nodiscard]] virtual StoreOutcome Record(const std::vector<Session>& batch) = 0;
  // The players whose name, SteamID or address holds `text` (any case), the
  // latest seen first; every player when `text` is empty.
  [[nodiscard]] virtual StoreAnswer<std::vector<PlayerRow>> Search(std::string_view text, std::size_t limit) = 0;
  [[nodiscard]] virtual StoreAnswer<PlayerDetails> Details(std::string_view key) = 0;
  // Deletes every row about the player.
  [[nodiscard]] virtual StoreOutcome Forget(std::string_view key) = 0;
  // Whether addresses are written; turning it off also wipes the ones kept.
  [[nodiscard]] virtual StoreOutcome SetKeepAddresses(bool keep) = 0;
  virtual bool KeepAddresses() const = 0;
  // False when another copy of the program writes the history and this one only reads it.
  virtual bool Writable() const = 0;
};

}  // namespace quorvane::people

#pragma once
// One connection of one player to one server, as the history keeps it.
#include <optional>
#include <string>
#include <vector>

namespace quorvane::people {

// Seconds since 1970-01-01 in the server's own local time: the log carries no zone.
using Stamp = long long;

enum class PlayerKind { Person, Bot, Tv };

struct Session {
  // Whom the session belongs to: the SteamID, or the address for the shared
  // placeholders (STEAM_ID_LAN, STEAM_ID_PENDING), or "BOT name" for bots.
  std::string key;
  std::string steamId;  // as the server wrote it
  int userId = 0;       // the server's number for this connection
  PlayerKind kind = PlayerKind::Person;
  std::vector<std::string> names;  // every name used, the last one last
  std::string address;             // the player's IP address, without the port
  Stamp joined = 0;
  Stamp lastSeen = 0;             // the latest line that showed the player on
  std::optional<Stamp> left;      // none while still on
  std::vector<std::string> maps;  // in the order played
  std::string serverFolder;
  int serverPort = 0;
  bool operator==(const Session&) const = default;
};

}  // namespace quorvane::people

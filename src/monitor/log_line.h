#pragma once
// Log lines the server sends over UDP to every address added with
// `logaddress_add`, read into their time and a typed event.
#include <string>
#include <string_view>

#include "monitor/byte_reader.h"
#include "monitor/result.h"

namespace quorvane::monitor {

struct LogLine {
  int month = 0, day = 0, year = 0, hour = 0, minute = 0, second = 0;
  std::string message;  // without the time and the line end
};

// `FF FF FF FF "log L 01/31/2024 - 21:05:09: " message 0A 00`. With a secret
// (sv_logsecret) only `FF FF FF FF 'S' secret "L ..."` packets are trusted.
Result<LogLine> ParseLogPacket(Bytes datagram, std::string_view secret = {});
// One line as written to the log files: `L 01/31/2024 - 21:05:09: message`.
Result<LogLine> ParseLogText(std::string_view text);

// `"Name<12><STEAM_0:1:234><Blue>"`
struct LogPlayer {
  std::string name;
  int userId = -1;
  std::string steamId, team;
  bool operator==(const LogPlayer&) const = default;
};

enum class LogEventKind {
  Other,
  Kill,
  Connect,
  Enter,
  Disconnect,
  JoinTeam,
  Role,
  Suicide,
  Say,
  SayTeam,
  Triggered,
  WorldTriggered,
  TeamScore,
  MapLoading,
  MapStarted,
  Cvar,
  LogClosed,
  Rcon
};

struct LogEvent {
  LogEventKind kind = LogEventKind::Other;
  LogPlayer who, whom;  // the actor; the victim of a kill
  // Kill/Suicide: weapon · Connect: address · JoinTeam: team · Role: role · Say: text ·
  // Triggered: action · TeamScore: team · Map*: map · Cvar: name.
  std::string what;
  // MapStarted: CRC · Cvar: value · TeamScore: score.
  std::string detail;
  int count = 0;  // TeamScore: players
};

LogEvent ClassifyLogMessage(std::string_view message);

// The password in `Rcon:` and `Bad Rcon:` lines replaced by asterisks;
// every other message comes back as it was.
std::string MaskPasswords(std::string_view message);

}  // namespace quorvane::monitor

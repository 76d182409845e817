#pragma once
// Turns the server's live log and its `status` answers into sessions: who
// came, under which names, from where, on which maps, and when they left.
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "people/session.h"

namespace quorvane::people {

// "1/31/2024 - 21:05:09" as a stamp; the calendar is the proleptic Gregorian one.
Stamp MakeStamp(int year, int month, int day, int hour, int minute, int second);

// `"Name<12><STEAM_0:1:234><Blue>"`, read from the right, since the name may
// hold quotes, `<` and `>`.
struct LogPlayer {
  std::string name;
  int userId = 0;
  std::string steamId, team;
  bool operator==(const LogPlayer&) const = default;
};
bool ParsePlayer(std::string_view quoted, LogPlayer& out);

// One player line of a `status` answer:
// `#  1 "Name" 12 STEAM_0:1:2345  5 10:12 48 0 1.2.3.4:27005`.
struct StatusEntry {
  std::string name;
  int userId = 0;
  std::string steamId;
  long long secondsOn = 0;
  std::string address;  // without the port; empty for bots
  bool operator==(const StatusEntry&) const = default;
};
// The player lines of an answer; `complete` when it also held the "players :"
// line, so that anyone missing from it has gone.
std::vector<StatusEntry> ParseStatusPlayers(std::string_view answer, bool& complete);

class SessionBuilder {
 public:
  SessionBuilder(std::string serverFolder, int serverPort);

  // One log message (without its time) heard at `when`.
  void AddLogMessage(Stamp when, std::string_view message);
  // A `status` answer received at `when`.
  void AddStatus(Stamp when, std::string_view answer);

  // The sessions begun, changed or ended since the last call, each as it now stands.
  std::vector<Session> TakeChanged();
  std::size_t OpenCount() const { return m_open.size(); }

 private:
  struct Open {
    Session session;
    bool changed = true;
  };
  Open& Begin(Stamp when, const LogPlayer& who, std::string_view address);
  Open* Find(const LogPlayer& who);
  void Seen(Open& open, Stamp when, const LogPlayer& who);
  void End(int userId, Stamp when);
  void MapChanged(Stamp when, std::string_view map);

  std::string m_folder;
  int m_port;
  std::string m_map;
  std::map<int, Open> m_open;  // by the server's user id, unique while connected
  std::vector<Session> m_ended;
};

}  // namespace quorvane::people

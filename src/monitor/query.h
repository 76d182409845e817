#pragma once
// The server query: request bytes, reply parsers, the joining of split
// replies, and the challenge handshake shared by every kind of request.
#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "monitor/byte_reader.h"
#include "monitor/result.h"

namespace quorvane::monitor {

using Packet = std::vector<std::uint8_t>;

// The most payload one datagram carries; anything longer is not a reply.
constexpr std::size_t kMaxDatagram = 1400;
// A split reply has at most 15 parts.
constexpr std::size_t kMaxSplitParts = 15;

enum class QueryKind { Info, Players, Rules };
const char* QueryKindName(QueryKind kind);

enum class InfoLayout { Current, Old };  // the 'I' and the 'm' reply

struct ServerInfo {
  InfoLayout layout = InfoLayout::Current;
  std::string address;  // only in the old layout
  int protocol = 0;
  std::string name, map, folder, game;
  int appId = 0;
  int players = 0, maxPlayers = 0, bots = 0;
  char serverType = 0, environment = 0;
  bool password = false, vac = false;
  std::string version;  // only in the current layout
  std::optional<int> gamePort;
  std::optional<std::uint64_t> steamId, gameId;
  std::string keywords;
  bool isMod = false;
  std::string modLink;
};

struct Player {
  int index = 0;
  std::string name;
  std::int32_t score = 0;
  float seconds = 0;
};

struct Rule {
  std::string name, value;
  bool operator==(const Rule&) const = default;
};

// FF FF FF FF, the text and its NUL.
Packet OutOfBand(std::string_view text);

Packet InfoRequest(std::optional<std::uint32_t> challenge);
// Players and rules ask with FF FF FF FF while no challenge is known.
Packet PlayersRequest(std::optional<std::uint32_t> challenge);
Packet RulesRequest(std::optional<std::uint32_t> challenge);

// Each takes a whole reply, FF FF FF FF and type byte included.
Result<std::uint32_t> ParseChallenge(Bytes reply);
Result<ServerInfo> ParseInfo(Bytes reply);
Result<std::vector<Player>> ParsePlayers(Bytes reply);
Result<std::vector<Rule>> ParseRules(Bytes reply);

// Joins the parts of split replies (FE FF FF FF · id · index<<4|total · payload).
// Holds at most kMaxPending replies at a time, the oldest dropped first, so a
// flood of parts cannot make it hold more than a few dozen kilobytes.
class SplitJoiner {
 public:
  static constexpr std::size_t kMaxPending = 4;
  struct [[nodiscard]] Step {
    enum class State { Waiting, Complete, Refused } state = State::Waiting;
    Packet reply;       // when Complete
    std::string error;  // when Refused
  };
  Step Feed(Bytes datagram);
  std::size_t Pending() const { return m_pending.size(); }

 private:
  struct Group {
    std::int32_t id = 0;
    int total = 0;
    std::array<std::optional<Packet>, kMaxSplitParts> parts;
  };
  std::deque<Group> m_pending;
};

// What one datagram meant to the query.
struct [[nodiscard]] QueryReply {
  enum class Type { Nothing, Info, Players, Rules, Send, Malformed } type = Type::Nothing;
  ServerInfo info;
  std::vector<Player> players;
  std::vector<Rule> rules;
  std::vector<Packet> send;  // requests to send again, now with the challenge
  std::string error;
  std::optional<QueryKind> request;  // the request a Malformed reply answered, when that is known
};

// One server's query handshake: at most one request in flight per kind, one
// challenge for every kind, a challenge reply answered by sending again.
class QueryClient {
 public:
  // The request to send, or nothing while the same kind is still in flight.
  [[nodiscard]] std::optional<Packet> Begin(QueryKind kind);
  bool InFlight(QueryKind kind) const { return Slot(kind).active; }
  void Abandon(QueryKind kind) { Slot(kind) = {}; }
  QueryReply Feed(Bytes datagram);
  std::optional<std::uint32_t> Challenge() const { return m_challenge; }

 private:
  struct Flight {
    bool active = false;
    int challenges = 0;
  };
  Flight& Slot(QueryKind kind) { return m_flights[static_cast<int>(kind)]; }
  const Flight& Slot(QueryKind kind) const { return m_flights[static_cast<int>(kind)]; }
  QueryReply Whole(Bytes reply);

  std::array<Flight, 3> m_flights;
  std::optional<std::uint32_t> m_challenge;
  SplitJoiner m_splits;
};

}  // namespace quorvane::monitor

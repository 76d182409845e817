#include "monitor/query.h"

#include <algorithm>

namespace quorvane::monitor {
namespace {

constexpr std::uint8_t kChallenge = 0x41, kInfo = 0x49, kOldInfo = 0x6D, kPlayers = 0x44, kRules = 0x45;

Packet Header() { return {0xFF, 0xFF, 0xFF, 0xFF}; }

QueryReply Malformed(std::string why, std::optional<QueryKind> request = std::nullopt) {
  QueryReply r;
  r.type = QueryReply::Type::Malformed;
  r.error = std::move(why);
  r.request = request;
  return r;
}

void PutU32(Packet& p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

Packet ChallengedRequest(std::uint8_t type, std::optional<std::uint32_t> challenge) {
  Packet p = Header();
  p.push_back(type);
  PutU32(p, challenge.value_or(0xFFFFFFFFu));
  return p;
}

// Checks FF FF FF FF and the type byte, leaving the reader after them.
bool ReadHead(ByteReader& r, std::uint8_t type) { return r.I32() == -1 && r.U8() == type && r.Ok(); }

std::string Describe(Bytes reply, const char* what) {
  if (reply.size() > kMaxSplitParts * kMaxDatagram) return std::string(what) + " reply is too long";
  return std::string(what) + " reply is cut short or malformed";
}

Result<ServerInfo> ParseCurrentInfo(ByteReader& r, Bytes reply) {
  ServerInfo s;
  s.layout = InfoLayout::Current;
  s.protocol = r.U8();
  s.name = r.Str();
  s.map = r.Str();
  s.folder = r.Str();
  s.game = r.Str();
  s.appId = r.U16();
  s.players = r.U8();
  s.maxPlayers = r.U8();
  s.bots = r.U8();
  s.serverType = static_cast<char>(r.U8());
  s.environment = static_cast<char>(r.U8());
  s.password = r.U8() != 0;
  s.vac = r.U8() != 0;
  s.version = r.Str();
  if (r.Ok() && !r.AtEnd()) {
    const std::uint8_t flags = r.U8();
    if (flags & 0x80) s.gamePort = r.U16();
    if (flags & 0x10) s.steamId = r.U64();
    if (flags & 0x40) {
      r.U16();
      r.Str();
    }
    if (flags & 0x20) s.keywords = r.Str();
    if (flags & 0x01) s.gameId = r.U64();
  }
  if (!r.Ok() || !r.AtEnd()) return Result<ServerInfo>::Fail(Describe(reply, "The info"));
  return s;
}

Result<ServerInfo> ParseOldInfo(ByteReader& r, Bytes reply) {
  ServerInfo s;
  s.layout = InfoLayout::Old;
  s.address = r.Str();
  s.name = r.Str();
  s.map = r.Str();
  s.folder = r.Str();
  s.game = r.Str();
  s.players = r.U8();
  s.maxPlayers = r.U8();
  s.protocol = r.U8();
  s.serverType = static_cast<char>(r.U8());
  s.environment = static_cast<char>(r.U8());
  s.password = r.U8() != 0;
  s.isMod = r.U8() == 1;
  if (s.isMod) {
    s.modLink = r.Str();
    r.Str();  // download link
    r.U8();
    r.U32();  // mod version
    r.U32();  // mod size
    r.U8();   // server only
    r.U8();   // own client dll
  }
  s.vac = r.U8() != 0;
  s.bots = r.U8();
  if (!r.Ok() || !r.AtEnd()) return Result<ServerInfo>::Fail(Describe(reply, "The info"));
  return s;
}

}  // namespace

const char* QueryKindName(QueryKind kind) {
  switch (kind) {
    case QueryKind::Info:
      return "info";
    case QueryKind::Players:
      return "players";
    case QueryKind::Rules:
      return "rules";
  }
  return "?";
}

Packet OutOfBand(std::string_view text) {
  Packet p(4 + text.size() + 1, 0xFF);
  std::copy(text.begin(), text.end(), p.begin() + 4);
  p.back() = 0;
  return p;
}

Packet InfoRequest(std::optional<std::uint32_t> challenge) {
  Packet p = OutOfBand("TSource Engine Query");
  if (challenge) PutU32(p, *challenge);
  return p;
}

Packet PlayersRequest(std::optional<std::uint32_t> challenge) { return ChallengedRequest(0x55, challenge); }
Packet RulesRequest(std::optional<std::uint32_t> challenge) { return ChallengedRequest(0x56, challenge); }

Result<std::uint32_t> ParseChallenge(Bytes reply) {
  ByteReader r(reply);
  const bool head = ReadHead(r, kChallenge);
  const std::uint32_t value = r.U32();
  if (!head || !r.Ok() || !r.AtEnd()) return Result<std::uint32_t>::Fail("The challenge reply is malformed");
  return value;
}

Result<ServerInfo> ParseInfo(Bytes reply) {
  ByteReader r(reply);
  if (r.I32() != -1 || !r.Ok()) return Result<ServerInfo>::Fail(Describe(reply, "The info"));
  const std::uint8_t type = r.U8();
  if (type == kInfo && r.Ok()) return ParseCurrentInfo(r, reply);
  if (type == kOldInfo && r.Ok()) return ParseOldInfo(r, reply);
  return Result<ServerInfo>::Fail(Describe(reply, "The info"));
}

Result<std::vector<Player>> ParsePlayers(Bytes reply) {
  ByteReader r(reply);
  const bool head = ReadHead(r, kPlayers);
  const int count = r.U8();
  std::vector<Player> players;
  // A count larger than the datagram holds stops at the first read past its end.
  for (int i = 0; head && r.Ok() && i < count; ++i) {
    Player p;
    p.index = r.U8();
    p.name = r.Str();
    p.score = r.I32();
    p.seconds = r.F32();
    if (r.Ok()) players.push_back(std::move(p));
  }
  if (!head || !r.Ok() || !r.AtEnd()) return Result<std::vector<Player>>::Fail(Describe(reply, "The players"));
  return players;
}

Result<std::vector<Rule>> ParseRules(Bytes reply) {
  ByteReader r(reply);
  const bool head = ReadHead(r, kRules);
  const int count = r.U16();
  std::vector<Rule> rules;
  for (int i = 0; head && r.Ok() && i < count; ++i) {
    Rule rule;
    rule.name = r.Str();
    rule.value = r.Str();
    if (r.Ok()) rules.push_back(std::move(rule));
  }
  if (!head || !r.Ok() || !r.AtEnd()) return Result<std::vector<Rule>>::Fail(Describe(reply, "The rules"));
  return rules;
}

SplitJoiner::Step SplitJoiner::Feed(Bytes datagram) {
  Step step;
  ByteReader r(datagram);
  const bool head = r.I32() == -2;
  const std::int32_t id = r.I32();
  const std::uint8_t numbers = r.U8();
  const int index = numbers >> 4, total = numbers & 0x0F;
  if (!head || !r.Ok() || r.Left() == 0 || datagram.size() > kMaxDatagram || total == 0 || index >= total) {
    step.state = Step::State::Refused;
    step.error = "A part of a split reply is malformed";
    return step;
  }
  auto group = std::find_if(m_pending.begin(), m_pending.end(), [id](const Group& g) { return g.id == id; });
  if (group == m_pending.end()) {
    if (m_pending.size() == kMaxPending) m_pending.pop_front();
    m_pending.push_back(Group{id, total, {}});
    group = std::prev(m_pending.end());
  } else if (group->total != total) {
    m_pending.erase(group);
    step.state = Step::State::Refused;
    step.error = "The parts of a split reply disagree on their number";
    return step;
  }
  const Bytes payload = datagram.subspan(9);
  if (!group->parts[index]) group->parts[index] = Packet(payload.begin(), payload.end());
  for (int i = 0; i < group->total; ++i)
    if (!group->parts[i]) return step;
  for (int i = 0; i < group->total; ++i) {
    const Packet& part = *group->parts[i];
    step.reply.insert(step.reply.end(), part.begin(), part.end());
  }
  m_pending.erase(group);
  step.state = Step::State::Complete;
  return step;
}

std::optional<Packet> QueryClient::Begin(QueryKind kind) {
  Flight& flight = Slot(kind);
  if (flight.active) return std::nullopt;
  flight = Flight{true, 0};
  switch (kind) {
    case QueryKind::Info:
      return InfoRequest(m_challenge);
    case QueryKind::Players:
      return PlayersRequest(m_challenge);
    case QueryKind::Rules:
      return RulesRequest(m_challenge);
  }
  return std::nullopt;
}

QueryReply QueryClient::Feed(Bytes datagram) {
  if (datagram.size() > kMaxDatagram) return Malformed("A reply is too long");
  if (datagram.size() >= 4 && datagram[0] == 0xFE) {
    SplitJoiner::Step step = m_splits.Feed(datagram);
    if (step.state == SplitJoiner::Step::State::Refused) return Malformed(step.error);
    if (step.state == SplitJoiner::Step::State::Waiting) return {};
    return Whole(step.reply);
  }
  return Whole(datagram);
}

QueryReply QueryClient::Whole(Bytes reply) {
  QueryReply out;
  if (reply.size() < 5 || reply[0] != 0xFF || reply[1] != 0xFF || reply[2] != 0xFF || reply[3] != 0xFF) {
    return Malformed("A reply does not begin like a query reply");
  }
  const std::uint8_t type = reply[4];
  if (type == kChallenge) {
    Result<std::uint32_t> challenge = ParseChallenge(reply);
    if (!challenge) return Malformed(challenge.Error());
    m_challenge = *challenge;
    for (QueryKind kind : {QueryKind::Info, QueryKind::Players, QueryKind::Rules}) {
      Flight& flight = Slot(kind);
      if (!flight.active) continue;
      // A server that answers a challenged request with yet another challenge
      // would keep us sending for ever.
      if (++flight.challenges > 2) {
        flight = {};
        out.error = std::string("The server keeps asking for a challenge (") + QueryKindName(kind) + ")";
        continue;
      }
      out.send.push_back(kind == QueryKind::Info      ? InfoRequest(m_challenge)
                         : kind == QueryKind::Players ? PlayersRequest(m_challenge)
                                                      : RulesRequest(m_challenge));
    }
    out.type = out.send.empty() && !out.error.empty() ? QueryReply::Type::Malformed
               : out.send.empty()                     ? QueryReply::Type::Nothing
                                                      : QueryReply::Type::Send;
    return out;
  }
  const QueryKind kind = type == kPlayers ? QueryKind::Players : type == kRules ? QueryKind::Rules : QueryKind::Info;
  if (type != kInfo && type != kOldInfo && type != kPlayers && type != kRules) {
    return Malformed("A reply of an unknown kind came");
  }
  // Not asked for, or already answered (servers may send both info layouts): dropped.
  if (!Slot(kind).active) return out;
  Slot(kind) = {};
  if (kind == QueryKind::Info) {
    Result<ServerInfo> info = ParseInfo(reply);
    if (!info) return Malformed(info.Error(), kind);
    out.type = QueryReply::Type::Info;
    out.info = std::move(*info);
  } else if (kind == QueryKind::Players) {
    Result<std::vector<Player>> players = ParsePlayers(reply);
    if (!players) return Malformed(players.Error(), kind);
    out.type = QueryReply::Type::Players;
    out.players = std::move(*players);
  } else {
    Result<std::vector<Rule>> rules = ParseRules(reply);
    if (!rules) return Malformed(rules.Error(), kind);
    out.type = QueryReply::Type::Rules;
    out.rules = std::move(*rules);
  }
  return out;
}

}  // namespace quorvane::monitor

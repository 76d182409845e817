#include "monitor/query.h"

#include <gtest/gtest.h>

#include <tuple>

#include "monitor/poller.h"
#include "monitor/wire.h"

namespace quorvane::monitor::test {
namespace {

bool InfoParses(Bytes reply) { return static_cast<bool>(ParseInfo(reply)); }
bool PlayersParse(Bytes reply) { return static_cast<bool>(ParsePlayers(reply)); }
bool RulesParse(Bytes reply) { return static_cast<bool>(ParseRules(reply)); }
bool PartTaken(Bytes part) { return SplitJoiner().Feed(part).state != SplitJoiner::Step::State::Refused; }

// Name, the reader, the datagram, and whether the reader takes it.
using ReplyRow = std::tuple<const char*, bool (*)(Bytes), Packet, bool>;

class Replies : public testing::TestWithParam<ReplyRow> {};

TEST_P(Replies, areTakenOnlyWhenWholeAndWellFormed) {
  const auto& [name, parses, bytes, ok] = GetParam();
  EXPECT_EQ(parses(bytes), ok);
}

Wire OldInfo(bool mod) {
  Wire w = Wire().Head().U8('m').Str("127.0.0.1:27015").Str("Old").Str("well").Str("tfc").Str("Team Fortress");
  w.U8(3).U8(12).U8(47).U8('d').U8('w').U8(1).U8(mod ? 1 : 0);
  if (mod) w.Str("http://link").Str("http://dl").U8(0).U32(1).U32(1000).U8(0).U8(1);
  return w.U8(1).U8(2);
}

const Packet kInfoAllExtras =
    CurrentInfo().U8(0xF1).U16(27016).U64(76561197960265728ull).U16(27020).Str("tv").Str("ctf,tfc").U64(20);

// Every cut of the current layout is tried below, and the whole replies' fields are read there.
INSTANTIATE_TEST_SUITE_P(Info, Replies,
                         testing::Values(ReplyRow{"old", InfoParses, OldInfo(false), true},
                                         ReplyRow{"oldModCutShort", InfoParses, Cut(OldInfo(true), 3), false},
                                         ReplyRow{"trailingByte", InfoParses, CurrentInfo().U8(0).U8(7), false},
                                         ReplyRow{"wrongHeader", InfoParses, Wire().U32(0xFFFFFFFEu).U8('I'), false},
                                         ReplyRow{"otherType", InfoParses, Wire().Head().U8('D').U8(0), false}),
                         RowName);

TEST(Query, infoReadsEveryFieldOfTheCurrentLayout) {
  const Result<ServerInfo> i = ParseInfo(kInfoAllExtras);
  ASSERT_TRUE(i) << i.Error();
  EXPECT_EQ(std::tie(i->name, i->map, i->version, i->keywords),
            std::tie("Friday", "2fort", "1.1.2.7/Stdio", "ctf,tfc"));
  EXPECT_EQ(std::tie(i->players, i->maxPlayers, i->bots, i->vac), std::make_tuple(5, 16, 1, true));
  EXPECT_EQ(std::tie(i->gamePort, i->gameId), std::make_tuple(27016, 20u));
}

TEST(Query, infoReadsTheOldLayoutOfAMod) {
  const Result<ServerInfo> i = ParseInfo(Packet(OldInfo(true)));
  ASSERT_TRUE(i) << i.Error();
  EXPECT_EQ(std::tie(i->layout, i->address, i->modLink),
            std::make_tuple(InfoLayout::Old, "127.0.0.1:27015", "http://link"));
  EXPECT_EQ(std::tie(i->protocol, i->password, i->bots), std::make_tuple(47, true, 2));
}

TEST(Query, everyShorterPrefixOfAnInfoReplyIsRefusedSaveTheOneWithoutExtras) {
  const std::size_t withoutExtras = Packet(CurrentInfo()).size();
  for (std::size_t drop = 1; drop <= kInfoAllExtras.size(); ++drop)
    EXPECT_EQ(InfoParses(Cut(kInfoAllExtras, drop)), kInfoAllExtras.size() - drop == withoutExtras) << drop;
}

Wire TwoPlayers() {
  return Wire().Head().U8('D').U8(2).U8(0).Str("Alpha").U32(5).U32(0x44160000).U8(1).Str("Bob").U32(-3).U32(0);
}

INSTANTIATE_TEST_SUITE_P(Players, Replies,
                         testing::Values(ReplyRow{"none", PlayersParse, Wire().Head().U8('D').U8(0), true},
                                         ReplyRow{"countBeyondTheData", PlayersParse,
                                                  Wire().Head().U8('D').U8(255).U8(0).Str("A").U32(1).U32(0), false},
                                         ReplyRow{"lastPlayerCut", PlayersParse, Cut(TwoPlayers(), 1), false},
                                         ReplyRow{"trailingBytes", PlayersParse, TwoPlayers().U8(9), false}),
                         RowName);

TEST(Query, playersReadTheirNameScoreAndTime) {
  const Result<std::vector<Player>> players = ParsePlayers(Packet(TwoPlayers()));
  ASSERT_TRUE(players) << players.Error();
  ASSERT_EQ(players->size(), 2u);
  EXPECT_EQ((*players)[0].name, "Alpha");
  EXPECT_FLOAT_EQ((*players)[0].seconds, 600.0f);
  EXPECT_EQ((*players)[1].score, -3);
}

Wire TwoRules() { return Wire().Head().U8('E').U16(2).Str("mp_timelimit").Str("30").Str("sv_password").Str("1"); }

INSTANTIATE_TEST_SUITE_P(Rules, Replies,
                         testing::Values(ReplyRow{"two", RulesParse, TwoRules(), true},
                                         ReplyRow{"none", RulesParse, Wire().Head().U8('E').U16(0), true},
                                         ReplyRow{"hugeCount", RulesParse,
                                                  Wire().Head().U8('E').U16(65535).Str("a").Str("b"), false},
                                         ReplyRow{"valueWithoutEnd", RulesParse, Cut(TwoRules(), 1), false},
                                         ReplyRow{"trailingBytes", RulesParse, TwoRules().U8(0), false}),
                         RowName);

Packet Part(std::int32_t id, unsigned index, unsigned total, const Packet& payload) {
  Packet p = Wire().U32(0xFFFFFFFEu).U32(static_cast<std::uint32_t>(id)).U8((index << 4) | total);
  p.insert(p.end(), payload.begin(), payload.end());
  return p;
}

INSTANTIATE_TEST_SUITE_P(SplitParts, Replies,
                         testing::Values(ReplyRow{"indexNotBelowTotal", PartTaken, Part(1, 2, 2, {1}), false},
                                         ReplyRow{"totalZero", PartTaken, Part(1, 0, 0, {1}), false},
                                         ReplyRow{"noPayload", PartTaken, Part(1, 0, 2, {}), false},
                                         ReplyRow{"headerCut", PartTaken, Cut(Part(1, 0, 2, {1}), 2), false},
                                         ReplyRow{"longerThanADatagram", PartTaken, Part(1, 0, 2, Packet(1400, 0)),
                                                  false}),
                         RowName);

TEST(Query, splitPartsJoinInIndexOrderWhateverOrderTheyCome) {
  const Packet rules = TwoRules();
  const Packet first(rules.begin(), rules.begin() + 10);
  const Packet second(rules.begin() + 10, rules.end());
  SplitJoiner joiner;
  EXPECT_EQ(joiner.Feed(Part(7, 1, 2, second)).state, SplitJoiner::Step::State::Waiting);
  EXPECT_EQ(joiner.Feed(Part(7, 1, 2, second)).state, SplitJoiner::Step::State::Waiting);
  const SplitJoiner::Step step = joiner.Feed(Part(7, 0, 2, first));
  ASSERT_EQ(step.state, SplitJoiner::Step::State::Complete);
  EXPECT_EQ(step.reply, rules);
  EXPECT_EQ(joiner.Pending(), 0u);
}

TEST(Query, splitPartsThatDisagreeOnTheirNumberAreDropped) {
  SplitJoiner joiner;
  ASSERT_EQ(joiner.Feed(Part(3, 0, 3, {1})).state, SplitJoiner::Step::State::Waiting);
  EXPECT_EQ(joiner.Feed(Part(3, 1, 2, {2})).state, SplitJoiner::Step::State::Refused);
  EXPECT_EQ(joiner.Pending(), 0u);
}

TEST(Query, aFloodOfUnfinishedSplitRepliesHoldsOnlyTheNewestFew) {
  SplitJoiner joiner;
  for (int id = 0; id < 10000; ++id) {
    ASSERT_NE(joiner.Feed(Part(id, 0, 15, Packet(1000, 1))).state, SplitJoiner::Step::State::Complete);
  }
  EXPECT_EQ(joiner.Pending(), SplitJoiner::kMaxPending);
}

Packet ChallengeReply(std::uint32_t c) { return Wire().Head().U8('A').U32(c); }

TEST(Query, aChallengeGoesWithEveryRequestInFlightAndEveryLaterOne) {
  QueryClient client;
  ASSERT_EQ(client.Begin(QueryKind::Info), InfoRequest(std::nullopt));
  ASSERT_EQ(client.Begin(QueryKind::Players), Packet(Wire().Head().U8('U').U32(0xFFFFFFFFu)));
  const QueryReply reply = client.Feed(ChallengeReply(0x01020304));
  ASSERT_EQ(reply.type, QueryReply::Type::Send);
  EXPECT_EQ(reply.send, (std::vector<Packet>{Wire().Head().Str("TSource Engine Query").U32(0x01020304),
                                             Wire().Head().U8('U').U32(0x01020304)}));
  EXPECT_EQ(client.Begin(QueryKind::Rules), Packet(Wire().Head().U8('V').U32(0x01020304)));
}

TEST(Query, aServerThatKeepsAskingForChallengesIsGivenUp) {
  QueryClient client;
  ASSERT_TRUE(client.Begin(QueryKind::Rules));
  EXPECT_EQ(client.Feed(ChallengeReply(1)).type, QueryReply::Type::Send);
  EXPECT_EQ(client.Feed(ChallengeReply(2)).type, QueryReply::Type::Send);
  EXPECT_EQ(client.Feed(ChallengeReply(3)).type, QueryReply::Type::Malformed);
  EXPECT_FALSE(client.InFlight(QueryKind::Rules));
}

TEST(Query, pollerStaysWithinItsBudgetWhenEveryRequestIsChallenged) {
  QueryPoller poller;
  poller.WantPlayers(true);
  std::uint32_t challenge = 0;
  for (std::int64_t ms = 0; ms < 600000; ms += 50) {
    if (ms % 500 == 0) poller.AskRules();
    // A hostile server hands out a new challenge to every request.
    for (std::size_t i = poller.Tick(ms).size(); i > 0; --i) (void)poller.Feed(ChallengeReply(++challenge), ms);
    ASSERT_LE(poller.SentLastMinute(ms), QueryPoller::kBudgetPerMinute) << ms;
  }
}

}  // namespace
}  // namespace quorvane::monitor::test

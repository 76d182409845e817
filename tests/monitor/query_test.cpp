#include "monitor/query.h"

#include <gtest/gtest.h>

#include <tuple>

#include "monitor/poller.h"
#include "monitor/wire.h"

namespace quorvane::monitor {
namespace {

using test::CurrentInfo;
using test::Cut;
using test::Wire;

struct ReplyCase {
  std::string name;
  Packet bytes;
  bool ok;
};

std::string CaseName(const testing::TestParamInfo<ReplyCase>& info) { return info.param.name; }

Wire OldInfo(bool mod) {
  Wire w = Wire().Head().U8('m').Str("127.0.0.1:27015").Str("Old").Str("well").Str("tfc").Str("Team Fortress");
  w.U8(3).U8(12).U8(47).U8('d').U8('w').U8(1).U8(mod ? 1 : 0);
  if (mod) w.Str("http://link").Str("http://dl").U8(0).U32(1).U32(1000).U8(0).U8(1);
  return w.U8(1).U8(2);
}

class InfoReplies : public testing::TestWithParam<ReplyCase> {};

TEST_P(InfoReplies, parseOnlyWhenWholeAndWellFormed) {
  EXPECT_EQ(static_cast<bool>(ParseInfo(GetParam().bytes)), GetParam().ok);
}

const Packet kInfoAllExtras =
    CurrentInfo().U8(0xF1).U16(27016).U64(76561197960265728ull).U16(27020).Str("tv").Str("ctf,tfc").U64(20);

INSTANTIATE_TEST_SUITE_P(
    Monitor, InfoReplies,
    testing::Values(ReplyCase{"current", CurrentInfo(), true}, ReplyCase{"currentWithEveryExtra", kInfoAllExtras, true},
                    ReplyCase{"old", OldInfo(false), true}, ReplyCase{"oldOfAMod", OldInfo(true), true},
                    ReplyCase{"currentCutInVersion", Cut(CurrentInfo(), CurrentInfo().Bytes().size() - 2), false},
                    ReplyCase{"extrasCutShort", Cut(kInfoAllExtras, kInfoAllExtras.size() - 3), false},
                    ReplyCase{"oldModCutShort", Cut(OldInfo(true), OldInfo(true).Bytes().size() - 3), false},
                    ReplyCase{"trailingByte", CurrentInfo().U8(0).U8(7), false},
                    ReplyCase{"nameWithoutEnd", Wire().Head().U8('I').U8(48).Text("unended"), false},
                    ReplyCase{"wrongHeader", Wire().U32(0xFFFFFFFEu).U8('I'), false},
                    ReplyCase{"otherType", Wire().Head().U8('D').U8(0), false},
                    ReplyCase{"onlyHeader", Wire().Head(), false}, ReplyCase{"empty", Packet{}, false}),
    CaseName);

TEST(Monitor, infoReadsEveryFieldOfTheCurrentLayout) {
  const Result<ServerInfo> i = ParseInfo(kInfoAllExtras);
  ASSERT_TRUE(i) << i.Error();
  EXPECT_EQ(std::tie(i->name, i->map, i->version, i->keywords),
            std::tie("Friday", "2fort", "1.1.2.7/Stdio", "ctf,tfc"));
  EXPECT_EQ(std::tie(i->players, i->maxPlayers, i->bots, i->vac), std::make_tuple(5, 16, 1, true));
  EXPECT_EQ(std::tie(i->gamePort, i->gameId), std::make_tuple(27016, 20u));
}

TEST(Monitor, infoReadsTheOldLayoutOfAMod) {
  const Result<ServerInfo> i = ParseInfo(OldInfo(true));
  ASSERT_TRUE(i) << i.Error();
  EXPECT_EQ(std::tie(i->layout, i->address, i->modLink),
            std::make_tuple(InfoLayout::Old, "127.0.0.1:27015", "http://link"));
  EXPECT_EQ(std::tie(i->protocol, i->password, i->bots), std::make_tuple(47, true, 2));
}

TEST(Monitor, everyShorterPrefixOfAnInfoReplyIsRefusedSaveTheOneWithoutExtras) {
  const Packet whole = kInfoAllExtras;
  const std::size_t withoutExtras = CurrentInfo().Bytes().size();
  for (std::size_t size = 0; size < whole.size(); ++size)
    EXPECT_EQ(static_cast<bool>(ParseInfo(Cut(whole, size))), size == withoutExtras) << size;
}

Wire TwoPlayers() {
  return Wire().Head().U8('D').U8(2).U8(0).Str("Alpha").U32(5).U32(0x44160000).U8(1).Str("Bob").U32(-3).U32(0);
}

class PlayerReplies : public testing::TestWithParam<ReplyCase> {};

TEST_P(PlayerReplies, parseOnlyWhenWholeAndWellFormed) {
  EXPECT_EQ(static_cast<bool>(ParsePlayers(GetParam().bytes)), GetParam().ok);
}

INSTANTIATE_TEST_SUITE_P(
    Monitor, PlayerReplies,
    testing::Values(ReplyCase{"two", TwoPlayers(), true}, ReplyCase{"none", Wire().Head().U8('D').U8(0), true},
                    ReplyCase{"countBeyondTheData", Wire().Head().U8('D').U8(255).U8(0).Str("A").U32(1).U32(0), false},
                    ReplyCase{"lastPlayerCut", Cut(TwoPlayers(), TwoPlayers().Bytes().size() - 1), false},
                    ReplyCase{"trailingBytes", TwoPlayers().U8(9), false},
                    ReplyCase{"nameWithoutEnd", Wire().Head().U8('D').U8(1).U8(0).Text("Alpha"), false},
                    ReplyCase{"noCount", Wire().Head().U8('D'), false}),
    CaseName);

TEST(Monitor, playersReadTheirNameScoreAndTime) {
  const Result<std::vector<Player>> players = ParsePlayers(TwoPlayers());
  ASSERT_TRUE(players) << players.Error();
  ASSERT_EQ(players->size(), 2u);
  EXPECT_EQ((*players)[0].name, "Alpha");
  EXPECT_FLOAT_EQ((*players)[0].seconds, 600.0f);
  EXPECT_EQ((*players)[1].score, -3);
}

Wire TwoRules() { return Wire().Head().U8('E').U16(2).Str("mp_timelimit").Str("30").Str("sv_password").Str("1"); }

class RuleReplies : public testing::TestWithParam<ReplyCase> {};

TEST_P(RuleReplies, parseOnlyWhenWholeAndWellFormed) {
  EXPECT_EQ(static_cast<bool>(ParseRules(GetParam().bytes)), GetParam().ok);
}

INSTANTIATE_TEST_SUITE_P(
    Monitor, RuleReplies,
    testing::Values(ReplyCase{"two", TwoRules(), true}, ReplyCase{"none", Wire().Head().U8('E').U16(0), true},
                    ReplyCase{"hugeCount", Wire().Head().U8('E').U16(65535).Str("a").Str("b"), false},
                    ReplyCase{"valueMissing", Wire().Head().U8('E').U16(1).Str("a"), false},
                    ReplyCase{"valueWithoutEnd", Cut(TwoRules(), TwoRules().Bytes().size() - 1), false},
                    ReplyCase{"trailingBytes", TwoRules().U8(0), false},
                    ReplyCase{"countCut", Wire().Head().U8('E').U8(1), false}),
    CaseName);

TEST(Monitor, rulesReadAsNameValuePairs) {
  const Result<std::vector<Rule>> rules = ParseRules(TwoRules());
  ASSERT_TRUE(rules) << rules.Error();
  EXPECT_EQ(*rules, (std::vector<Rule>{{"mp_timelimit", "30"}, {"sv_password", "1"}}));
}

Packet Part(std::int32_t id, unsigned index, unsigned total, const Packet& payload) {
  Wire w = Wire().U32(0xFFFFFFFEu).U32(static_cast<std::uint32_t>(id)).U8((index << 4) | total);
  Packet p = w;
  p.insert(p.end(), payload.begin(), payload.end());
  return p;
}

TEST(Monitor, splitPartsJoinInIndexOrderWhateverOrderTheyCome) {
  const Packet rules = TwoRules();
  const Packet first(rules.begin(), rules.begin() + 10), second(rules.begin() + 10, rules.end());
  SplitJoiner joiner;
  EXPECT_EQ(joiner.Feed(Part(7, 1, 2, second)).state, SplitJoiner::Step::State::Waiting);
  EXPECT_EQ(joiner.Feed(Part(7, 1, 2, second)).state, SplitJoiner::Step::State::Waiting);
  const SplitJoiner::Step step = joiner.Feed(Part(7, 0, 2, first));
  ASSERT_EQ(step.state, SplitJoiner::Step::State::Complete);
  EXPECT_EQ(step.reply, rules);
  EXPECT_EQ(joiner.Pending(), 0u);
}

class SplitParts : public testing::TestWithParam<ReplyCase> {};

TEST_P(SplitParts, malformedPartsAreRefused) {
  SplitJoiner joiner;
  EXPECT_EQ(joiner.Feed(GetParam().bytes).state, SplitJoiner::Step::State::Refused);
}

INSTANTIATE_TEST_SUITE_P(Monitor, SplitParts,
                         testing::Values(ReplyCase{"indexNotBelowTotal", Part(1, 2, 2, {1}), false},
                                         ReplyCase{"totalZero", Part(1, 0, 0, {1}), false},
                                         ReplyCase{"noPayload", Part(1, 0, 2, {}), false},
                                         ReplyCase{"headerCut", Cut(Part(1, 0, 2, {1}), 8), false},
                                         ReplyCase{"longerThanADatagram", Part(1, 0, 2, Packet(1400, 0)), false}),
                         CaseName);

TEST(Monitor, splitPartsThatDisagreeOnTheirNumberAreDropped) {
  SplitJoiner joiner;
  ASSERT_EQ(joiner.Feed(Part(3, 0, 3, {1})).state, SplitJoiner::Step::State::Waiting);
  EXPECT_EQ(joiner.Feed(Part(3, 1, 2, {2})).state, SplitJoiner::Step::State::Refused);
  EXPECT_EQ(joiner.Pending(), 0u);
}

TEST(Monitor, aFloodOfUnfinishedSplitRepliesHoldsOnlyTheNewestFew) {
  SplitJoiner joiner;
  for (int id = 0; id < 10000; ++id) ASSERT_NE(joiner.Feed(Part(id, 0, 15, Packet(1000, 1))).state,
                                               SplitJoiner::Step::State::Complete);
  EXPECT_EQ(joiner.Pending(), SplitJoiner::kMaxPending);
}

Packet ChallengeReply(std::uint32_t c) { return Wire().Head().U8('A').U32(c); }

TEST(Monitor, aChallengeSendsEveryRequestInFlightAgainWithIt) {
  QueryClient client;
  ASSERT_EQ(client.Begin(QueryKind::Info), InfoRequest(std::nullopt));
  ASSERT_EQ(client.Begin(QueryKind::Players), Packet(Wire().Head().U8('U').U32(0xFFFFFFFFu)));
  const QueryReply reply = client.Feed(ChallengeReply(0x01020304));
  ASSERT_EQ(reply.type, QueryReply::Type::Send);
  EXPECT_EQ(reply.send, (std::vector<Packet>{Wire().Head().Str("TSource Engine Query").U32(0x01020304),
                                             Wire().Head().U8('U').U32(0x01020304)}));
}

TEST(Monitor, aKnownChallengeGoesWithEveryLaterRequest) {
  QueryClient client;
  ASSERT_TRUE(client.Begin(QueryKind::Players));
  EXPECT_EQ(client.Feed(ChallengeReply(77)).type, QueryReply::Type::Send);
  EXPECT_EQ(client.Begin(QueryKind::Rules), Packet(Wire().Head().U8('V').U32(77)));
}

TEST(Monitor, aSecondRequestOfAKindWaitsForTheFirst) {
  QueryClient client;
  ASSERT_TRUE(client.Begin(QueryKind::Info));
  EXPECT_FALSE(client.Begin(QueryKind::Info));
  client.Abandon(QueryKind::Info);
  EXPECT_TRUE(client.Begin(QueryKind::Info));
}

TEST(Monitor, theSecondInfoLayoutOfOneAnswerIsDropped) {
  QueryClient client;
  ASSERT_TRUE(client.Begin(QueryKind::Info));
  EXPECT_EQ(client.Feed(CurrentInfo()).type, QueryReply::Type::Info);
  EXPECT_EQ(client.Feed(OldInfo(false)).type, QueryReply::Type::Nothing);
}

TEST(Monitor, aServerThatKeepsAskingForChallengesIsGivenUp) {
  QueryClient client;
  ASSERT_TRUE(client.Begin(QueryKind::Rules));
  EXPECT_EQ(client.Feed(ChallengeReply(1)).type, QueryReply::Type::Send);
  EXPECT_EQ(client.Feed(ChallengeReply(2)).type, QueryReply::Type::Send);
  EXPECT_EQ(client.Feed(ChallengeReply(3)).type, QueryReply::Type::Malformed);
  EXPECT_FALSE(client.InFlight(QueryKind::Rules));
}

TEST(Monitor, pollerAsksInfoEveryTwoSecondsAndPlayersOnlyWhenWanted) {
  QueryPoller poller;
  std::size_t packets = 0;
  for (std::int64_t ms = 0; ms < 8000; ms += 100) packets += poller.Tick(ms).size();
  EXPECT_EQ(packets, 4u);
  poller.WantPlayers(true);
  packets = 0;
  for (std::int64_t ms = 8000; ms < 16000; ms += 100) packets += poller.Tick(ms).size();
  EXPECT_EQ(packets, 6u);
}

TEST(Monitor, rulesAreAskedAgainUntilAnsweredThreeTimesAtMost) {
  QueryPoller poller;
  poller.AskRules();
  int asked = 0;
  for (std::int64_t ms = 0; ms < 20000; ms += 100)
    for (const Packet& p : poller.Tick(ms)) asked += p[4] == 'V';
  EXPECT_EQ(asked, 3);
}

TEST(Monitor, pollerStaysWithinItsBudgetWhenEveryRequestIsChallenged) {
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
}  // namespace quorvane::monitor

// When the log address goes on the server again.
#include "monitor/log_address.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quorvane::monitor::test {
namespace {

struct AnswerRow {
  const char* name;
  // Each answer: its time and the process this program started (0 for none).
  std::vector<std::pair<std::int64_t, long long>> answers;
  const char* cameBack;  // per answer, '1' when the address has to go on again
};

class LogAddressAnswerTest : public testing::TestWithParam<AnswerRow> {};

TEST_P(LogAddressAnswerTest, saysTheServerCameBackAfterThreeMissedPollsOrInAnotherProcess) {
  LogAddressKeeper keeper;
  std::string cameBack;
  for (const auto& [at, process] : GetParam().answers)
    cameBack += keeper.Answer(at, process == 0 ? std::nullopt : std::optional<long long>(process)) ? '1' : '0';
  EXPECT_EQ(cameBack, GetParam().cameBack);
}

INSTANTIATE_TEST_SUITE_P(Answers, LogAddressAnswerTest,
                         testing::Values(AnswerRow{"twoPollsMissed", {{0, 7}, {6000, 7}, {8000, 7}}, "000"},
                                         AnswerRow{"threePollsMissed", {{0, 7}, {8000, 7}, {10000, 7}}, "010"},
                                         AnswerRow{"threePollsMissedWithALateTimer", {{0, 0}, {7600, 0}}, "01"},
                                         AnswerRow{"anotherProcessAtOnce", {{0, 7}, {2000, 8}, {4000, 8}}, "010"},
                                         AnswerRow{"startedFromHereWhileWatched", {{0, 0}, {2000, 9}}, "01"},
                                         AnswerRow{"theFirstAnswerIsNoReturn", {{50000, 7}}, "0"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quorvane::monitor::test

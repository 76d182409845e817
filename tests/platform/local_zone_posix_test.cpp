#include "platform/local_zone.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

namespace quorvane::platform {
namespace {

// Central European time, whatever zone files the machine has.
class CentralEuropeanTime : public testing::Test {
 protected:
  void SetUp() override {
    if (const char* tz = std::getenv("TZ")) m_saved = tz;
    m_had = std::getenv("TZ") != nullptr;
    setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
    tzset();
  }
  void TearDown() override {
    if (m_had)
      setenv("TZ", m_saved.c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }
  LocalZone zone;

 private:
  std::string m_saved;
  bool m_had = false;
};

TEST_F(CentralEuropeanTime, skipsTheHourWhenTheClocksGoForward) {
  EXPECT_TRUE(supervise::FromLocal(zone, {2026, 3, 29, 2, 30, 0}).empty());
  EXPECT_EQ(supervise::FromLocal(zone, {2026, 3, 29, 3, 30, 0}).size(), 1u);
}

TEST_F(CentralEuropeanTime, showsTheHourTwiceWhenTheClocksGoBack) {
  const auto instants = supervise::FromLocal(zone, {2026, 10, 25, 2, 30, 0});
  ASSERT_EQ(instants.size(), 2u);
  EXPECT_EQ(instants[1] - instants[0], std::chrono::hours(1));
  EXPECT_EQ(instants[0], supervise::CivilSeconds({2026, 10, 25, 0, 30, 0}));
}

}  // namespace
}  // namespace quorvane::platform

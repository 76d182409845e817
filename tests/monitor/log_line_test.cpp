#include "monitor/log_line.h"

#include <gtest/gtest.h>

#include "monitor/wire.h"

namespace quorvane::monitor {
namespace {

using test::Wire;

constexpr const char* kTime = "L 01/31/2024 - 21:05:09: ";

TEST(Log, aPacketGivesItsTimeAndMessage) {
  const Result<LogLine> line = ParseLogPacket(Wire().Head().Text("log ").Text(kTime).Text("Log file closed\n").U8(0));
  ASSERT_TRUE(line) << line.Error();
  EXPECT_EQ(line->month, 1);
  EXPECT_EQ(line->day, 31);
  EXPECT_EQ(line->year, 2024);
  EXPECT_EQ(line->hour, 21);
  EXPECT_EQ(line->second, 9);
  EXPECT_EQ(line->message, "Log file closed");
}

struct PacketCase {
  std::string name;
  Packet bytes;
  std::string secret;
  bool ok;
};

class LogPackets : public testing::TestWithParam<PacketCase> {};

TEST_P(LogPackets, areTrustedOnlyInTheirExpectedForm) {
  EXPECT_EQ(static_cast<bool>(ParseLogPacket(GetParam().bytes, GetParam().secret)), GetParam().ok);
}

Wire Plain(const std::string& time) { return Wire().Head().Text("log ").Text(time).Text("x\n").U8(0); }

INSTANTIATE_TEST_SUITE_P(
    Log, LogPackets,
    testing::Values(PacketCase{"plain", Plain(kTime), "", true},
                    PacketCase{"withSecret", Wire().Head().Text("S4711").Text(kTime).Text("x\n").U8(0), "4711", true},
                    PacketCase{"wrongSecret", Wire().Head().Text("S4712").Text(kTime).Text("x").U8(0), "4711", false},
                    PacketCase{"plainWhenASecretIsSet", Plain(kTime), "4711", false},
                    PacketCase{"secretWhenNoneIsSet", Wire().Head().Text("S1").Text(kTime).U8(0), "", false},
                    PacketCase{"monthThirteen", Plain("L 13/31/2024 - 21:05:09: "), "", false},
                    PacketCase{"letterInTime", Plain("L 01/31/2024 - 2x:05:09: "), "", false},
                    PacketCase{"timeCut", Wire().Head().Text("log L 01/31/2024 - 21:0").U8(0), "", false},
                    PacketCase{"noHeader", Wire().Text("log ").Text(kTime), "", false},
                    PacketCase{"tooLong", Plain(kTime).Text(std::string(1400, 'a')), "", false}),
    [](const testing::TestParamInfo<PacketCase>& info) { return info.param.name; });

struct EventCase {
  std::string name, message;
  LogEventKind kind;
  std::string who, what;
};

class LogEvents : public testing::TestWithParam<EventCase> {};

TEST_P(LogEvents, areKnownByTheirShape) {
  const LogEvent e = ClassifyLogMessage(GetParam().message);
  EXPECT_EQ(e.kind, GetParam().kind);
  EXPECT_EQ(e.who.name, GetParam().who);
  EXPECT_EQ(e.what, GetParam().what);
}

const std::string kA = "\"A<12><STEAM_0:1:234><Blue>\"", kB = "\"B <x>\"<3><STEAM_0:0:1><Red>\"";

INSTANTIATE_TEST_SUITE_P(
    Log, LogEvents,
    testing::Values(
        EventCase{"kill", kA + " killed " + kB + " with \"rocket\"", LogEventKind::Kill, "A", "rocket"},
        EventCase{"killByOddName", kB + " killed " + kA + " with \"ac\"", LogEventKind::Kill, "B <x>\"", "ac"},
        EventCase{"connect", "\"A<12><STEAM_0:1:234><>\" connected, address \"1.2.3.4:27005\"", LogEventKind::Connect,
                  "A", "1.2.3.4:27005"},
        EventCase{"enter", kA + " entered the game", LogEventKind::Enter, "A", ""},
        EventCase{"disconnect", kA + " disconnected", LogEventKind::Disconnect, "A", ""},
        EventCase{"joinTeam", kA + " joined team \"Blue\"", LogEventKind::JoinTeam, "A", "Blue"},
        EventCase{"role", kA + " changed role to \"Soldier\"", LogEventKind::Role, "A", "Soldier"},
        EventCase{"suicide", kA + " committed suicide with \"trigger_hurt\" (world)", LogEventKind::Suicide, "A",
                  "trigger_hurt"},
        EventCase{"triggered", kA + " triggered \"Sentry_Built_Level_1\"", LogEventKind::Triggered, "A",
                  "Sentry_Built_Level_1"},
        EventCase{"say", kA + " say \"g\"g\"", LogEventKind::Say, "A", "g\"g"},
        EventCase{"sayTeam", kA + " say_team \"go\"", LogEventKind::SayTeam, "A", "go"},
        EventCase{"worldTriggered", "World triggered \"Round_Start\"", LogEventKind::WorldTriggered, "", "Round_Start"},
        EventCase{"teamScore", "Team \"Blue\" scored \"10\" with \"4\" players", LogEventKind::TeamScore, "", "Blue"},
        EventCase{"loading", "Loading map \"2fort\"", LogEventKind::MapLoading, "", "2fort"},
        EventCase{"started", "Started map \"2fort\" (CRC \"-123456\")", LogEventKind::MapStarted, "", "2fort"},
        EventCase{"cvar", "Server cvar \"mp_timelimit\" = \"30\"", LogEventKind::Cvar, "", "mp_timelimit"},
        EventCase{"closed", "Log file closed", LogEventKind::LogClosed, "", ""},
        EventCase{"rcon", "Rcon: \"rcon 1 \"p\" status\" from \"127.0.0.1:2\"", LogEventKind::Rcon, "", ""},
        EventCase{"playerCutShort", "\"A<12><STEAM_0:1:234><Blue", LogEventKind::Other, "", ""},
        EventCase{"killWithoutWeapon", kA + " killed " + kB, LogEventKind::Other, "", ""},
        EventCase{"scoreNotANumber", "Team \"Blue\" scored \"10\" with \"four\" players", LogEventKind::Other, "", ""}),
    [](const testing::TestParamInfo<EventCase>& info) { return info.param.name; });

struct MaskCase {
  std::string name, message, masked;
};

class Masking : public testing::TestWithParam<MaskCase> {};

TEST_P(Masking, hidesConsolePasswordsOnly) { EXPECT_EQ(MaskPasswords(GetParam().message), GetParam().masked); }

INSTANTIATE_TEST_SUITE_P(
    Log, Masking,
    testing::Values(MaskCase{"rcon", "Rcon: \"rcon 123 \"secret\" status\" from \"127.0.0.1:27005\"",
                             "Rcon: \"rcon 123 \"********\" status\" from \"127.0.0.1:27005\""},
                    MaskCase{"badRcon", "Bad Rcon: \"rcon 9 \"a b\" kick x\" from \"1.2.3.4:5\"",
                             "Bad Rcon: \"rcon 9 \"********\" kick x\" from \"1.2.3.4:5\""},
                    MaskCase{"unquoted", "Rcon: \"rcon 9 pw status\" from \"1.2.3.4:5\"",
                             "Rcon: \"rcon 9 ******** status\" from \"1.2.3.4:5\""},
                    MaskCase{"neverClosed", "Rcon: \"rcon 9 \"secret", "Rcon: \"rcon 9 \"********"},
                    MaskCase{"chatAboutRcon", "\"A<1><S><>\" say \"rcon 1 \"x\"\"",
                             "\"A<1><S><>\" say \"rcon 1 \"x\"\""}),
    [](const testing::TestParamInfo<MaskCase>& info) { return info.param.name; });

}  // namespace
}  // namespace quorvane::monitor

#include "monitor/log_line.h"

#include <gtest/gtest.h>

#include <tuple>

#include "monitor/wire.h"

namespace quorvane::monitor::test {
namespace {

constexpr const char* kTime = "L 01/31/2024 - 21:05:09: ";

TEST(Log, aPacketGivesItsTimeAndMessage) {
  const Result<LogLine> l = ParseLogPacket(Packet(Wire().Head().Text("log ").Text(kTime).Text("Log closed\n").U8(0)));
  ASSERT_TRUE(l) << l.Error();
  EXPECT_EQ(std::tie(l->month, l->day, l->year, l->hour, l->minute, l->second, l->message),
            std::make_tuple(1, 31, 2024, 21, 5, 9, "Log closed"));
}

// Name, the datagram, the log secret, and whether the line is trusted.
using PacketRow = std::tuple<const char*, Packet, std::string, bool>;

class LogPackets : public testing::TestWithParam<PacketRow> {};

TEST_P(LogPackets, areTrustedOnlyInTheirExpectedForm) {
  const auto& [name, bytes, secret, ok] = GetParam();
  EXPECT_EQ(static_cast<bool>(ParseLogPacket(bytes, secret)), ok);
}

Wire Plain(const std::string& time) { return Wire().Head().Text("log ").Text(time).Text("x\n").U8(0); }

// Lines with and without the secret, as the server sends them, are heard in the link tests.
INSTANTIATE_TEST_SUITE_P(
    Log, LogPackets,
    testing::Values(PacketRow{"wrongSecret", Wire().Head().Text("S4712").Text(kTime).Text("x").U8(0), "4711", false},
                    PacketRow{"plainWhenASecretIsSet", Plain(kTime), "4711", false},
                    PacketRow{"monthThirteen", Plain("L 13/31/2024 - 21:05:09: "), "", false},
                    PacketRow{"letterInTime", Plain("L 01/31/2024 - 2x:05:09: "), "", false},
                    PacketRow{"timeCut", Wire().Head().Text("log L 01/31/2024 - 21:0").U8(0), "", false},
                    PacketRow{"noHeader", Wire().Text("log ").Text(kTime), "", false},
                    PacketRow{"tooLong", Plain(kTime).Text(std::string(1400, 'a')), "", false}),
    RowName);

// Name, the message, and its kind, actor and object.
using EventRow = std::tuple<const char*, std::string, LogEventKind, std::string, std::string>;

class LogEvents : public testing::TestWithParam<EventRow> {};

TEST_P(LogEvents, areKnownByTheirShape) {
  const auto& [name, message, kind, who, what] = GetParam();
  const LogEvent e = ClassifyLogMessage(message);
  EXPECT_EQ(std::tie(e.kind, e.who.name, e.what), std::tie(kind, who, what));
}

const std::string kA = "\"A<12><STEAM_0:1:234><Blue>\"", kB = "\"B <x>\"<3><STEAM_0:0:1><Red>\"";

// Names and texts may hold the quotes and brackets a line's shape is read by.
INSTANTIATE_TEST_SUITE_P(
    Log, LogEvents,
    testing::Values(EventRow{"killByOddName", kB + " killed " + kA + " with \"ac\"", LogEventKind::Kill, "B <x>\"",
                             "ac"},
                    EventRow{"say", kA + " say \"g\"g\"", LogEventKind::Say, "A", "g\"g"},
                    EventRow{"playerCutShort", "\"A<12><STEAM_0:1:234><Blue", LogEventKind::Other, "", ""},
                    EventRow{"killWithoutWeapon", kA + " killed " + kB, LogEventKind::Other, "", ""}),
    RowName);

// Name, the message, and the message as shown.
using MaskRow = std::tuple<const char*, std::string, std::string>;

class Masking : public testing::TestWithParam<MaskRow> {};

TEST_P(Masking, hidesConsolePasswordsOnly) {
  const auto& [name, message, masked] = GetParam();
  EXPECT_EQ(MaskPasswords(message), masked);
}

INSTANTIATE_TEST_SUITE_P(Log, Masking,
                         testing::Values(MaskRow{"rcon",
                                                 "Rcon: \"rcon 123 \"secret\" status\" from \"127.0.0.1:27005\"",
                                                 "Rcon: \"rcon 123 \"********\" status\" from \"127.0.0.1:27005\""},
                                         MaskRow{"badRcon", "Bad Rcon: \"rcon 9 \"a b\" kick x\" from \"1.2.3.4:5\"",
                                                 "Bad Rcon: \"rcon 9 \"********\" kick x\" from \"1.2.3.4:5\""},
                                         MaskRow{"unquoted", "Rcon: \"rcon 9 pw status\" from \"1.2.3.4:5\"",
                                                 "Rcon: \"rcon 9 ******** status\" from \"1.2.3.4:5\""},
                                         MaskRow{"neverClosed", "Rcon: \"rcon 9 \"secret", "Rcon: \"rcon 9 \"********"},
                                         MaskRow{"chatAboutRcon", "\"A<1><S><>\" say \"rcon 1 \"x\"\"",
                                                 "\"A<1><S><>\" say \"rcon 1 \"x\"\""}),
                         RowName);

}  // namespace
}  // namespace quorvane::monitor::test

// The terminal modes against the stand-in server, mostly in its hostile mode:
// what a server sends never drives the user's terminal, forges a line or
// breaks the JSON, and a server that does not answer is said to.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

#include "support/standin_server.h"
#include "ui/terminal_modes.h"
#include "ui/window_fixtures.h"

namespace quorvane::ui {
namespace {

using test_support::StandInServer;

// The run's application object, made before anything the test holds.
struct WithApp {
  WithApp() { fixtures::App(); }
};

// The hostile stand-in, with "se cret" as its console password.
struct HostileServerTerminal : ::testing::Test, WithApp {
  const StandInServer server{"rcon_password \"se cret\"\r\n", {"QUORVANE_STANDIN_HOSTILE=1"}};
};

struct SilentServerTerminal : ::testing::Test, WithApp {};

struct Printed {
  int code = -1;
  std::string out, err;
};

// What a terminal mode printed on each stream, and its exit status.
Printed Capture(const std::function<int(std::FILE*, std::FILE*)>& mode) {
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  Printed p;
  p.code = mode(out, err);
  for (auto [file, text] : {std::pair{out, &p.out}, std::pair{err, &p.err}}) {
    std::rewind(file);
    for (int c; (c = std::fgetc(file)) != EOF;) text->push_back(static_cast<char>(c));
    std::fclose(file);
  }
  return p;
}

// The control bytes a terminal would act on, other than the line feed and tab.
std::string ControlsIn(const std::string& text) {
  std::string found;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    const bool c1 = c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xA0;
    if ((c < 0x20 && c != '\n' && c != '\t') || c == 0x7F || c1) found += std::to_string(c) + " ";
  }
  return found;
}

// The query is asked until the stand-in, which opens its socket a moment after it starts, answers.
Printed Query(const StandInServer& server, bool json) {
  Printed p;
  for (int tries = 0; tries < 3 && p.code != kTerminalAnswered; ++tries)
    p = Capture(
        [&](std::FILE* o, std::FILE* e) { return RunQuery(platform::UdpServerLinks(), server.Target(), json, o, e); });
  return p;
}

TEST_F(HostileServerTerminal, queryPrintsTheProgramsLinesOnlyWithTheServersControlsWrittenOut) {
  const Printed p = Query(server, false);
  ASSERT_EQ(p.code, kTerminalAnswered) << p.err;
  EXPECT_EQ(ControlsIn(p.out), "") << p.out;
  EXPECT_EQ(p.out.substr(0, p.out.find('\n') + 1),
            "name:      \\x1b[2J\\x1b]0;owned\\x07<b>Hostile</b>\\x0d\\x0amap:       forged\n");
  EXPECT_NE(p.out.find("\nmap:       2fort\\x1b[8m<img src=x>\n"), std::string::npos) << p.out;
  EXPECT_NE(p.out.find("\nplayer:    \\x1b]0;title\\x07Line\\x0aBreak\\x0d\t1\t\xe2\x80\x94\n"), std::string::npos)
      << p.out;
  // Nine lines of the server's info and one for each of its four players.
  EXPECT_EQ(std::count(p.out.begin(), p.out.end(), '\n'), 13) << p.out;
}

TEST_F(HostileServerTerminal, queryAsJsonIsStrictJsonWithNullForEveryDurationNoConnectionHas) {
  const Printed p = Query(server, true);
  ASSERT_EQ(p.code, kTerminalAnswered) << p.err;
  QJsonParseError error;
  const QJsonDocument json = QJsonDocument::fromJson(QByteArray::fromStdString(p.out), &error);
  ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString() << "\n" << p.out;
  EXPECT_EQ(json["name"].toString(), "\x1b[2J\x1b]0;owned\x07<b>Hostile</b>\r\nmap:       forged");
  const QJsonArray players = json["playerList"].toArray();
  ASSERT_EQ(players.size(), 4);
  for (const QJsonValue player : players)
    EXPECT_TRUE(player["seconds"].isNull()) << player["name"].toString().toStdString();
}

TEST_F(HostileServerTerminal, rconKeepsTheAnswersLineBreaksAsLfAndWritesOutEveryOtherControl) {
  Query(server, false);
  const Printed p = Capture([&](std::FILE* o, std::FILE* e) {
    return RunRcon(platform::UdpServerLinks(), server.Target(), "status", "se cret", o, e);
  });
  ASSERT_EQ(p.code, kTerminalAnswered) << p.err;
  EXPECT_EQ(ControlsIn(p.out), "") << p.out.substr(0, 2000);
  EXPECT_NE(p.out.find("\nversion :  48/1.1.2.7/Stdio"), std::string::npos) << p.out.substr(0, 2000);
  EXPECT_NE(p.out.find("\n4 users\n\\x1b[5mflood 0\\x1b[0m ~"), std::string::npos) << p.out.substr(0, 2000);
}

TEST_F(SilentServerTerminal, querySaysTheServerDidNotAnswerAndExitsWithNoAnswer) {
  const std::string target = "127.0.0.1:" + std::to_string(test_support::FreeUdpPort());
  const Printed p =
      Capture([&](std::FILE* o, std::FILE* e) { return RunQuery(platform::UdpServerLinks(), target, false, o, e); });
  EXPECT_EQ(p.code, kTerminalNoAnswer);
  EXPECT_EQ(p.out, "");
  EXPECT_NE(p.err.find("did not answer after 3 tries"), std::string::npos) << p.err;
}

TEST_F(HostileServerTerminal, rconWithAWrongPasswordPrintsTheRefusalAndExitsWithNoAnswer) {
  Query(server, false);
  const Printed p = Capture([&](std::FILE* o, std::FILE* e) {
    return RunRcon(platform::UdpServerLinks(), server.Target(), "status", "nope", o, e);
  });
  EXPECT_EQ(p.code, kTerminalNoAnswer);
  EXPECT_EQ(p.out, "");
  EXPECT_NE(p.err.find("Bad rcon_password."), std::string::npos) << p.err;
}

}  // namespace
}  // namespace quorvane::ui

#pragma once
// The remote console over UDP: fetch a challenge, send the command with it,
// collect the answer until the server has been quiet for a moment. The caller
// feeds datagrams and its clock; the session says what to send and when the
// answer is whole. A refused password is never sent again on its own: after
// five refusals in 30 s the server bans the address for good.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "monitor/byte_reader.h"
#include "monitor/query.h"
#include "monitor/result.h"

namespace quorvane::monitor {

struct [[nodiscard]] ConsoleStep {
  enum class Type { Nothing, Send, Done, Refused, Banned, Failed } type = Type::Nothing;
  Packet send;       // when Send
  std::string text;  // the answer (Done), the server's words (Refused, Banned), the reason (Failed)
};

class ConsoleSession {
 public:
  static constexpr std::int64_t kQuietGapMs = 300;
  static constexpr std::int64_t kNoAnswerMs = 3000;
  // The server drops anything from "rcon" on that is not under this many bytes.
  static constexpr std::size_t kMaxCommandBytes = 512;
  static constexpr std::size_t kMaxAnswerBytes = 1 << 20;

  // Sends `command`: a Send step with the first packet, or Failed with the reason
  // it cannot be sent (busy, too long, no password, a password already refused, banned).
  ConsoleStep Start(std::string_view command, std::string_view password, std::int64_t nowMs);
  ConsoleStep Feed(Bytes datagram, std::int64_t nowMs);
  // The answer once the quiet gap has passed, or Failed when nothing came.
  ConsoleStep Tick(std::int64_t nowMs);
  bool Busy() const { return m_state != State::Idle; }
  // Gives up the command in hand (its packet could not be sent).
  void Abandon() {
    m_state = State::Idle;
    m_answer.clear();
  }
  // Lets a password that was refused be tried again (the user asked for it).
  void ForgetRefusal() { m_refused.reset(); }

 private:
  enum class State { Idle, AwaitChallenge, AwaitAnswer };
  Packet CommandPacket() const;
  ConsoleStep Finish(ConsoleStep::Type type, std::string text);

  State m_state = State::Idle;
  std::optional<std::string> m_challenge;
  std::optional<std::string> m_refused;
  bool m_banned = false;
  bool m_challengeRefetched = false;
  bool m_answered = false;
  std::string m_command, m_password, m_answer;
  std::int64_t m_sentAt = 0, m_lastPacketAt = 0;
};

Packet ConsoleChallengeRequest();
// The number from "challenge rcon N", or an error.
Result<std::string> ParseConsoleChallenge(Bytes reply);
// The text of one answer packet (FF FF FF FF 'l' text NUL).
Result<std::string> ParseConsolePrint(Bytes reply);

// One player line of the console's `status` answer:
// `# 1 "Name" 2 STEAM_0:1:234 5 12:34 45 0 127.0.0.1:27005` (slot, name, user id, ...).
struct StatusPlayer {
  int slot = 0;
  std::string name;
  int userId = 0;
  std::string uniqueId;
  bool operator==(const StatusPlayer&) const = default;
};
Result<std::vector<StatusPlayer>> ParseStatus(std::string_view answer);

}  // namespace quorvane::monitor

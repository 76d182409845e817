#include "monitor/console.h"

#include <algorithm>
#include <cctype>

namespace quorvane::monitor {
namespace {

constexpr std::string_view kRefusal = "Bad rcon_password.";
constexpr std::string_view kBadChallenge = "Bad challenge.";
constexpr std::string_view kBanned = "You have been banned from this server.";
// The longest challenge a server hands out: a 32-bit number.
constexpr std::size_t kLongestChallenge = 10;

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.remove_suffix(1);
  return s;
}

bool IsDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

}  // namespace

Packet ConsoleChallengeRequest() { return OutOfBand("challenge rcon\n"); }

Result<std::string> ParseConsoleChallenge(Bytes reply) {
  constexpr std::string_view kHead = "challenge rcon ";
  if (reply.size() < 4 + kHead.size() || reply.size() > kMaxDatagram || reply[0] != 0xFF || reply[1] != 0xFF ||
      reply[2] != 0xFF || reply[3] != 0xFF)
    return Result<std::string>::Fail("The console challenge reply is malformed");
  std::string_view text(reinterpret_cast<const char*>(reply.data() + 4), reply.size() - 4);
  text = text.substr(0, text.find('\0'));
  if (!StartsWith(text, kHead)) return Result<std::string>::Fail("The console challenge reply is malformed");
  const std::string_view number = Trim(text.substr(kHead.size()));
  if (!IsDigits(number) || number.size() > kLongestChallenge)
    return Result<std::string>::Fail("The console challenge reply is malformed");
  return std::string(number);
}

Result<std::string> ParseConsolePrint(Bytes reply) {
  if (reply.size() < 5 || reply.size() > kMaxDatagram || reply[0] != 0xFF || reply[1] != 0xFF || reply[2] != 0xFF ||
      reply[3] != 0xFF || reply[4] != 'l')
    return Result<std::string>::Fail("A console answer packet is malformed");
  std::string_view text(reinterpret_cast<const char*>(reply.data() + 5), reply.size() - 5);
  return std::string(text.substr(0, text.find('\0')));
}

Packet ConsoleSession::CommandPacket() const {
  return OutOfBand("rcon " + *m_challenge + " \"" + m_password + "\" " + m_command);
}

ConsoleStep ConsoleSession::Finish(ConsoleStep::Type type, std::string text) {
  m_state = State::Idle;
  m_answer.clear();
  return {type, {}, std::move(text)};
}

ConsoleStep ConsoleSession::Start(std::string_view command, std::string_view password, std::int64_t nowMs) {
  auto fail = [](std::string why) { return ConsoleStep{ConsoleStep::Type::Failed, {}, std::move(why)}; };
  if (m_state != State::Idle) return fail("A console command is still waiting for its answer.");
  if (m_banned) return fail("The server has banned this address; it answers no console command.");
  if (password.empty())
    return fail("The server has no console password (rcon_password), so it refuses every console command.");
  if (m_refused && *m_refused == password)
    return fail("The server refused this console password; it is not sent again.");
  if (password.find('"') != std::string_view::npos) return fail("A console password cannot contain a quote.");
  for (char c : std::string(command) + std::string(password))
    if (static_cast<unsigned char>(c) < 0x20) return fail("A console command cannot contain control characters.");
  if (Trim(command).empty()) return fail("The console command is empty.");
  const std::size_t challengeLength = m_challenge ? m_challenge->size() : kLongestChallenge;
  // "rcon " challenge " \"" password "\" " command, and its NUL.
  const std::size_t length = 5 + challengeLength + 2 + password.size() + 2 + command.size() + 1;
  if (length >= kMaxCommandBytes) return fail("The console command is too long: the server ignores one this long.");
  m_command = command;
  m_password = password;
  m_answer.clear();
  m_answered = false;
  m_challengeRefetched = false;
  m_sentAt = nowMs;
  if (!m_challenge) {
    m_state = State::AwaitChallenge;
    return {ConsoleStep::Type::Send, ConsoleChallengeRequest(), {}};
  }
  m_state = State::AwaitAnswer;
  return {ConsoleStep::Type::Send, CommandPacket(), {}};
}

ConsoleStep ConsoleSession::Feed(Bytes datagram, std::int64_t nowMs) {
  if (m_state == State::AwaitChallenge) {
    Result<std::string> challenge = ParseConsoleChallenge(datagram);
    if (!challenge) return {};
    m_challenge = *challenge;
    m_state = State::AwaitAnswer;
    m_sentAt = nowMs;
    return {ConsoleStep::Type::Send, CommandPacket(), {}};
  }
  if (m_state != State::AwaitAnswer) return {};
  Result<std::string> text = ParseConsolePrint(datagram);
  if (!text) return {};
  if (!m_answered && StartsWith(*text, kBanned)) {
    m_banned = true;
    return Finish(ConsoleStep::Type::Banned, std::string(Trim(*text)));
  }
  if (!m_answered && StartsWith(*text, kRefusal)) {
    // A stale challenge is not a wrong password: fetch a new one, once.
    if (text->find(kBadChallenge) != std::string::npos && !m_challengeRefetched) {
      m_challengeRefetched = true;
      m_challenge.reset();
      m_state = State::AwaitChallenge;
      m_sentAt = nowMs;
      return {ConsoleStep::Type::Send, ConsoleChallengeRequest(), {}};
    }
    m_refused = m_password;
    return Finish(ConsoleStep::Type::Refused, std::string(Trim(*text)));
  }
  m_answered = true;
  m_lastPacketAt = nowMs;
  m_answer += text->substr(0, kMaxAnswerBytes - std::min(kMaxAnswerBytes, m_answer.size()));
  return {};
}

ConsoleStep ConsoleSession::Tick(std::int64_t nowMs) {
  if (m_state == State::AwaitAnswer && m_answered && nowMs - m_lastPacketAt >= kQuietGapMs)
    return Finish(ConsoleStep::Type::Done, m_answer);
  if (m_state != State::Idle && !m_answered && nowMs - m_sentAt >= kNoAnswerMs)
    return Finish(ConsoleStep::Type::Failed, "The server did not answer the console command.");
  return {};
}

Result<std::vector<StatusPlayer>> ParseStatus(std::string_view answer) {
  std::vector<StatusPlayer> players;
  std::size_t start = 0;
  while (start < answer.size()) {
    std::size_t end = answer.find('\n', start);
    if (end == std::string_view::npos) end = answer.size();
    std::string_view line = Trim(answer.substr(start, end - start));
    start = end + 1;
    if (line.empty() || line[0] != '#') continue;
    line.remove_prefix(1);
    while (!line.empty() && line[0] == ' ') line.remove_prefix(1);
    std::size_t digits = 0;
    while (digits < line.size() && std::isdigit(static_cast<unsigned char>(line[digits]))) ++digits;
    if (digits == 0) continue;  // the column header
    const auto bad = [&] { return Result<std::vector<StatusPlayer>>::Fail("A player line of status is malformed"); };
    if (digits > 3) return bad();
    StatusPlayer p;
    p.slot = std::stoi(std::string(line.substr(0, digits)));
    line.remove_prefix(digits);
    while (!line.empty() && line[0] == ' ') line.remove_prefix(1);
    // The name is quoted and may hold quotes itself: it ends at the last quote
    // that is followed by a space and the user id.
    if (line.empty() || line[0] != '"') return bad();
    std::size_t close = std::string_view::npos;
    for (std::size_t i = line.size(); i-- > 1;) {
      if (line[i] == '"' && i + 2 < line.size() && line[i + 1] == ' ' &&
          std::isdigit(static_cast<unsigned char>(line[i + 2]))) {
        close = i;
        break;
      }
    }
    if (close == std::string_view::npos) return bad();
    p.name = std::string(line.substr(1, close - 1));
    line.remove_prefix(close + 2);
    digits = 0;
    while (digits < line.size() && std::isdigit(static_cast<unsigned char>(line[digits]))) ++digits;
    if (digits == 0 || digits > 9) return bad();
    p.userId = std::stoi(std::string(line.substr(0, digits)));
    line.remove_prefix(digits);
    while (!line.empty() && line[0] == ' ') line.remove_prefix(1);
    p.uniqueId = std::string(line.substr(0, line.find(' ')));
    players.push_back(std::move(p));
  }
  return players;
}

}  // namespace quorvane::monitor

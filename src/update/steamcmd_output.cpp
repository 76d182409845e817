#include "update/steamcmd_output.h"

#include <cctype>
#include <charconv>

namespace quorvane::update {

namespace {

constexpr char kEsc = '\x1b';
constexpr char kBel = '\x07';

std::string_view Trim(std::string_view s) {
  const std::size_t first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

bool Contains(std::string_view s, std::string_view part) { return s.find(part) != std::string_view::npos; }

// The hex number at the start of `s` (without "0x"), at most eight digits; moves `s` past it.
bool TakeHex(std::string_view& s, std::uint32_t& value) {
  std::size_t n = 0;
  while (n < s.size() && n < 9 && std::isxdigit(static_cast<unsigned char>(s[n])) != 0) ++n;
  if (n == 0 || n > 8) return false;
  std::from_chars(s.data(), s.data() + n, value, 16);
  s.remove_prefix(n);
  return true;
}

template <typename Number>
bool TakeNumber(std::string_view& s, Number& value) {
  const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (error != std::errc() || end == s.data()) return false;
  s.remove_prefix(static_cast<std::size_t>(end - s.data()));
  return true;
}

bool TakeText(std::string_view& s, std::string_view text) {
  if (!s.starts_with(text)) return false;
  s.remove_prefix(text.size());
  return true;
}

// "Update state (0x61) downloading, progress: 45.23 (123456789 / 272896000)"
bool ParseProgress(std::string_view text, OutputLine& out) {
  const std::size_t at = text.find("Update state (0x");
  if (at == std::string_view::npos) return false;
  std::string_view rest = text.substr(at + 16);
  if (!TakeHex(rest, out.state) || !TakeText(rest, ")")) return false;
  out.hasState = true;
  const std::size_t progress = rest.find("progress: ");
  if (progress == std::string_view::npos) return true;
  rest.remove_prefix(progress + 10);
  double percent = 0;
  if (!TakeNumber(rest, percent) || !(percent >= 0)) return true;
  out.percent = percent > 100 ? 100 : percent;
  std::uint64_t done = 0, total = 0;
  if (TakeText(rest, " (") && TakeNumber(rest, done) && TakeText(rest, " / ") && TakeNumber(rest, total) &&
      TakeText(rest, ")")) {
    out.done = done;
    out.total = total;
  }
  return true;
}

bool IsStartUp(std::string_view text) {
  constexpr std::string_view kStarts[] = {
      "Redirecting stderr to",         "Loading Steam API",         "Connecting anonymously to Steam Public",
      "Waiting for user info",         "Waiting for client config", "Logging in user",
      "Steam Console Client",          "-- type 'quit' to exit --", "Logging directory",
      "Checking for available update",
  };
  for (std::string_view start : kStarts)
    if (text.starts_with(start)) return true;
  // SteamCMD updating itself: "[  0%] Checking for available updates...", "[----] Verifying installation..."
  return text.size() > 6 && text[0] == '[' && text[5] == ']';
}

std::string Fixed(double value, int decimals) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  return std::string(buffer, result.ptr);
}

}  // namespace

std::vector<std::string> LineSplitter::Feed(std::string_view bytes) {
  std::vector<std::string> lines;
  for (const char c : bytes) Take(c, lines);
  return lines;
}

std::vector<std::string> LineSplitter::Finish() {
  std::vector<std::string> lines;
  EndLine(lines);
  m_escape = Escape::None;
  return lines;
}

void LineSplitter::EndLine(std::vector<std::string>& lines) {
  if (!m_line.empty()) lines.push_back(std::move(m_line));
  m_line.clear();
}

void LineSplitter::Take(char c, std::vector<std::string>& lines) {
  const auto byte = static_cast<unsigned char>(c);
  switch (m_escape) {
    case Escape::Start:
      // CSI and OSC run on; any other escape is two bytes long.
      m_escape = c == '[' ? Escape::Control : c == ']' ? Escape::Text : Escape::None;
      if (c != '\n' && c != '\r') return;
      m_escape = Escape::None;
      break;
    case Escape::Control:
      if (byte >= 0x20 && byte <= 0x3f) return;  // parameters and intermediates
      m_escape = Escape::None;
      if (byte >= 0x40 && byte <= 0x7e) return;  // the final byte
      break;                                     // a broken sequence: the byte counts as text again
    case Escape::Text:
      if (c == kBel) m_escape = Escape::None;
      if (c == kEsc) m_escape = Escape::Start;
      if (c != '\n' && c != '\r') return;
      m_escape = Escape::None;
      break;
    case Escape::None:
      break;
  }
  // Empty lines are dropped, so CRLF needs no case of its own.
  if (c == '\n' || c == '\r') return EndLine(lines);
  if (c == kEsc) {
    m_escape = Escape::Start;
    return;
  }
  if (byte < 0x20 && c != '\t') return;  // other control bytes show nothing
  if (m_line.size() < kMaxLine) m_line.push_back(c);
}

OutputLine ClassifyLine(std::string_view line) {
  OutputLine out;
  const std::string_view text = Trim(line);
  out.text = std::string(text);
  if (Contains(text, "Success! App '")) {
    if (Contains(text, "' fully installed.")) out.kind = LineKind::Installed;
    if (Contains(text, "' already up to date.")) out.kind = LineKind::UpToDate;
    if (out.kind != LineKind::Other) return out;
  }
  if (text.starts_with("Error!") || text.starts_with("ERROR!") || Contains(text, "FAILED")) {
    out.kind = LineKind::Error;
    const std::size_t at = text.find("state is 0x");
    std::string_view rest = at == std::string_view::npos ? std::string_view() : text.substr(at + 11);
    out.hasState = TakeHex(rest, out.state);
    return out;
  }
  if (ParseProgress(text, out)) {
    out.kind = LineKind::Progress;
    return out;
  }
  out.hasState = false;
  out.state = 0;
  if (IsStartUp(text)) out.kind = LineKind::StartUp;
  return out;
}

std::string StateWords(std::uint32_t state) {
  switch (state) {
    case 0x5:
      return "verifying install";
    case 0x11:
      return "preallocating";
    case 0x61:
      return "downloading";
    case 0x81:
      return "verifying update";
    case 0x101:
      return "committing";
    case 0x202:
      return "stopped, usually by a full disk";
    default:
      break;
  }
  char digits[16];
  const auto result = std::to_chars(digits, digits + sizeof digits, state, 16);
  return "state 0x" + std::string(digits, result.ptr);
}

std::string DescribeProgress(const OutputLine& line) {
  std::string text = StateWords(line.state) + " " + Fixed(line.percent, 1) + " %";
  if (line.total > 0) {
    text += " (" + Fixed(static_cast<double>(line.done) / 1e6, 1) + " of " +
            Fixed(static_cast<double>(line.total) / 1e6, 1) + " MB)";
  }
  return text;
}

}  // namespace quorvane::update

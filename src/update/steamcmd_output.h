#pragma once
// SteamCMD's console output: the byte stream cut into lines and each line
// told apart. Progress is rewritten in place with a bare CR and the text is
// coloured with ANSI escape sequences, so both are dealt with here.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane::update {

// Cuts a stream into lines at LF and at CR (a progress update rewritten in
// place), drops empty lines and escape sequences, even when a chunk ends in
// the middle of a sequence.
class LineSplitter {
 public:
  // A line longer than this is cut; the output is a program's, not the user's.
  static constexpr std::size_t kMaxLine = 4096;

  // The lines completed by `bytes`, without their ends.
  std::vector<std::string> Feed(std::string_view bytes);
  // The unfinished last line, if any, once the stream has ended.
  std::vector<std::string> Finish();

 private:
  enum class Escape { None, Start, Control, Text };
  void Take(char c, std::vector<std::string>& lines);
  void EndLine(std::vector<std::string>& lines);

  std::string m_line;
  Escape m_escape = Escape::None;
};

enum class LineKind {
  Other,
  StartUp,    // the client loading, logging in, checking for updates
  Progress,   // "Update state (0x61) downloading, progress: ..."
  Installed,  // "Success! App '90' fully installed."
  UpToDate,   // "Success! App '90' already up to date."
  Error,      // "Error! ...", "ERROR! ...", a failed login
};

struct OutputLine {
  LineKind kind = LineKind::Other;
  bool hasState = false;  // a state code was given (progress, "state is 0x202")
  std::uint32_t state = 0;
  double percent = 0;  // progress lines: 0 to 100
  std::uint64_t done = 0, total = 0;
  std::string text;  // the line as shown, blanks at both ends removed
};

// What one line (already cut and without escapes) says.
OutputLine ClassifyLine(std::string_view line);

// A state code in words: "downloading", "verifying install", ...; a code
// without a name is shown as "state 0x1f".
std::string StateWords(std::uint32_t state);

// The state text of a progress line: "downloading 45.2 % (117.7 of 260.3 MB)".
std::string DescribeProgress(const OutputLine& line);

}  // namespace quorvane::update

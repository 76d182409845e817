#include "install/settings_file.h"

#include "install/keep_previous.h"

namespace quorvane::install {
namespace {

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

// Moves past one line end (CR LF, LF or CR) at `pos`, if there is one.
void SkipLineEnd(std::string_view text, std::size_t& pos) {
  if (pos < text.size() && text[pos] == '\r')
    ++pos;
  else if (pos < text.size() && text[pos] == '\n') {
    ++pos;
    return;
  } else {
    return;
  }
  if (pos < text.size() && text[pos] == '\n') ++pos;
}

// After an item: past the comma or line end that closes it.
void SkipDelimiter(std::string_view text, std::size_t& pos) {
  if (pos < text.size() && text[pos] == ',')
    ++pos;
  else
    SkipLineEnd(text, pos);
}

}  // namespace

std::string ReadItem(std::string_view text, std::size_t& pos) {
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
  std::string item;
  if (pos < text.size() && text[pos] == '"') {
    ++pos;
    // An unclosed quote ends with its line so it cannot swallow the rest of the file.
    while (pos < text.size() && text[pos] != '"' && !IsLineEnd(text[pos])) item += text[pos++];
    if (pos < text.size() && text[pos] == '"') ++pos;
    // Text between the closing quote and the delimiter belongs to no item.
    while (pos < text.size() && text[pos] != ',' && !IsLineEnd(text[pos])) ++pos;
  } else {
    while (pos < text.size() && text[pos] != ',' && !IsLineEnd(text[pos])) item += text[pos++];
  }
  SkipDelimiter(text, pos);
  return item;
}

std::string ReadServerLocation(FileSystem& fs, const std::string& settingsPath) {
  const Read<std::string> content = fs.ReadFile(settingsPath);
  if (!content) return {};
  std::size_t pos = 0;
  return ReadItem(content.value(), pos);
}

IoResult SaveServerLocation(FileSystem& fs, const std::string& settingsPath, const std::string& gameDir) {
  // Quoted, a comma and leading blanks stay part of the location when it is read back.
  const bool quote = gameDir.find(',') != std::string::npos || gameDir.starts_with(' ') || gameDir.starts_with('\t');
  std::string line;
  line.reserve(gameDir.size() + 4);
  if (quote) line += '"';
  line += gameDir;
  if (quote) line += '"';
  line += "\r\n";
  return WriteKeepingPrevious(fs, settingsPath, line);
}

}  // namespace quorvane::install

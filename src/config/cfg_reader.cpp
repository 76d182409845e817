#include "config/cfg_reader.h"

#include <cstring>

#include "config/field_catalogue.h"
#include "config/number_text.h"

namespace quorvane::config {
namespace {

std::string_view TrimSpaces(std::string_view s) {
  std::size_t begin = 0;
  std::size_t end = s.size();
  while (begin < end && s[begin] == ' ') ++begin;
  while (end > begin && s[end - 1] == ' ') --end;
  return s.substr(begin, end - begin);
}

void ParseLine(std::string_view line, FieldUpdates& updates) {
  std::size_t start = 0;
  while (start < line.size() && (line[start] == ' ' || line[start] == '\t')) ++start;
  line.remove_prefix(start);
  std::size_t quote = line.find('"');
  if (quote == std::string_view::npos) return;

  // Only spaces are trimmed here; the tabs that align the value are still on
  // the name, which ends at the first of them.
  std::string_view name = TrimSpaces(line.substr(0, quote));
  if (std::size_t tab = name.find('\t'); tab != std::string_view::npos) name = name.substr(0, tab);
  if (name.empty()) return;

  const ConfigField* field = FieldCatalogue::Find(name);
  if (field == nullptr) return;

  // Whatever stands last is taken for the closing quote and dropped.
  std::string_view value = TrimSpaces(line.substr(quote + 1));
  if (!value.empty()) value.remove_suffix(1);

  if (field->kind == FieldKind::Text) {
    updates.SetText(FieldIndex(*field), std::string(value));
    return;
  }
  std::optional<int> state = RoundToInt(LeadingNumber(value));
  if (state && *state >= 0 && *state <= 2) updates.SetCheck(FieldIndex(*field), *state);
}

}  // namespace

FieldUpdates ParseCfgText(std::string_view bytes) {
  FieldUpdates updates;
  const char* const data = bytes.data();
  const std::size_t size = bytes.size();
  std::size_t pos = 0;
  while (pos < size) {
    std::size_t end = pos;
    while (end < size && data[end] != '\n' && data[end] != '\r') ++end;
    // Most lines carry no quote at all (comments, commands), so the quick test
    // keeps them out of the line handling.
    if (std::memchr(data + pos, '"', end - pos) != nullptr) ParseLine(std::string_view(data + pos, end - pos), updates);
    if (end < size && data[end] == '\r' && end + 1 < size && data[end + 1] == '\n')
      pos = end + 2;
    else
      pos = end + 1;
  }
  return updates;
}

install::Read<FieldUpdates> LoadCfgFile(install::FileSystem& fs, const std::string& path) {
  const install::Read<std::string> read = fs.ReadFile(path);
  if (!read) return read.status();
  return ParseCfgText(read.value());
}

}  // namespace quorvane::config

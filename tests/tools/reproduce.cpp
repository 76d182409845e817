// Tells whether a file is one the program's own writer produces from what its
// reader makes of that file: reads it, writes it back in memory and compares
// byte for byte. Exit code 0: reproduced; 1: not (the first difference is
// printed); 2: the file cannot be read or the kind is unknown.
// Usage: quorvane_reproduce server|listenserver|autoexec|mapcycle|motd FILE
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "config/cfg_reader.h"
#include "config/cfg_writer.h"
#include "config/field_values.h"
#include "config/resets.h"
#include "maps/map_cycle.h"
#include "maps/motd.h"
#include "support/memory_file_system.h"

namespace {

using quorvane::config::FieldValues;

// What the writers would make of the file's bytes: the full writer and, where
// the workspace load writes one, the basic file.
std::vector<std::string> Rewritten(const std::string& kind, const std::string& bytes) {
  FieldValues fields;
  quorvane::config::ApplyServerDefaults(fields);
  quorvane::config::ApplyAutoexecDefaults(fields);
  quorvane::config::ParseCfgText(bytes).ApplyTo(fields);
  if (kind == "server") return {ServerCfgText(fields), BasicServerCfgText(fields)};
  if (kind == "listenserver") return {ListenServerCfgText(fields)};
  if (kind == "autoexec") return {AutoexecCfgText(fields), BasicAutoexecCfgText(fields)};

  quorvane::test_support::MemoryFileSystem files;
  files.AddFile("C:\\in", bytes);
  if (kind == "mapcycle") {
    const quorvane::install::Read<std::vector<std::string>> entries = quorvane::maps::LoadMapCycle(files, "C:\\in");
    if (!entries) return {};
    if (!quorvane::maps::SaveMapCycle(files, "C:\\out", entries.value())) return {};
  } else if (kind == "motd") {
    const quorvane::install::Read<std::string> text = quorvane::maps::LoadMotd(files, "C:\\in");
    if (!text) return {};
    if (!quorvane::maps::SaveMotd(files, "C:\\out", text.value())) return {};
  } else {
    return {};
  }
  return {files.Bytes("C:\\out").value_or(std::string())};
}

// The line of `text` that holds byte `at`, with unprintable bytes escaped.
std::string LineAt(const std::string& text, std::size_t at) {
  const std::size_t begin = at == 0 ? 0 : text.rfind('\n', at - 1) + 1;
  const std::size_t end = std::min(text.find('\n', at), text.size());
  std::string shown;
  for (std::size_t i = begin; i < end && shown.size() < 200; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, c >= 0x20 && c < 0x7f ? "%c" : "\\x%02x", c);
    shown += escaped;
  }
  return shown;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s server|listenserver|autoexec|mapcycle|motd FILE\n", argv[0]);
    return 2;
  }
  std::ifstream in(argv[2], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "%s: cannot be read\n", argv[2]);
    return 2;
  }
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const std::vector<std::string> candidates = Rewritten(argv[1], bytes);
  if (candidates.empty()) {
    std::fprintf(stderr, "%s: unknown kind %s\n", argv[2], argv[1]);
    return 2;
  }
  std::size_t best = 0;
  const std::string* closest = &candidates.front();
  for (const std::string& out : candidates) {
    if (out == bytes) return 0;
    std::size_t same = 0;
    while (same < out.size() && same < bytes.size() && out[same] == bytes[same]) ++same;
    if (same >= best) {
      best = same;
      closest = &out;
    }
  }
  std::printf("%s: the writer does not reproduce it; first difference at byte %zu\n", argv[2], best);
  std::printf("  file:   %s\n  writer: %s\n", LineAt(bytes, best).c_str(), LineAt(*closest, best).c_str());
  return 1;
}

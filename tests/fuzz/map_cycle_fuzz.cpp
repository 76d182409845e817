// Any bytes as mapcycle.txt: every entry is a piece of one line, and a cycle
// of plain names (no delimiter, quote or leading blank) survives a write and a re-read.
#include <cstdint>
#include <string>
#include <vector>

#include "maps/map_cycle.h"
#include "support/memory_file_system.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const char* path = "C:\\HL\\Tfc\\mapcycle.txt";
  quorvane::test_support::MemoryFileSystem fs;
  fs.AddFile(path, std::string(reinterpret_cast<const char*>(data), size));
  const quorvane::install::Read<std::vector<std::string>> read = quorvane::maps::LoadMapCycle(fs, path);
  if (!read) __builtin_trap();
  const std::vector<std::string>& entries = read.value();
  std::size_t characters = 0;
  bool plain = true;
  for (const std::string& entry : entries) {
    if (entry.find_first_of("\r\n") != std::string::npos || (characters += entry.size()) > size) __builtin_trap();
    plain =
        plain && entry.find_first_of(",\"") == std::string::npos && !entry.starts_with(' ') && !entry.starts_with('\t');
  }
  if (entries.size() > size) __builtin_trap();
  if (!quorvane::maps::SaveMapCycle(fs, path, entries).ok) __builtin_trap();
  const quorvane::install::Read<std::vector<std::string>> again = quorvane::maps::LoadMapCycle(fs, path);
  if (!again || (plain && again.value() != entries)) __builtin_trap();
  return 0;
}

// Any bytes as mapcycle.txt: every entry is a piece of one line, and a cycle
// of plain names survives a write and a re-read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "maps/map_cycle.h"
#include "support/memory_file_system.h"

namespace {

using quorvane::test_support::MemoryFileSystem;
namespace maps = quorvane::maps;

constexpr const char* kPath = "C:\\HL\\Tfc\\mapcycle.txt";

void Require(bool condition) {
  if (!condition) std::abort();
}

// A name the file format carries as it is: no delimiter, no quote, no leading blank.
bool Plain(const std::string& entry) {
  return entry.find_first_of(",\"\r\n") == std::string::npos && !entry.starts_with(' ') && !entry.starts_with('\t');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  MemoryFileSystem fs;
  fs.AddFile(kPath, std::string(reinterpret_cast<const char*>(data), size));

  std::vector<std::string> entries{"left over"};
  Require(maps::LoadMapCycle(fs, kPath, entries).ok);
  Require(entries.size() <= size);
  std::size_t characters = 0;
  bool plain = true;
  for (const std::string& entry : entries) {
    Require(entry.find_first_of("\r\n") == std::string::npos);
    characters += entry.size();
    plain = plain && Plain(entry);
  }
  Require(characters <= size);

  Require(maps::SaveMapCycle(fs, kPath, entries).ok);
  std::vector<std::string> again;
  Require(maps::LoadMapCycle(fs, kPath, again).ok);
  if (plain) Require(again == entries);
  return 0;
}

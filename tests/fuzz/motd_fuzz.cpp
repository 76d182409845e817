// Any bytes as motd.txt: the message is the file less at most one line end,
// and every write and re-read gives the same message back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "maps/motd.h"
#include "support/memory_file_system.h"

namespace {

using quorvane::test_support::MemoryFileSystem;
namespace maps = quorvane::maps;

constexpr const char* kPath = "C:\\HL\\Tfc\\motd.txt";

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  MemoryFileSystem fs;
  fs.AddFile(kPath, bytes);

  std::string text = "before";
  Require(maps::LoadMotd(fs, kPath, text).ok);
  Require(bytes.starts_with(text));
  Require(bytes.size() - text.size() <= 2);

  Require(maps::SaveMotd(fs, kPath, text).ok);
  Require(fs.Bytes(kPath) == text + "\r\n");
  std::string again;
  Require(maps::LoadMotd(fs, kPath, again).ok);
  Require(again == text);
  return 0;
}

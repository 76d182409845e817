// Any bytes as motd.txt: the message is the file less at most one line end,
// and every write and re-read gives the same message back.
#include <cstdint>
#include <string>

#include "maps/motd.h"
#include "support/memory_file_system.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const char* path = "C:\\HL\\Tfc\\motd.txt";
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  quorvane::test_support::MemoryFileSystem fs;
  fs.AddFile(path, bytes);
  const quorvane::install::Read<std::string> read = quorvane::maps::LoadMotd(fs, path);
  if (!read) __builtin_trap();
  const std::string& text = read.value();
  if (!bytes.starts_with(text) || bytes.size() - text.size() > 2) __builtin_trap();
  if (!quorvane::maps::SaveMotd(fs, path, text).ok || fs.Bytes(path) != text + "\r\n") __builtin_trap();
  const quorvane::install::Read<std::string> again = quorvane::maps::LoadMotd(fs, path);
  if (!again || again.value() != text) __builtin_trap();
  return 0;
}

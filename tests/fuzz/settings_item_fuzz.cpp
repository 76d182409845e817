// Any bytes as the settings file: the item reader always moves forward and an
// item is a piece of one line, the location is the first item, and a location
// read back from a file the program saved is the one it saved.
#include <cstdint>
#include <string>

#include "install/settings_file.h"
#include "support/memory_file_system.h"

using namespace quorvane::install;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const char* path = "C:\\Quorvane\\Quorvane.ini";
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  for (std::size_t pos = 0; pos < bytes.size();) {
    const std::size_t before = pos;
    const std::string item = ReadItem(bytes, pos);
    if (pos <= before || pos > bytes.size() || item.size() > pos - before ||
        item.find_first_of("\r\n") != std::string::npos)
      __builtin_trap();
  }
  quorvane::test_support::MemoryFileSystem fs;
  fs.AddFile(path, bytes);
  const std::string location = ReadServerLocation(fs, path);
  std::size_t start = 0;
  if (location != ReadItem(bytes, start) || !SaveServerLocation(fs, path, location).ok ||
      ReadServerLocation(fs, path) != location)
    __builtin_trap();
  return 0;
}

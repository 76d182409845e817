// Any bytes as the settings file, read through the in-memory file system:
// the location is one line's item, the item reader always moves forward, and
// a location read back from a file the program saved is the one it saved.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "install/settings_file.h"
#include "support/memory_file_system.h"

namespace {

using quorvane::test_support::MemoryFileSystem;
namespace install = quorvane::install;

constexpr const char* kPath = "C:\\Quorvane\\Quorvane.ini";

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);

  std::size_t pos = 0;
  std::size_t items = 0;
  while (pos < bytes.size()) {
    const std::size_t before = pos;
    const std::string item = install::ReadItem(bytes, pos);
    Require(pos > before && pos <= bytes.size());
    Require(item.size() <= pos - before);
    Require(item.find_first_of("\r\n") == std::string::npos);
    ++items;
  }
  Require(items <= bytes.size());

  MemoryFileSystem fs;
  fs.AddFile(kPath, bytes);
  const std::string location = install::ReadServerLocation(fs, kPath);
  std::size_t start = 0;
  Require(location == install::ReadItem(bytes, start));

  Require(install::SaveServerLocation(fs, kPath, location).ok);
  Require(install::ReadServerLocation(fs, kPath) == location);
  return 0;
}

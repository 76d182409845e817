#include <windows.h>

#include <system_error>

#include "support/real_faults.h"

namespace quorvane::test_support {

std::string SetImmutable(const std::filesystem::path& path, bool on) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) return "a directory cannot be made unwritable with its attributes";
  if (SetFileAttributesW(path.c_str(), on ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL)) return {};
  return "cannot make " + path.string() + " read-only: error " + std::to_string(GetLastError());
}

}  // namespace quorvane::test_support

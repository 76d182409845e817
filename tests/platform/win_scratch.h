#pragma once
// A temporary directory for the Windows platform tests, named in the program's
// own path text (ANSI, backslashes), removed with everything in it.
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "platform/win32_api.h"

namespace quorvane::platform::testing {

class WinScratch {
  std::string m_path;

 public:
  WinScratch() {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    static int serial = 0;
    // Wine hides names that start with a dot, so none of ours does.
    m_path = std::string(temp) + "quorvane test " + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
    CreateDirectoryA(m_path.c_str(), nullptr);
  }
  // Read-only attributes would stop the removal; they go first.
  ~WinScratch() {
    std::error_code ec;
    for (const auto& e : std::filesystem::recursive_directory_iterator(m_path, ec)) {
      SetFileAttributesW(e.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    std::filesystem::remove_all(m_path, ec);
  }
  const std::string& Path() const { return m_path; }
  std::string operator/(std::string_view relative) const { return m_path + "\\" + std::string(relative); }
  std::string MakeFile(std::string_view relative, std::string_view bytes = "", DWORD attributes = 0) const {
    std::ofstream(*this / relative, std::ios::binary) << bytes;
    if (attributes != 0) SetFileAttributesA((*this / relative).c_str(), attributes);
    return *this / relative;
  }
};

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace quorvane::platform::testing

#pragma once
// Helpers for the Windows platform tests: a temporary directory named in the
// program's own path text (ANSI, backslashes), removed when the test ends.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "platform/win32_api.h"

namespace quorvane::platform::testing {

class WinScratch {
 public:
  WinScratch() {
    char temp[MAX_PATH];
    const DWORD length = GetTempPathA(MAX_PATH, temp);
    if (length == 0 || length >= MAX_PATH) return;
    // Wine hides names that start with a dot, so none of ours does.
    std::string base = std::string(temp) + "quorvane test " + std::to_string(GetCurrentProcessId()) + "-";
    static int serial = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
      const std::string candidate = base + std::to_string(++serial);
      if (CreateDirectoryA(candidate.c_str(), nullptr)) {
        m_path = candidate;
        return;
      }
    }
  }
  ~WinScratch() {
    if (!m_path.empty()) RemoveTree(m_path);
  }
  WinScratch(const WinScratch&) = delete;
  WinScratch& operator=(const WinScratch&) = delete;

  const std::string& Path() const { return m_path; }
  std::string operator/(std::string_view relative) const { return m_path + "\\" + std::string(relative); }

  std::string MakeDir(std::string_view relative) const {
    const std::string p = *this / relative;
    CreateDirectoryA(p.c_str(), nullptr);
    return p;
  }
  std::string MakeFile(std::string_view relative, std::string_view bytes = "", DWORD attributes = 0) const {
    const std::string p = *this / relative;
    HANDLE h = CreateFileA(p.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE) << p;
    if (h == INVALID_HANDLE_VALUE) return p;
    DWORD wrote = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr);
    CloseHandle(h);
    if (attributes != 0) {
      EXPECT_TRUE(SetFileAttributesA(p.c_str(), attributes)) << p;
    }
    return p;
  }

 private:
  // Read-only and hidden attributes would stop the removal; clear them first.
  static void RemoveTree(const std::string& dir) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        const std::string p = dir + "\\" + name;
        SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveTree(p);
        } else {
          DeleteFileA(p.c_str());
        }
      } while (FindNextFileA(search, &found));
      FindClose(search);
    }
    RemoveDirectoryA(dir.c_str());
  }

  std::string m_path;
};

inline std::string ReadAll(const std::string& path) {
  std::string bytes;
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return bytes;
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(h);
  return bytes;
}

}  // namespace quorvane::platform::testing

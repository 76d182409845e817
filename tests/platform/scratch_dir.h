#pragma once
// A temporary directory for tests that touch the real disk, removed with
// everything in it when the test ends.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace quorvane::platform::testing {

class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quorvane-test-XXXXXX").string();
    if (::mkdtemp(pattern.data())) m_path = pattern;
  }
  ~ScratchDir() {
    std::error_code ec;
    if (!m_path.empty()) std::filesystem::remove_all(m_path, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& Path() const { return m_path; }
  std::string Text() const { return m_path.string(); }

  std::filesystem::path MakeDir(std::string_view relative) const {
    std::filesystem::create_directories(m_path / relative);
    return m_path / relative;
  }
  std::filesystem::path MakeFile(std::string_view relative, std::string_view bytes = "") const {
    std::filesystem::create_directories((m_path / relative).parent_path());
    std::ofstream(m_path / relative, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return m_path / relative;
  }

 private:
  std::filesystem::path m_path;
};

inline std::string Slurp(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace quorvane::platform::testing

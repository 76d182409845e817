#pragma once
// A temporary directory for tests that touch the real disk, removed with
// everything in it when the test ends.
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace quorvane::platform::testing {

class ScratchDir {
  std::filesystem::path m_path;
  std::error_code m_error;

 public:
  ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quorvane-test-XXXXXX").string();
    if (::mkdtemp(pattern.data())) m_path = pattern;
  }
  ~ScratchDir() { std::filesystem::remove_all(m_path, m_error); }
  const std::filesystem::path& Path() const { return m_path; }
  std::string Text() const { return m_path.string(); }
  std::filesystem::path MakeDir(const std::string& relative) const {
    std::filesystem::create_directories(m_path / relative);
    return m_path / relative;
  }
  std::filesystem::path MakeFile(const std::string& relative, const std::string& bytes = "") const {
    std::filesystem::create_directories((m_path / relative).parent_path());
    std::ofstream(m_path / relative, std::ios::binary) << bytes;
    return m_path / relative;
  }
};

inline std::string Slurp(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace quorvane::platform::testing

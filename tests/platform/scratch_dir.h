#pragma once
// A temporary directory for tests that touch the real disk, removed with
// everything in it when the test ends. Its name has a blank (paths are never
// quoted on their way) and no leading dot (Wine hides such names).
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace quorvane::platform::testing {

class ScratchDir {
  std::filesystem::path m_path;
  std::error_code m_error;

 public:
  ScratchDir() {
    long long n = std::chrono::steady_clock::now().time_since_epoch().count();
    do m_path = std::filesystem::temp_directory_path() / ("quorvane test " + std::to_string(n++));
    while (!std::filesystem::create_directory(m_path, m_error) && !m_error);
  }
  ~ScratchDir() { std::filesystem::remove_all(m_path, m_error); }
  const std::filesystem::path& Path() const { return m_path; }
  std::string Text() const { return m_path.string(); }
  // A file holding `bytes`, or a directory when `relative` ends in a slash; with its parents.
  std::filesystem::path Make(const std::string& relative, const std::string& bytes = "") const {
    std::filesystem::create_directories((m_path / relative).parent_path());
    if (!relative.ends_with('/')) std::ofstream(m_path / relative, std::ios::binary) << bytes;
    return m_path / relative;
  }
};

// A path as this machine's own text (UTF-8) on every system, and back.
inline std::string Utf8(const std::filesystem::path& p) {
  const std::u8string text = p.u8string();
  return {text.begin(), text.end()};
}
inline std::filesystem::path FromUtf8(std::string_view text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

inline std::string Slurp(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace quorvane::platform::testing

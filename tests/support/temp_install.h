#pragma once
// A game installation on the real file system, in a directory of its own
// that goes away with the object.
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

namespace quorvane::test_support {

class TempInstall {
 public:
  TempInstall() {
    std::random_device rd;
    m_root = std::filesystem::temp_directory_path() / ("quorvane-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(m_root / "hl");
  }
  ~TempInstall() {
    std::error_code ec;
    std::filesystem::remove_all(m_root, ec);
  }
  TempInstall(const TempInstall&) = delete;
  TempInstall& operator=(const TempInstall&) = delete;

  // The installation directory as GameDir text (no closing separator).
  std::string GameDir() const { return (m_root / "hl").string(); }
  std::filesystem::path Path(std::string_view relative) const { return m_root / "hl" / relative; }

  void Write(std::string_view relative, std::string_view bytes) const {
    const std::filesystem::path p = Path(relative);
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  void MakeDir(std::string_view relative) const { std::filesystem::create_directories(Path(relative)); }
  bool Exists(std::string_view relative) const { return std::filesystem::exists(Path(relative)); }
  std::string Read(std::string_view relative) const {
    std::ifstream in(Path(relative), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

 private:
  std::filesystem::path m_root;
};

}  // namespace quorvane::test_support

#pragma once
// A file or directory made unchangeable for as long as the object lives; ok()
// says whether that worked, error() why not. On Linux the immutable attribute
// (needs root). On Windows a file gets the read-only attribute, which the
// program refuses to write through; a directory's attribute does not keep
// files from being made in it, so a directory is reported as not done.
#include <filesystem>
#include <string>

namespace quorvane::test_support {

// Why the attribute could not be set or cleared; empty when it was. One
// definition per system (real_faults_posix.cpp, real_faults_win.cpp), so no
// system header reaches the tests.
std::string SetImmutable(const std::filesystem::path& path, bool on);

class Immutable {
 public:
  explicit Immutable(std::filesystem::path path) : m_path(std::move(path)), m_error(SetImmutable(m_path, true)) {}
  ~Immutable() {
    if (ok()) (void)SetImmutable(m_path, false);
  }
  Immutable(const Immutable&) = delete;
  bool ok() const { return m_error.empty(); }
  const std::string& error() const { return m_error; }

 private:
  std::filesystem::path m_path;
  std::string m_error;
};

}  // namespace quorvane::test_support

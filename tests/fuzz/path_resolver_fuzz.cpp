// Any path text against a small installation on disk: resolving it never
// crashes, never builds a doubled separator, keeps a path under GameDir
// inside GameDir, reaches an existing entry by every spelling of the text,
// and never creates, removes or renames anything.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

#include "platform/path_resolver.h"

namespace fs = std::filesystem;
static fs::path g_root;

static std::set<std::string> Snapshot() {
  std::set<std::string> entries;
  for (const auto& entry : fs::recursive_directory_iterator(g_root)) entries.insert(entry.path().string());
  return entries;
}
static std::set<std::string> g_tree;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::string pattern = (fs::temp_directory_path() / "quorvane-fuzz-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) std::abort();
  g_root = pattern;
  std::atexit([] { fs::remove_all(g_root); });
  // Two names that differ in case only, a high byte, a dangling link and a drive in the prefix.
  for (const char* dir : {"hl/tfc/maps", "hl/Sound", "hl/sound", "hl/\xC3\xA9quipe", "prefix/dosdevices"})
    fs::create_directories(g_root / dir);
  std::ofstream(g_root / "hl/tfc/MapCycle.txt") << "2fort\r\n";
  fs::create_symlink(g_root / "nowhere", g_root / "hl/tfc/dangling");
  fs::create_directory_symlink(g_root / "hl", g_root / "prefix/dosdevices/c:");
  // Relative text starts in the installation.
  if (::chdir((g_root / "hl").c_str()) != 0) std::abort();
  g_tree = Snapshot();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte chooses: under GameDir as the program builds its paths, or the text alone.
  const bool underGameDir = (data[0] & 1) == 0;
  const std::string input(reinterpret_cast<const char*>(data) + 1, size - 1), gameDir = (g_root / "hl").string();
  const std::string native =
      quorvane::platform::ResolvePath(underGameDir ? gameDir + "\\" + input : input, g_root / "prefix").string();
  if (native.empty() || native.find("//") != std::string::npos) __builtin_trap();
  if ((underGameDir && input.find("..") == std::string::npos && !native.starts_with(gameDir)) || Snapshot() != g_tree)
    __builtin_trap();
  struct stat st {};
  if (native.find('\0') == std::string::npos && ::lstat(native.c_str(), &st) == 0) {
    std::string shouted = input;
    for (char& c : shouted) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    const std::string again =
        quorvane::platform::ResolvePath(underGameDir ? gameDir + "\\" + shouted : shouted, g_root / "prefix").string();
    if (again != native) __builtin_trap();
  }
  return 0;
}

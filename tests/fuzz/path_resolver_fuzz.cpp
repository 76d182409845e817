// Any path text against a small installation on disk: resolving it never
// crashes, never builds a doubled separator, keeps a path under GameDir
// inside GameDir, and never creates, removes or renames anything.
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "platform/path_resolver.h"

namespace {

namespace fs = std::filesystem;
fs::path g_root;
std::set<std::string> g_tree;

std::set<std::string> Snapshot() {
  std::set<std::string> entries;
  for (const auto& entry : fs::recursive_directory_iterator(g_root))
    entries.insert(entry.path().string() + (entry.is_directory() ? "/" : ""));
  return entries;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::string pattern = (fs::temp_directory_path() / "quorvane-fuzz-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) std::abort();
  g_root = pattern;
  std::atexit([] { fs::remove_all(g_root); });
  for (const char* dir : {"hl/tfc/maps", "hl/valve", "hl/Sound", "hl/sound", "hl/\xC3\xA9quipe", "prefix/dosdevices"})
    fs::create_directories(g_root / dir);
  std::ofstream(g_root / "hl/tfc/MapCycle.txt") << "2fort\r\n";
  std::ofstream(g_root / "hl/tfc/maps/2fort.bsp");
  fs::create_symlink(g_root / "hl/tfc/MapCycle.txt", g_root / "hl/tfc/cycle-link");
  fs::create_symlink(g_root / "nowhere", g_root / "hl/tfc/dangling");
  fs::create_directory_symlink(g_root / "hl", g_root / "prefix/dosdevices/c:");
  ::mkfifo((g_root / "hl/tfc/pipe").c_str(), 0600);
  // Relative text starts in the installation.
  if (::chdir((g_root / "hl").c_str()) != 0) std::abort();
  g_tree = Snapshot();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::string gameDir = (g_root / "hl").string();
  // The first byte chooses: under GameDir as the program builds its paths, or the text alone.
  const bool underGameDir = (data[0] & 1) == 0;
  const std::string native =
      quorvane::platform::ResolvePath(underGameDir ? gameDir + "\\" + input : input, g_root / "prefix").string();
  if (native.empty() || native.find("//") != std::string::npos) __builtin_trap();
  if (underGameDir && input.find("..") == std::string::npos && !native.starts_with(gameDir)) __builtin_trap();
  if (Snapshot() != g_tree) __builtin_trap();
  return 0;
}

// Any path text against a small installation on disk: resolving it never
// crashes, never builds a doubled separator, keeps a path under GameDir
// inside GameDir, and never creates, removes or renames anything.
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <string_view>

#include "platform/path_resolver.h"

namespace {

namespace fs = std::filesystem;

fs::path g_root;
std::set<std::string> g_tree;

void Require(bool condition) {
  if (!condition) std::abort();
}

std::set<std::string> Snapshot() {
  std::set<std::string> entries;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(g_root, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    entries.insert(it->path().string() + (it->is_directory(ec) ? "/" : ""));
  }
  return entries;
}

void RemoveTree() {
  std::error_code ec;
  fs::remove_all(g_root, ec);
}

bool HasParentStep(std::string_view text) {
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] == '.' && text[i + 1] == '.') return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::string pattern = (fs::temp_directory_path() / "quorvane-fuzz-XXXXXX").string();
  Require(::mkdtemp(pattern.data()) != nullptr);
  g_root = pattern;
  std::atexit(RemoveTree);
  fs::create_directories(g_root / "hl/tfc/maps");
  fs::create_directories(g_root / "hl/valve");
  fs::create_directories(g_root / "hl/Sound");
  fs::create_directories(g_root / "hl/sound");
  fs::create_directories(g_root / "hl/\xC3\xA9quipe");
  fs::create_directories(g_root / "prefix/dosdevices");
  std::ofstream(g_root / "hl/tfc/MapCycle.txt") << "2fort\r\n";
  std::ofstream(g_root / "hl/tfc/maps/2fort.bsp");
  fs::create_symlink(g_root / "hl/tfc/MapCycle.txt", g_root / "hl/tfc/cycle-link");
  fs::create_symlink(g_root / "nowhere", g_root / "hl/tfc/dangling");
  fs::create_directory_symlink(g_root / "hl", g_root / "prefix/dosdevices/c:");
  ::mkfifo((g_root / "hl/tfc/pipe").c_str(), 0600);
  // Relative text starts in the installation.
  Require(::chdir((g_root / "hl").c_str()) == 0);
  g_tree = Snapshot();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::string gameDir = (g_root / "hl").string();
  const fs::path prefix = g_root / "prefix";

  // The first byte chooses: under GameDir as the program builds its paths, or the text alone.
  const bool underGameDir = (data[0] & 1) == 0;
  const std::string text = underGameDir ? gameDir + "\\" + std::string(input) : std::string(input);
  const std::string native = quorvane::platform::ResolvePath(text, prefix).string();

  Require(!native.empty());
  Require(native.find("//") == std::string::npos);
  if (underGameDir && !HasParentStep(input)) Require(native.starts_with(gameDir));
  Require(Snapshot() == g_tree);
  return 0;
}

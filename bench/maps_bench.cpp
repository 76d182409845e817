// The map catalogue of a large maps directory, read from the real disk:
// the listing, the names and the sort that fill the available-maps list.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "maps/map_catalogue.h"
#include "platform/file_system.h"

namespace {

namespace fs = std::filesystem;

// A game directory whose Tfc\Maps holds `count` files: maps with their
// briefings and a few custom-map companions, in mixed letter case.
class MapsTree {
 public:
  explicit MapsTree(int count) {
    std::string pattern = (fs::temp_directory_path() / "quorvane-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) return;
    m_root = pattern;
    const fs::path maps = m_root / "tfc" / "maps";
    fs::create_directories(maps);
    static const char* const kExtensions[] = {".bsp", ".txt", ".res", ".ent"};
    for (int i = 0; i < count; ++i) {
      const std::string name = (i % 3 == 0 ? "Map_" : "map_") + std::to_string((i / 4) * 7919 % 100000);
      std::ofstream(maps / (name + kExtensions[i % 4]));
    }
  }
  ~MapsTree() {
    std::error_code ec;
    if (!m_root.empty()) fs::remove_all(m_root, ec);
  }
  std::string GameDir() const { return m_root.string(); }
  bool ok() const { return !m_root.empty(); }

 private:
  fs::path m_root;
};

void BM_ScanMaps(benchmark::State& state) {
  const MapsTree tree(static_cast<int>(state.range(0)));
  if (!tree.ok()) {
    state.SkipWithError("cannot create a temporary directory");
    return;
  }
  quorvane::platform::NativeFileSystem files;
  std::size_t entries = 0;
  for (auto _ : state) {
    auto names = quorvane::maps::ScanMaps(files, tree.GameDir());
    entries = names.size();
    benchmark::DoNotOptimize(names.data());
  }
  if (entries != static_cast<std::size_t>(state.range(0)) + quorvane::maps::kStandardMaps.size()) {
    state.SkipWithError("the catalogue does not hold one entry per file");
  }
  state.counters["entries"] = static_cast<double>(entries);
}
BENCHMARK(BM_ScanMaps)->Arg(200)->Arg(2000)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

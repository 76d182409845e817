// Start-up load of a large installation: 2,000 map files and configuration
// files of the size real servers carry. Message boxes and timers are not part
// of it: the load returns what the window would show.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "app/workspace.h"
#include "config/field_catalogue.h"
#include "config/field_values.h"
#include "platform/file_system.h"

namespace {

void Write(const std::filesystem::path& p, const std::string& bytes) {
  std::filesystem::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << bytes;
}

// A hand-kept server.cfg: every field, comments, blank lines and commands.
std::string ConfigText(unsigned fileBit) {
  std::string text = "// my server\n// //\n\n";
  for (const quorvane::config::ConfigField* f : quorvane::config::FieldCatalogue::InFile(fileBit)) {
    text += std::string(f->name) + "\t\t\"" + std::string(f->defaultValue) + "\"\n";
    text += "// " + std::string(f->name) + " was changed for the league\n";
  }
  text += "heartbeat\nexec listip.cfg\nrcon_password \"secret\"\n";
  return text;
}

struct Installation {
  Installation() {
    std::random_device rd;
    root = std::filesystem::temp_directory_path() / ("quorvane-bench-" + std::to_string(rd()));
    Write(root / "valve/autoexec.cfg", ConfigText(quorvane::config::kFileAutoexec));
    Write(root / "tfc/server.cfg", ConfigText(quorvane::config::kFileServer));
    std::string cycle;
    for (int i = 0; i < 2000; ++i) {
      const std::string name = "custom_map_" + std::to_string(i);
      Write(root / "tfc/maps" / (name + (i % 2 ? ".bsp" : ".txt")), "x");
      if (i % 20 == 0) cycle += name + "\n";
    }
    Write(root / "tfc/mapcycle.txt", cycle);
    Write(root / "tfc/motd.txt", std::string(4000, 'm'));
  }
  ~Installation() {
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
  }
  std::filesystem::path root;
};

void BM_LoadWorkspace(benchmark::State& state) {
  Installation install;
  quorvane::platform::NativeFileSystem fs;
  for (auto _ : state) {
    std::size_t messages = 0;
    const quorvane::app::WorkspaceView view =
        quorvane::app::LoadWorkspace(fs, install.root.string(), {}, [&](const std::string&) { ++messages; });
    if (!view.report.ok() || messages != 0 || view.startingMaps.size() != 2006 || view.availableMaps.size() != 2006)
      state.SkipWithError("installation not loaded whole");
    benchmark::DoNotOptimize(view.mapCycle);
  }
}
BENCHMARK(BM_LoadWorkspace)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// Soak: write every file the program writes, read it back, write again from
// what was read, many thousand times on the real disk. Every generation must
// equal the first byte for byte, and memory must stay flat.
// Usage: soak_bench [CYCLES]   (10 000 by default)
#include <stdlib.h>
#include <sys/resource.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "config/cfg_reader.h"
#include "config/cfg_writer.h"
#include "config/field_values.h"
#include "config/resets.h"
#include "maps/map_cycle.h"
#include "maps/motd.h"
#include "platform/file_system.h"

namespace {

using namespace quorvane;
namespace fs = std::filesystem;

long PeakRssKib() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// Takes a read's value when it succeeded.
template <typename T>
bool ReadInto(install::Read<T> read, T& into) {
  if (!read) return false;
  into = std::move(read).value();
  return true;
}

// Lays a configuration file's updates over `into` when it could be read.
bool RereadInto(install::FileSystem& disk, const std::string& path, config::FieldValues& into) {
  const install::Read<config::FieldUpdates> updates = config::LoadCfgFile(disk, path);
  if (!updates) return false;
  updates.value().ApplyTo(into);
  return true;
}

}  // namespace

int main(int argc, char* argv[]) {
  const long cycles = argc > 1 ? std::atol(argv[1]) : 10000;
  std::string pattern = (fs::temp_directory_path() / "quorvane-soak-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) {
    std::perror("mkdtemp");
    return 1;
  }
  const fs::path root = pattern;
  fs::create_directories(root / "hl/tfc");
  fs::create_directories(root / "hl/valve");
  const std::string gameDir = (root / "hl").string();
  const std::string cycleFile = gameDir + "\\Tfc\\mapcycle.txt";
  const std::string motdFile = gameDir + "\\Tfc\\motd.txt";
  const std::array<std::string, 5> files{gameDir + "\\Tfc\\server.cfg", gameDir + "\\Tfc\\listenserver.cfg",
                                         gameDir + "\\Valve\\autoexec.cfg", cycleFile, motdFile};

  platform::NativeFileSystem disk;
  config::FieldValues fields;
  config::ApplyServerDefaults(fields);
  config::ApplyAutoexecDefaults(fields);
  fields.SetText("port", "27016");
  fields.SetText("hostname", "Soak \"quoted\", comma \xE9t\xE9");
  fields.SetCheck("sv_lan", 2);
  std::vector<std::string> cycle{"2fort", "well", "", "rock2", "my.map", "dustbowl"};
  std::string motd = "Welcome to the soak\r\n\r\n<b>TFC</b> \xA9";

  std::array<std::string, 5> first;
  long rssAfterWarmUp = 0;
  const auto start = std::chrono::steady_clock::now();
  for (long n = 0; n < cycles; ++n) {
    bool ok = config::WriteServerCfg(disk, gameDir, fields).ok && config::WriteAutoexecCfg(disk, gameDir, fields).ok &&
              maps::SaveMapCycle(disk, cycleFile, cycle).ok && maps::SaveMotd(disk, motdFile, motd).ok;
    for (std::size_t i = 0; ok && i < files.size(); ++i) {
      const install::Read<std::string> read = disk.ReadFile(files[i]);
      ok = read.ok();
      const std::string& bytes = read.value();
      if (n == 0)
        first[i] = bytes;
      else if (bytes != first[i]) {
        std::fprintf(stderr, "cycle %ld: %s differs from the first write\n", n, files[i].c_str());
        return 1;
      }
    }
    if (!ok) {
      std::fprintf(stderr, "cycle %ld: a write or read failed\n", n);
      return 1;
    }
    // The next generation is written from what was read, not from memory.
    config::FieldValues reread;
    ok = RereadInto(disk, files[0], reread) && RereadInto(disk, files[2], reread) &&
         ReadInto(maps::LoadMapCycle(disk, cycleFile), cycle) && ReadInto(maps::LoadMotd(disk, motdFile), motd);
    if (!ok) {
      std::fprintf(stderr, "cycle %ld: a re-read failed\n", n);
      return 1;
    }
    // The seven fields no file carries keep their values in the window.
    for (const char* name : {"sv_maxspectators", "sv_spectatormaxspeed", "sv_spectator_password", "tfc_spam_limit",
                             "tfc_spam_penalty1", "tfc_spam_penalty2", "tfc_clanbattle_prematch"})
      reread.SetText(name, fields.GetText(name));
    fields = reread;
    if (n == 100) rssAfterWarmUp = PeakRssKib();
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const long peak = PeakRssKib();
  std::error_code ec;
  fs::remove_all(root, ec);
  std::printf("soak: %ld cycles of 5 files in %.2f s (%.1f us a cycle), all byte-identical\n", cycles, seconds,
              seconds * 1e6 / static_cast<double>(cycles));
  std::printf("soak: peak RSS %ld KiB after 100 cycles, %ld KiB at the end (growth %ld KiB)\n", rssAfterWarmUp, peak,
              peak - rssAfterWarmUp);
  return peak - rssAfterWarmUp > 1024 ? 1 : 0;
}

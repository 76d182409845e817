// Reads one big configuration file in a process of its own, so its peak
// memory is the reader's alone.
// Usage: read_rss_bench generate FILE MEGABYTES | read_rss_bench read FILE
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "config/cfg_reader.h"
#include "config/field_values.h"
#include "platform/file_system.h"

namespace {

// Hand-made server lines: comments, quoted and bare values, repeats.
constexpr const char* kBlock =
    "// // section   \r\n"
    "hostname\t\t\"Team Fortress 1.5, server 42\"\r\n"
    "mp_teamplay 21\n"
    " sv_gravity\t\t\"800\"\t\n"
    "sv_lan\t\t\t\"1\"\r\n"
    "\"mp_timelimit\"\t\t\"0.000000\"\n"
    "rcon_password\t\t\"secret\"\n"
    "heartbeat\n";

}  // namespace

int main(int argc, char* argv[]) {
  if (argc == 4 && std::strcmp(argv[1], "generate") == 0) {
    const std::size_t bytes = std::strtoul(argv[3], nullptr, 10) << 20;
    std::ofstream out(argv[2], std::ios::binary);
    const std::size_t block = std::strlen(kBlock);
    for (std::size_t done = 0; done < bytes; done += block) out.write(kBlock, static_cast<std::streamsize>(block));
    return out ? 0 : 1;
  }
  if (argc != 3 || std::strcmp(argv[1], "read") != 0) {
    std::fprintf(stderr, "usage: %s generate FILE MEGABYTES | %s read FILE\n", argv[0], argv[0]);
    return 2;
  }
  quorvane::platform::NativeFileSystem disk;
  const auto start = std::chrono::steady_clock::now();
  const auto result = quorvane::config::LoadCfgFile(disk, argv[2]);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!result) {
    std::fprintf(stderr, "%s: %s\n", argv[2], result.reason().c_str());
    return 1;
  }
  quorvane::config::FieldValues fields;
  result.value().ApplyTo(fields);
  std::ifstream in(argv[2], std::ios::binary | std::ios::ate);
  const double megabytes = static_cast<double>(in.tellg()) / (1 << 20);
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("%.1f MiB in %.3f s: %.0f MiB/s, peak RSS %.1f MiB (%.2fx the file), hostname \"%s\"\n", megabytes,
              seconds, megabytes / seconds, usage.ru_maxrss / 1024.0, usage.ru_maxrss / 1024.0 / megabytes,
              fields.GetText("hostname").c_str());
  return 0;
}

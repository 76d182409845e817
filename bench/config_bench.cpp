// Reading a large configuration file and building/writing each file.
// Goals: the reader at 100 MB/s or more; each writer well under 1 ms.
#include <benchmark/benchmark.h>

#include <string>

#include "../tests/support/memory_file_system.h"
#include "config/cfg_reader.h"
#include "config/cfg_writer.h"
#include "config/field_values.h"
#include "config/resets.h"

namespace {

using namespace quorvane;

// About 1 MB shaped like hand-made server files: comments, quoted and bare
// values, the same cvar many times.
std::string MegabyteCfg() {
  std::string text;
  for (int n = 0; text.size() < (1u << 20); ++n) {
    text += "// // section " + std::to_string(n) + "  \r\n";
    text += "hostname\t\t\"Team Fortress 1.5, server " + std::to_string(n) + "\"\r\n";
    text += "mp_teamplay 21\n";
    text += " sv_gravity\t\t\"800\"\t\n";
    text += "sv_lan\t\t\t\"1\"\r\n";
    text += "\"mp_timelimit\"\t\t\"0.000000\"\n";
    text += "rcon_password\t\t\"secret\"\n";
    text += "heartbeat\n";
  }
  return text;
}

void BM_ParseCfgText(benchmark::State& state) {
  const std::string text = MegabyteCfg();
  for (auto _ : state) {
    benchmark::DoNotOptimize(config::ParseCfgText(text));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ParseCfgText);

void BM_LoadCfgFile(benchmark::State& state) {
  test_support::MemoryFileSystem fs;
  const std::string text = MegabyteCfg();
  fs.AddFile("C:\\HL\\Tfc\\server.cfg", text);
  for (auto _ : state) {
    benchmark::DoNotOptimize(config::LoadCfgFile(fs, "C:\\HL\\Tfc\\server.cfg"));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_LoadCfgFile);

config::FieldValues Defaults() {
  config::FieldValues fields;
  config::ApplyServerDefaults(fields);
  config::ApplyAutoexecDefaults(fields);
  fields.SetText("port", "27016");
  return fields;
}

template <std::string (*Build)(const config::FieldValues&)>
void BM_Text(benchmark::State& state) {
  config::FieldValues fields = Defaults();
  for (auto _ : state) benchmark::DoNotOptimize(Build(fields));
}
BENCHMARK(BM_Text<config::ServerCfgText>)->Name("BM_ServerCfgText");
BENCHMARK(BM_Text<config::ListenServerCfgText>)->Name("BM_ListenServerCfgText");
BENCHMARK(BM_Text<config::AutoexecCfgText>)->Name("BM_AutoexecCfgText");
BENCHMARK(BM_Text<config::BasicServerCfgText>)->Name("BM_BasicServerCfgText");
BENCHMARK(BM_Text<config::BasicAutoexecCfgText>)->Name("BM_BasicAutoexecCfgText");

// Each iteration finds the previous file in place, so the backup path is taken every time.
void BM_WriteServerCfg(benchmark::State& state) {
  test_support::MemoryFileSystem fs;
  fs.AddDirectory("C:\\HL\\Tfc");
  config::FieldValues fields = Defaults();
  for (auto _ : state) {
    benchmark::DoNotOptimize(config::WriteServerCfg(fs, "C:\\HL", fields));
  }
}
BENCHMARK(BM_WriteServerCfg);

void BM_WriteAutoexecCfg(benchmark::State& state) {
  test_support::MemoryFileSystem fs;
  fs.AddDirectory("C:\\HL\\Valve");
  config::FieldValues fields = Defaults();
  for (auto _ : state) {
    benchmark::DoNotOptimize(config::WriteAutoexecCfg(fs, "C:\\HL", fields));
  }
}
BENCHMARK(BM_WriteAutoexecCfg);

void BM_WriteBasicFiles(benchmark::State& state) {
  test_support::MemoryFileSystem fs;
  fs.AddDirectory("C:\\HL\\Tfc");
  fs.AddDirectory("C:\\HL\\Valve");
  config::FieldValues fields = Defaults();
  for (auto _ : state) {
    benchmark::DoNotOptimize(config::WriteBasicServerCfg(fs, "C:\\HL", fields));
    benchmark::DoNotOptimize(config::WriteBasicAutoexecCfg(fs, "C:\\HL", fields));
    benchmark::DoNotOptimize(config::WriteListenServerCfg(fs, "C:\\HL", fields));
  }
}
BENCHMARK(BM_WriteBasicFiles);

}  // namespace

BENCHMARK_MAIN();

// Bans at the sizes a busy server reaches: its banned.cfg read at first use,
// and the restore plan compared with what the server lists.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "people/ban_console.h"
#include "people/ban_files.h"

namespace {

using namespace quorvane::people;

const WallTime kNow{std::chrono::seconds(1'800'000'000)};

std::string SteamId(int i) { return "STEAM_0:" + std::to_string(i % 2) + ":" + std::to_string(100000 + i); }

// A banned.cfg as writeid leaves it, CR LF as older builds wrote it.
void ReadBannedCfg(benchmark::State& state) {
  std::string file;
  for (int i = 0; i < state.range(0); ++i) file += "banid 0.0 " + SteamId(i) + "\r\n";
  for (auto _ : state) benchmark::DoNotOptimize(ReadBanFile(file, kNow));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(ReadBannedCfg)->Arg(500)->Arg(10000);

// Half the bans timed, the permanent ones already listed after the exec.
void PlanRestoreAgainstTheList(benchmark::State& state) {
  std::vector<Ban> bans;
  std::vector<ListedBan> listed;
  for (int i = 0; i < state.range(0); ++i) {
    const BanTarget target = *ParseBanTarget(SteamId(i));
    const bool timed = i % 2 == 1;
    bans.push_back(*MakeBan(target, "", "", kNow, timed ? std::optional(std::chrono::minutes(60)) : std::nullopt));
    if (!timed) listed.push_back({target, std::nullopt});
  }
  for (auto _ : state) benchmark::DoNotOptimize(PlanRestore(bans, listed, kNow));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(PlanRestoreAgainstTheList)->Arg(500)->Arg(10000);

}  // namespace

BENCHMARK_MAIN();

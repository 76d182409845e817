// The player history's search at 10 000, 100 000 and 1 000 000 generated
// sessions (ten a player), and the bytes a session takes on disk. The files
// are made once per size in a temporary folder and searched many times.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "store/sqlite_player_store.h"

namespace {

namespace fs = std::filesystem;
using quorvane::people::Session;
using quorvane::store::SqlitePlayerStore;

constexpr int kSessionsAPlayer = 10;
const char* const kSyllables[] = {"ka", "zo", "mi", "ru", "te", "vo", "an", "ix", "be", "lu", "qo", "sy"};

std::string NameOf(int player) {
  std::string name;
  for (int n = player * 7919 + 17, i = 0; i < 4; ++i, n /= 12) name += kSyllables[n % 12];
  return name + std::to_string(player % 1000);
}

struct History {
  fs::path dir;
  std::unique_ptr<SqlitePlayerStore> store;
  double bytesASession = 0;
  ~History() {
    store.reset();
    std::error_code ignored;
    fs::remove_all(dir, ignored);
  }
};

History& HistoryOf(int sessions) {
  static std::map<int, std::unique_ptr<History>> made;
  std::unique_ptr<History>& h = made[sessions];
  if (h) return *h;
  h = std::make_unique<History>();
  h->dir = fs::temp_directory_path() / ("quorvane-store-bench-" + std::to_string(sessions));
  fs::remove_all(h->dir);
  const fs::path file = h->dir / "players.sqlite3";
  h->store = std::move(SqlitePlayerStore::Open(file).store);
  std::mt19937 random(42);
  const int players = sessions / kSessionsAPlayer;
  std::vector<Session> batch;
  for (int i = 0; i < sessions; ++i) {
    const int player = static_cast<int>(random() % static_cast<unsigned>(players));
    Session s;
    s.steamId = s.key = "STEAM_0:" + std::to_string(player % 2) + ":" + std::to_string(100000 + player);
    s.userId = i;
    s.names = {NameOf(player)};
    if (i % 7 == 0) s.names.push_back(NameOf(player) + "_x");
    s.address =
        std::to_string(10 + player % 200) + "." + std::to_string(player / 200 % 250) + ".7." + std::to_string(i % 250);
    s.joined = 1'700'000'000 + i * 60LL;
    s.lastSeen = s.joined + 1200;
    s.left = s.lastSeen;
    s.maps = {"2fort", "well"};
    s.serverFolder = "/srv/hlds/tfc";
    s.serverPort = 27015;
    batch.push_back(std::move(s));
    if (batch.size() == 1000) {
      (void)h->store->Record(batch);
      batch.clear();
    }
  }
  (void)h->store->Record(batch);
  h->store.reset();  // closed, so the journal is folded into the file
  h->bytesASession = static_cast<double>(fs::file_size(file)) / sessions;
  h->store = std::move(SqlitePlayerStore::Open(file, {.write = false}).store);
  return *h;
}

// Part of one player's name: a handful of rows out of all.
void BM_SearchName(benchmark::State& state) {
  History& h = HistoryOf(static_cast<int>(state.range(0)));
  int player = 0;
  const int players = static_cast<int>(state.range(0)) / kSessionsAPlayer;
  for (auto _ : state) {
    player = (player + 7717) % players;
    const std::string text = NameOf(player).substr(2);
    benchmark::DoNotOptimize(h.store->Search(text, 500));
  }
  state.counters["bytes_a_session"] = h.bytesASession;
}
BENCHMARK(BM_SearchName)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// Part of an address: every player who came from that network.
void BM_SearchAddress(benchmark::State& state) {
  History& h = HistoryOf(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(h.store->Search("55.3.7.", 500));
}
BENCHMARK(BM_SearchAddress)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// Two letters: too short for the trigram index, read row by row, the latest seen first.
void BM_SearchTwoLetters(benchmark::State& state) {
  History& h = HistoryOf(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(h.store->Search("qy", 500));
}
BENCHMARK(BM_SearchTwoLetters)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// What matches everyone: the whole index walked and sorted.
void BM_SearchEveryone(benchmark::State& state) {
  History& h = HistoryOf(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(h.store->Search("STEAM_0", 500));
}
BENCHMARK(BM_SearchEveryone)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

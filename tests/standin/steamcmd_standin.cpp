// A stand-in for SteamCMD: prints output shaped like the real program's
// (colour codes, progress rewritten with bare CRs, success and error lines)
// and lays out a tiny server install, overwriting edited files as `validate`
// does. It opens no network connection.
//
// It accepts only the command line the installer sends:
//   +force_install_dir DIR +login anonymous +app_set_config 90 mod tfc +app_update 90 validate +quit
// The mode comes from QUORVANE_STEAMCMD_MODE, else from the first word of
// DIR/steamcmd-standin-mode, else "ok":
//   ok      installs (or finds the install up to date) and succeeds
//   twice   the first run on a fresh directory ends with an error, the next succeeds
//   fail    stops with state 0x202 after replacing server.cfg
//   nonet   cannot log in
//   short   every run ends with an error before finishing
//   hang    replaces the edited files, prints some progress, writes its process
//           id to DIR/steamcmd-standin-pid, then waits to be ended
//   flood   prints 20 000 lines of chatter after logging in, then installs as ok does
// Every run adds one to DIR/steamcmd-standin-runs.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>
#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

const char* const kExpected[] = {"+force_install_dir", nullptr, "+login",   "anonymous",
                                 "+app_set_config",    "90",    "mod",      "tfc",
                                 "+app_update",        "90",    "validate", "+quit"};

const char* const kStockServerCfg = "// stock server.cfg\nhostname \"Half-Life\"\nmp_timelimit 30\n";

void Say(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

std::string ReadWord(const fs::path& file) {
  std::ifstream in(file);
  std::string word;
  in >> word;
  return word;
}

void Write(const fs::path& file, const std::string& bytes) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

// Stock files as the depot has them; `validate` puts these back over edited ones.
void WriteStockConfig(const fs::path& dir) {
  Write(dir / "tfc" / "server.cfg", kStockServerCfg);
  Write(dir / "tfc" / "mapcycle.txt", "2fort\nwell\nrock2\n");
  Write(dir / "tfc" / "motd.txt", "Welcome to Team Fortress Classic.\n");
}

void WriteInstall(const fs::path& dir) {
  WriteStockConfig(dir);
  Write(dir / "hlds_run", "#!/bin/sh\necho 'stand-in install: no server here'\n");
  Write(dir / "hlds_linux", "stand-in hlds_linux\n");
  Write(dir / "valve" / "liblist.gam", "game \"Half-Life\"\n");
  Write(dir / "tfc" / "liblist.gam", "game \"Team Fortress Classic\"\n");
  Write(dir / "steamapps" / "appmanifest_90.acf", "\"AppState\"\n{\n\t\"appid\"\t\t\"90\"\n}\n");
}

void StartUp(bool network) {
  Say("Redirecting stderr to '/home/user/.steam/steamcmd/logs/stderr.txt'\n");
  std::fputs("src/tier0/threadtools.cpp (3553) : Probably deadlock or failure waiting for thread to initialize.\n",
             stderr);
  std::fflush(stderr);
  Say("\x1b[0m[  0%] Checking for available updates...\n[----] Verifying installation...\n");
  Say("Steam Console Client (c) Valve Corporation - version 1701290033\n-- type 'quit' to exit --\n");
  Say("Loading Steam API...\x1b[1mOK\x1b[0m\n\n");
  if (!network) {
    Say("Connecting anonymously to Steam Public...Retrying...\n");
    Say("\x1b[31mFAILED login with result code No Connection\x1b[0m\n");
    return;
  }
  Say("Connecting anonymously to Steam Public...\x1b[1mOK\x1b[0m\r\n");
  Say("Waiting for client config...OK\nWaiting for user info...\x1b[1mOK\x1b[0m\n");
}

// One state's progress: updates rewritten in place with CR, the last ended by LF.
void Progress(const char* state, const char* words, const std::vector<double>& percents) {
  constexpr long long kTotal = 272896000;
  for (std::size_t i = 0; i < percents.size(); ++i) {
    char line[160];
    const auto done = static_cast<long long>(percents[i] / 100 * kTotal);
    std::snprintf(line, sizeof line, " Update state (%s) %s, progress: %.2f (%lld / %lld)%s", state, words, percents[i],
                  done, kTotal, i + 1 == percents.size() ? "\n" : "\r");
    Say(line);
  }
}

}  // namespace

int main(int argc, char** argv) {
  bool shaped = argc == 13;
  for (int i = 1; shaped && i < argc; ++i) {
    shaped = kExpected[i - 1] == nullptr || std::string(argv[i]) == kExpected[i - 1];
  }
  if (!shaped) {
    Say("stand-in SteamCMD: unexpected command line\n");
    return 2;
  }
  const fs::path dir = argv[2];
  std::error_code ec;
  fs::create_directories(dir, ec);
  const char* fromEnv = std::getenv("QUORVANE_STEAMCMD_MODE");
  std::string mode = fromEnv != nullptr && *fromEnv != '\0' ? fromEnv : ReadWord(dir / "steamcmd-standin-mode");
  if (mode.empty()) mode = "ok";
  const std::string counted = ReadWord(dir / "steamcmd-standin-runs");
  const int run = (counted.empty() ? 0 : std::atoi(counted.c_str())) + 1;
  Write(dir / "steamcmd-standin-runs", std::to_string(run) + "\n");
  const bool installed = fs::exists(dir / "steamapps" / "appmanifest_90.acf");

  StartUp(mode != "nonet");
  if (mode == "nonet") return 5;
  if (mode == "flood") {
    for (int i = 1; i <= 20000; ++i) std::printf("chatter line %d of a talkative SteamCMD\n", i);
    std::fflush(stdout);
  }
  Progress("0x5", "verifying install", {0, 12.5, 100});
  if (mode == "hang") {
    WriteStockConfig(dir);
    Write(dir / "steamcmd-standin-pid", std::to_string(getpid()) + "\n");
    Progress("0x61", "downloading", {10, 45.23});
    for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
  }
  if (!installed) {
    Progress("0x11", "preallocating", {0, 100});
    Progress("0x61", "downloading", {10, 45.23, 80, 100});
  }
  if (mode == "fail") {
    Write(dir / "tfc" / "server.cfg", kStockServerCfg);
    Say("\x1b[31mError! App '90' state is 0x202 after update job.\x1b[0m\n");
    return 8;
  }
  if (mode == "short" || (mode == "twice" && !installed && run == 1)) {
    // A first run that stops short, as this app's often does; SteamCMD still exits with 0.
    WriteStockConfig(dir);
    Say("Error! App '90' state is 0x10E after update job.\n");
    return 0;
  }
  Progress("0x81", "verifying update", {50, 100});
  Progress("0x101", "committing", {100});
  WriteInstall(dir);
  Say(installed ? "Success! App '90' already up to date.\n" : "\x1b[1mSuccess! App '90' fully installed.\x1b[0m\n");
  return 0;
}

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
//
// The update check's command line prints app 90's info instead:
//   +login anonymous +app_info_update 1 +app_info_print 90 +quit
// its public build being QUORVANE_STEAMCMD_LATEST_BUILD (default 4000000):
// "empty" prints the empty block SteamCMD often answers with, and the mode
// from QUORVANE_STEAMCMD_MODE "nonet" cannot log in. An install writes that
// build into the app manifest.
// QUORVANE_STEAMCMD_MODES="a b c" takes the mode from that list in turn, by the
// run's number, and also knows:
//   deluge  replaces the edited files, pours out megabytes of progress, colour
//           codes and lines with no end, then succeeds
//   die     replaces the edited files, prints some progress and is killed
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>
#ifdef _WIN32
#include <process.h>
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

const char* const kExpected[] = {"+force_install_dir", nullptr, "+login",   "anonymous",
                                 "+app_set_config",    "90",    "mod",      "tfc",
                                 "+app_update",        "90",    "validate", "+quit"};

const char* const kAppInfo[] = {"+login", "anonymous", "+app_info_update", "1", "+app_info_print", "90", "+quit"};

const char* const kStockServerCfg = "// stock server.cfg\nhostname \"Half-Life\"\nmp_timelimit 30\n";

// DIR as the system holds it: on Windows the narrow argv has '?' for what the code page lacks.
fs::path InstallDirArgument(char** argv) {
#ifdef _WIN32
  int count = 0;
  LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
  if (words != nullptr) {
    const fs::path dir = count > 2 ? fs::path(words[2]) : fs::path(argv[2]);
    LocalFree(words);
    return dir;
  }
#endif
  return argv[2];
}

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

// A depot file replaces the old one whole, as a new file with a mode of its own.
void Write(const fs::path& file, const std::string& bytes) {
  fs::create_directories(file.parent_path());
  std::error_code gone;
  fs::remove(file, gone);
  std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

// Stock files as the depot has them; `validate` puts these back over edited ones.
void WriteStockConfig(const fs::path& dir) {
  Write(dir / "tfc" / "server.cfg", kStockServerCfg);
  Write(dir / "tfc" / "mapcycle.txt", "2fort\nwell\nrock2\n");
  Write(dir / "tfc" / "motd.txt", "Welcome to Team Fortress Classic.\n");
}

std::string LatestBuild() {
  const char* build = std::getenv("QUORVANE_STEAMCMD_LATEST_BUILD");
  return build != nullptr && *build != '\0' ? build : "4000000";
}

void WriteInstall(const fs::path& dir) {
  WriteStockConfig(dir);
  Write(dir / "hlds_run", "#!/bin/sh\necho 'stand-in install: no server here'\n");
  // A server that runs, when the test names one: the depot ships the program too.
  const char* server = std::getenv("QUORVANE_STEAMCMD_SERVER");
  std::error_code copied;
  if (server == nullptr || *server == '\0' ||
      !fs::copy_file(server, dir / "hlds_linux", fs::copy_options::overwrite_existing, copied))
    Write(dir / "hlds_linux", "stand-in hlds_linux\n");
  Write(dir / "valve" / "liblist.gam", "game \"Half-Life\"\n");
  Write(dir / "tfc" / "liblist.gam", "game \"Team Fortress Classic\"\n");
  Write(dir / "steamapps" / "appmanifest_90.acf",
        "\"AppState\"\n{\n\t\"appid\"\t\t\"90\"\n\t\"buildid\"\t\t\"" + LatestBuild() + "\"\n}\n");
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

// The mode of this run from QUORVANE_STEAMCMD_MODES, empty when it is not set.
std::string ModeInTurn(int run) {
  const char* list = std::getenv("QUORVANE_STEAMCMD_MODES");
  if (list == nullptr) return {};
  std::istringstream words(list);
  std::vector<std::string> modes;
  for (std::string word; words >> word;) modes.push_back(word);
  if (modes.empty()) return {};
  return modes[static_cast<std::size_t>(run - 1) % modes.size()];
}

// A flood: far more output than anyone reads, in every shape the reader must cope with.
void Flood() {
  const std::string noEnd(1 << 20, 'x');
  for (int i = 0; i < 4; ++i) {
    Say(noEnd);
    Say("\x1b[1;31m\x1b[2J\x1b[K\r");
  }
  for (int i = 0; i < 60000; ++i) {
    char line[120];
    std::snprintf(line, sizeof line, " Update state (0x61) downloading, progress: %d.%02d (%d / 272896000)\r", i % 100,
                  i % 100, i);
    Say(line);
  }
  Say("\n");
}

// Ended by a signal, as when SteamCMD is killed or crashes.
[[noreturn]] void Die() {
#ifdef SIGKILL
  std::raise(SIGKILL);
#endif
  std::_Exit(134);
}

// What `app_info_print 90` prints: the block with a beta and the public branch.
int PrintAppInfo() {
  const char* mode = std::getenv("QUORVANE_STEAMCMD_MODE");
  const bool network = mode == nullptr || std::string(mode) != "nonet";
  StartUp(network);
  if (!network) return 5;
  const std::string build = LatestBuild();
  Say("AppID : 90, change number : 26131457/0, last change : Thu Dec  3 18:22:10 2026\n\"90\"\n{\n");
  if (build != "empty") {
    Say("\t\"common\"\n\t{\n\t\t\"name\"\t\t\"Half-Life Dedicated Server\"\n\t}\n");
    Say("\t\"depots\"\n\t{\n\t\t\"branches\"\n\t\t{\n");
    Say("\t\t\t\"beta\"\n\t\t\t{\n\t\t\t\t\"buildid\"\t\t\"9999999\"\n\t\t\t}\n");
    Say("\t\t\t\"public\"\n\t\t\t{\n\t\t\t\t\"buildid\"\t\t\"" + build + "\"\n\t\t\t}\n");
    Say("\t\t}\n\t}\n");
  }
  Say("}\n");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 8 &&
      std::equal(argv + 1, argv + argc, kAppInfo, [](const char* a, const char* b) { return std::string(a) == b; }))
    return PrintAppInfo();
  bool shaped = argc == 13;
  for (int i = 1; shaped && i < argc; ++i) {
    shaped = kExpected[i - 1] == nullptr || std::string(argv[i]) == kExpected[i - 1];
  }
  if (!shaped) {
    Say("stand-in SteamCMD: unexpected command line\n");
    return 2;
  }
  const fs::path dir = InstallDirArgument(argv);
  std::error_code ec;
  fs::create_directories(dir, ec);
  const char* fromEnv = std::getenv("QUORVANE_STEAMCMD_MODE");
  std::string mode = fromEnv != nullptr && *fromEnv != '\0' ? fromEnv : ReadWord(dir / "steamcmd-standin-mode");
  if (mode.empty()) mode = "ok";
  const std::string counted = ReadWord(dir / "steamcmd-standin-runs");
  const int run = (counted.empty() ? 0 : std::atoi(counted.c_str())) + 1;
  Write(dir / "steamcmd-standin-runs", std::to_string(run) + "\n");
  const bool installed = fs::exists(dir / "steamapps" / "appmanifest_90.acf");
  if (const std::string inTurn = ModeInTurn(run); !inTurn.empty()) mode = inTurn;
  if (mode == "deluge" || mode == "die") {
    StartUp(true);
    WriteStockConfig(dir);
    Progress("0x61", "downloading", {10, 45.23});
    if (mode == "die") Die();
    Flood();
    WriteInstall(dir);
    Say("Success! App '90' fully installed.\n");
    return 0;
  }

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

// A stand-in for the game's server and client programs. Tests install it
// under the game's program names; it writes down how it was started and then
// waits to be ended. Started as a server (a +map or a port on its line) it
// also answers queries and the remote console over UDP on 127.0.0.1, and on
// no other address (see standin_server.h); each console command it runs is
// added to standin-console.txt in its working directory.
//
// Environment:
//   QUORVANE_STANDIN_RECORD       where to write the record (default:
//                                 standin-record.txt in the working directory)
//   QUORVANE_STANDIN_CHILD=1      start one child in the same process group
//   QUORVANE_STANDIN_IGNORE_TERM=1  ignore the polite end request
//   STEAM_GAMESERVER_A2S_INFO_REQUIRE_CHALLENGE=1  info only with a challenge
//   QUORVANE_STANDIN_INFO=I|m|Im  the info reply layouts it sends (default I)
//   QUORVANE_STANDIN_SPLIT=N      replies longer than N bytes go in split parts
//   QUORVANE_STANDIN_RULES=silent|cut  rules never answered, or answered a byte short
//   QUORVANE_STANDIN_HOSTILE=1    a hostile server: names with escape sequences, markup and
//                                 line breaks, NaN/infinite/huge/negative durations, split
//                                 parts with bad counts before each players and rules reply,
//                                 console answers in CR LF lines and `status` flooding the
//                                 console; it answers for 20 s, keeps quiet for 8 s, and again
//   QUORVANE_STANDIN_JOIN=NAME    a player of that name connects a second after the first
//                                 logaddress_add, heard in the log (and in `status` after)
//   QUORVANE_STANDIN_END...       how it ends, for the supervision tests (standin_modes.h)
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "standin_modes.h"
#include "standin_os.h"
#include "standin_server.h"

namespace fs = std::filesystem;
using namespace quorvane::standin;

namespace {

bool EnvSet(const char* name) {
  const char* v = std::getenv(name);
  return v != nullptr && std::string(v) == "1";
}

// Written beside its final name and renamed, so a reader never sees half a record.
bool WriteRecord(const fs::path& target, const std::string& text) {
  fs::path temp = target;
  temp += ".tmp" + std::to_string(ProcessId());
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << text;
    out.flush();
    if (!out) return false;
  }
  std::error_code ec;
  fs::rename(temp, target, ec);
  if (ec) {
    fs::remove(temp, ec);
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::printf(
      "Quorvane stand-in server: this is NOT the game. It records how it was started and waits to be "
      "ended; it listens on 127.0.0.1 only.\n");
  std::fflush(stdout);

  if (EnvSet("QUORVANE_STANDIN_IGNORE_TERM")) IgnoreEndRequest();

  long long child = 0;
  if (EnvSet("QUORVANE_STANDIN_CHILD")) {
    std::string error;
    child = StartChild(error);
    if (child == 0) std::fprintf(stderr, "stand-in: could not start its child: %s\n", error.c_str());
  }

  std::error_code ec;
  const fs::path cwd = fs::current_path(ec);
  std::string text;
  text += "pid=" + std::to_string(ProcessId()) + "\n";
  text += "child=" + std::to_string(child) + "\n";
  text += "cwd=" + cwd.string() + "\n";
  text += "argc=" + std::to_string(argc - 1) + "\n";
  for (int i = 1; i < argc; ++i) {
    text += argv[i];
    text += "\n";
  }

  const char* named = std::getenv("QUORVANE_STANDIN_RECORD");
  const fs::path target = (named != nullptr && *named != '\0') ? fs::path(named) : cwd / "standin-record.txt";
  if (!WriteRecord(target, text)) {
    std::fprintf(stderr, "stand-in: could not write %s\n", target.string().c_str());
    return 2;
  }
  const std::vector<std::string> args(argv + 1, argv + argc);
  bool server = false;
  for (const std::string& a : args) server = server || a == "+map" || a == "-port" || a == "+port";
  if (server) {
    std::string error;
    if (StartServer(args, error)) {
      ArmEnding();
      ServeUntilEnded(ServeWithEnding);
    }
    // Another server on the port (parallel tests): the record still counts.
    std::fprintf(stderr, "stand-in: no UDP side: %s\n", error.c_str());
  }
  WaitUntilEnded();
}

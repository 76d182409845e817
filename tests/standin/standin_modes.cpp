#include "standin_modes.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "standin_os.h"
#include "standin_server.h"

namespace quorvane::standin {
namespace {

enum class Ending { None, Exit1, Segv, Fatal, Deaf };

Ending g_ending = Ending::None;
long long g_dueMs = 0;
bool g_deaf = false;

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v != nullptr ? v : "";
}

// This run's number, counting from 1, kept in the counter file when there is one.
long CountRun() {
  const std::string file = Env("QUORVANE_STANDIN_RUNS");
  if (file.empty()) return 1;
  long runs = 0;
  std::ifstream(file) >> runs;
  std::ofstream(file, std::ios::trunc) << ++runs << "\n";
  return runs;
}

}  // namespace

void ArmEnding() {
  const long run = CountRun();
  if (const long errorMode = ErrorMode(); errorMode >= 0)
    std::ofstream("standin-errormode.txt", std::ios::trunc) << errorMode << "\n";
  const std::string mode = Env("QUORVANE_STANDIN_END");
  const std::string runs = Env("QUORVANE_STANDIN_END_RUNS");
  if (!runs.empty() && run > std::atol(runs.c_str())) return;
  if (mode == "exit1") g_ending = Ending::Exit1;
  if (mode == "segv") g_ending = Ending::Segv;
  if (mode == "fatal") g_ending = Ending::Fatal;
  if (mode == "deaf") g_ending = Ending::Deaf;
  const std::string after = Env("QUORVANE_STANDIN_END_AFTER");
  g_dueMs = NowMs() + static_cast<long long>((after.empty() ? 1.0 : std::atof(after.c_str())) * 1000);
}

void ServeWithEnding() {
  if (g_ending != Ending::None && NowMs() >= g_dueMs) {
    switch (g_ending) {
      case Ending::Exit1:
        std::exit(1);
      case Ending::Segv:
        DieOfSegv();
      case Ending::Fatal: {
        const std::string text = "FATAL ERROR (shutting down): Host_Error: stand-in's own fatal error";
        std::printf("%s\n", text.c_str());
        std::fflush(stdout);
        LogLine(text);
        ShowFatalWindow(text);
        DieOfSegv();
      }
      default:
        g_deaf = true;
    }
  }
  // A hung server: the socket stays open, nothing is answered.
  if (g_deaf) return PauseMs(200);
  ServeOnce();
}

}  // namespace quorvane::standin

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>

#include "platform/install_runner.h"

namespace quorvane::platform {

namespace {

volatile sig_atomic_t g_interrupted = 0;

void NoteInterrupt(int) { g_interrupted = 1; }

}  // namespace

void CatchTerminalInterrupt() {
  struct sigaction action {};
  action.sa_handler = NoteInterrupt;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

bool TerminalInterrupted() { return g_interrupted != 0; }

update::System ThisSystem() { return update::System::Posix; }

// The bytes as the system holds them: on Linux file names are UTF-8 already.
std::string EnvironmentVariable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

std::string HomeDirectory() { return EnvironmentVariable("HOME"); }

bool IsProgramFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::string BackupStampNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  return update::BackupStamp(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                             local.tm_sec);
}

}  // namespace quorvane::platform

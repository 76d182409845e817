#include <atomic>
#include <cstdlib>

#include "platform/install_runner.h"
#include "platform/win32_api.h"

namespace quorvane::platform {

namespace {

std::atomic<bool> g_interrupted{false};

BOOL WINAPI NoteInterrupt(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  g_interrupted = true;
  return TRUE;
}

}  // namespace

void CatchTerminalInterrupt() { SetConsoleCtrlHandler(NoteInterrupt, TRUE); }

bool TerminalInterrupted() { return g_interrupted; }

update::System ThisSystem() { return update::System::Windows; }

std::string HomeDirectory() {
  const char* home = std::getenv("USERPROFILE");
  return home != nullptr ? home : "";
}

bool IsProgramFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::string BackupStampNow() {
  SYSTEMTIME local{};
  GetLocalTime(&local);
  return update::BackupStamp(local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond);
}

}  // namespace quorvane::platform

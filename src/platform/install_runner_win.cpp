#include <atomic>
#include <string>

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

[[noreturn]] void EndAsInterrupted() { ExitProcess(STATUS_CONTROL_C_EXIT); }

long long ThisProcessId() { return static_cast<long long>(GetCurrentProcessId()); }

namespace {

std::string ProgramOf(HANDLE process) {
  char path[MAX_PATH * 2];
  DWORD size = sizeof path;
  return QueryFullProcessImageNameA(process, 0, path, &size) ? std::string(path, size) : std::string();
}

}  // namespace

bool SettleUnfinishedUpdate(const update::UpdateMarker& marker) {
  // The program that ran it, still running: the update is not over, only under way elsewhere.
  if (marker.owner > 0 && static_cast<DWORD>(marker.owner) != GetCurrentProcessId()) {
    HANDLE owner = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(marker.owner));
    if (owner != nullptr) {
      DWORD code = 0;
      const bool running = GetExitCodeProcess(owner, &code) && code == STILL_ACTIVE;
      const bool same = running && ProgramOf(owner) == ProgramOf(GetCurrentProcess());
      CloseHandle(owner);
      if (same) return false;
    }
  }
  // SteamCMD ran in a job that ends everything in it when its owner ends, however
  // that happened, so nothing of it is left to end here.
  return true;
}

update::System ThisSystem() { return update::System::Windows; }

// Through the wide-character call: the narrow one gives '?' for what the code page lacks.
std::string EnvironmentVariable(const char* name) {
  const std::wstring wideName = WideFromUtf8(name);
  const DWORD size = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
  if (size == 0) return {};
  std::wstring value(size, L'\0');
  const DWORD length = GetEnvironmentVariableW(wideName.c_str(), value.data(), size);
  if (length == 0 || length >= size) return {};
  value.resize(length);
  return Utf8FromWide(value);
}

std::string HomeDirectory() { return EnvironmentVariable("USERPROFILE"); }

bool IsProgramFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(WideFromUtf8(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::string BackupStampNow() {
  SYSTEMTIME local{};
  GetLocalTime(&local);
  return update::BackupStamp(local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond);
}

}  // namespace quorvane::platform

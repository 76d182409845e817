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

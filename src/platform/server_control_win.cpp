#include "platform/server_control.h"

#include <string>
#include <vector>

#include "platform/logging.h"
#include "platform/win32_api.h"

namespace quorvane::platform {
namespace {

constexpr char kServerTitle[] = "HLDS";

HWND AsWindow(launch::ServerControl::Handle handle) { return reinterpret_cast<HWND>(static_cast<INT_PTR>(handle)); }

// "process 123 (C:\hlds\hlds.exe) of window 456", for the stop's log lines.
std::string Described(launch::ServerControl::Handle window) {
  DWORD processId = 0;
  GetWindowThreadProcessId(AsWindow(window), &processId);
  std::string program = "?";
  if (HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId); process != nullptr) {
    char path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (QueryFullProcessImageNameA(process, 0, path, &size)) program.assign(path, size);
    CloseHandle(process);
  }
  return "process " + std::to_string(processId) + " (" + program + ") of window " + std::to_string(window);
}

}  // namespace

// Starts on Windows give no handle, so this only asks after a window found earlier.
bool NativeServerControl::IsRunning(Handle started) { return IsWindow(AsWindow(started)) != 0; }

std::optional<launch::ServerControl::Handle> NativeServerControl::FindServer() {
  // Top-level windows in the order FindWindowA(NULL, "HLDS") walks them, the
  // title compared as it compares it (without regard to case). One
  // snapshot, rather than FindWindowEx from window to window, so a window
  // that closes meanwhile does not cut the walk short.
  struct Walk {
    std::vector<HWND> servers;
  } walk;
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        char title[8] = {};
        if (GetWindowTextA(window, title, sizeof title) == 4 && lstrcmpiA(title, kServerTitle) == 0) {
          reinterpret_cast<Walk*>(data)->servers.push_back(window);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&walk));
  for (HWND window : walk.servers) {
    const Handle handle = static_cast<Handle>(reinterpret_cast<INT_PTR>(window));
    if (m_accept && !m_accept(handle)) continue;
    Log(LogTopic::Stop, [&] { return "found the HLDS window: " + Described(handle); });
    return handle;
  }
  Log(LogTopic::Stop, [] { return std::string("found no window titled HLDS"); });
  return std::nullopt;
}

void NativeServerControl::Terminate(Handle server) {
  DWORD processId = 0;
  GetWindowThreadProcessId(AsWindow(server), &processId);
  HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, processId);
  if (process == nullptr) {
    const DWORD error = GetLastError();
    Log(LogTopic::Stop, [&] { return "could not open " + Described(server) + ": " + SystemMessage(error); });
    return;
  }
  Log(LogTopic::Stop, [&] { return "TerminateProcess on " + Described(server); });
  // The handle may not read the code, which then stays 0; a code that reads
  // "still active" would make the ended process look alive to anyone asking.
  DWORD exitCode = 0;
  GetExitCodeProcess(process, &exitCode);
  if (exitCode == STILL_ACTIVE) exitCode = 0;
  TerminateProcess(process, exitCode);
  CloseHandle(process);
}

void NativeServerControl::SendClose(Handle server) {
  // A window whose process has ended answers at once; one whose process
  // survived but hangs must not hang the main window with it.
  constexpr UINT kWaitMs = 5000;
  LPARAM zero = 0;
  DWORD_PTR answer = 0;
  Log(LogTopic::Stop, [&] { return "WM_CLOSE to window " + std::to_string(server); });
  SendMessageTimeoutA(AsWindow(server), WM_CLOSE, 0, reinterpret_cast<LPARAM>(&zero), SMTO_ABORTIFHUNG, kWaitMs,
                      &answer);
}

}  // namespace quorvane::platform

#include "platform/server_control.h"

#include <vector>

#include "platform/win32_api.h"

namespace quorvane::platform {
namespace {

constexpr char kServerTitle[] = "HLDS";

HWND AsWindow(launch::ServerControl::Handle handle) {
  return reinterpret_cast<HWND>(static_cast<INT_PTR>(handle));
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
    if (!m_accept || m_accept(handle)) return handle;
  }
  return std::nullopt;
}

void NativeServerControl::Terminate(Handle server) {
  DWORD processId = 0;
  GetWindowThreadProcessId(AsWindow(server), &processId);
  HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, processId);
  if (process == nullptr) return;
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
  SendMessageTimeoutA(AsWindow(server), WM_CLOSE, 0, reinterpret_cast<LPARAM>(&zero), SMTO_ABORTIFHUNG, kWaitMs,
                      &answer);
}

}  // namespace quorvane::platform

#include "platform/server_control.h"

#include "platform/win32_api.h"

namespace quorvane::platform {
namespace {

constexpr const char* kServerTitle = "HLDS";

HWND AsWindow(launch::ServerControl::Handle handle) {
  return reinterpret_cast<HWND>(static_cast<INT_PTR>(handle));
}

}  // namespace

std::optional<launch::ServerControl::Handle> NativeServerControl::FindServer() {
  // The windows come in the system's order, so without a filter this is the
  // window FindWindowA(NULL, "HLDS") would give.
  for (HWND window = FindWindowExA(nullptr, nullptr, nullptr, kServerTitle); window != nullptr;
       window = FindWindowExA(nullptr, window, nullptr, kServerTitle)) {
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

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "standin_modes.h"

namespace quorvane::standin {

void DieOfSegv() {
  // As a real crash: with SEM_NOGPFAULTERRORBOX no box, the process just ends.
  RaiseException(EXCEPTION_ACCESS_VIOLATION, EXCEPTION_NONCONTINUABLE, 0, nullptr);
  ExitProcess(static_cast<UINT>(EXCEPTION_ACCESS_VIOLATION));
}

// The real server's box is modal and waits for a click that never comes.
void ShowFatalWindow(const std::string& text) {
  for (;;) MessageBoxA(nullptr, text.c_str(), "Fatal error - Dedicated server", MB_OK | MB_ICONERROR);
}

long ErrorMode() { return static_cast<long>(GetErrorMode()); }

void PauseMs(int milliseconds) { Sleep(static_cast<DWORD>(milliseconds)); }

}  // namespace quorvane::standin

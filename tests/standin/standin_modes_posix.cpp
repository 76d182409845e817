#include <signal.h>
#include <unistd.h>

#include "standin_modes.h"

namespace quorvane::standin {

void DieOfSegv() {
  ::signal(SIGSEGV, SIG_DFL);
  ::raise(SIGSEGV);
  ::_exit(139);
}

void ShowFatalWindow(const std::string&) {}

long ErrorMode() { return -1; }

void PauseMs(int milliseconds) { ::usleep(static_cast<useconds_t>(milliseconds) * 1000); }

}  // namespace quorvane::standin

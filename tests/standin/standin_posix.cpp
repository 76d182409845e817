#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "standin_os.h"

namespace quorvane::standin {

long long ProcessId() { return static_cast<long long>(getpid()); }

long long StartChild(std::string& error) {
  const pid_t pid = fork();
  if (pid < 0) {
    error = std::strerror(errno);
    return 0;
  }
  if (pid == 0) {
    for (;;) pause();
  }
  return static_cast<long long>(pid);
}

void IgnoreEndRequest() { signal(SIGTERM, SIG_IGN); }

void WaitUntilEnded() {
  for (;;) pause();
}

}  // namespace quorvane::standin

#pragma once
// A program run as a child with its output captured: its own process group,
// stdout and stderr through one pipe, read without blocking as it comes, and
// Cancel ending the whole group. Usable from an event loop: OutputHandle() is
// the descriptor (POSIX) or pipe handle (Windows) to watch, Read(…, 0) never waits.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "install/file_system.h"

namespace quorvane::platform {

struct ChildExit {
  bool exitedNormally = true;  // false: ended by a signal (POSIX) or terminated
  int code = 0;                // the exit code, or the signal's number
};

class ChildProcess {
 public:
  enum class ReadStatus { Data, Nothing, Closed };

  ChildProcess();
  // A child still running is ended with its group, so nothing outlives the owner.
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Starts `program` (a path, no search on PATH) with `arguments`, never through a shell.
  // `directory` is the working directory; empty keeps ours.
  [[nodiscard]] install::IoResult Start(const std::string& program, const std::vector<std::string>& arguments,
                                        const std::string& directory = {});
  // Appends what output has arrived, waiting up to `waitMs` for some. Closed
  // once every writer has ended and everything was read.
  ReadStatus Read(std::string& output, int waitMs);
  // The exit once the child has ended, without waiting.
  [[nodiscard]] bool TryWait(ChildExit& exit);
  // Waits for the child to end.
  ChildExit Wait();
  // Asks the whole group to end, and after `graceMs` forces it; waits for the child.
  void Cancel(int graceMs = 3000);

  bool Running() const;
  std::intptr_t OutputHandle() const;
  long long ProcessId() const;

 private:
  struct State;
  std::unique_ptr<State> m_state;
};

}  // namespace quorvane::platform

#pragma once
// A program run as a child with its output captured: its own process group,
// stdout and stderr through one pipe, read without blocking as it comes, and
// Cancel ending the whole group. Usable from an event loop: OutputHandle() is
// the descriptor (POSIX) or pipe handle (Windows) to watch, Read(…, 0) never waits.
// The program, its arguments and its directory are this machine's own text
// (UTF-8; the wide-character calls on Windows), never the game's code page.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "install/file_system.h"
#include "update/install_machine.h"

namespace quorvane::platform {

using update::ChildExit;

// What one Read takes at most, so that a caller reading a fixed number of
// times per turn of its event loop is held for a bounded time.
inline constexpr std::size_t kReadLimitBytes = 256 * 1024;
inline constexpr int kReadLimitMs = 10;

class ChildProcess : public update::ChildRun {
 public:
  ChildProcess();
  // A child still running is ended with its group, so nothing outlives the owner.
  ~ChildProcess() override;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // update::ChildRun
  [[nodiscard]] install::IoResult Start(const std::string& program, const std::vector<std::string>& arguments,
                                        const std::string& directory = {}) override;
  ReadStatus Read(std::string& output, int waitMs) override;
  [[nodiscard]] bool TryWait(ChildExit& exit) override;
  ChildExit Wait() override;
  void Cancel(int graceMs = 3000) override;
  long long ProcessGroup() const override { return ProcessId(); }

  bool Running() const;
  std::intptr_t OutputHandle() const;
  long long ProcessId() const;

 private:
  struct State;
  std::unique_ptr<State> m_state;
};

}  // namespace quorvane::platform

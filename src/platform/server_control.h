#pragma once
// Finds the running dedicated server and ends it.
#include <functional>
#include <map>
#include <optional>

#include "launch/launcher.h"

namespace quorvane::platform {

class NativeServerControl : public launch::ServerControl {
 public:
  // `accept` narrows which servers count (tests that share the machine with
  // other servers use it); by default every server does.
  using Filter = std::function<bool(Handle)>;
  NativeServerControl() = default;
  explicit NativeServerControl(Filter accept);

  // On Linux a started server is its process group, as kill() names it (a
  // negative number); it runs while any process of that group lives.
  [[nodiscard]] bool IsRunning(Handle started) override;
  // The first server the system lists: on Linux a process whose executable is
  // hlds_linux or hlds.exe, a shell running the script hlds_run, or Wine
  // running hlds.exe. A program that merely names such a file never counts.
  [[nodiscard]] std::optional<Handle> FindServer() override;
  // The polite end request, to the server and everything in its process group.
  void Terminate(Handle server) override;
  // Waits on the monotonic clock, so a change of the wall clock does not stretch it.
  void Pause(int milliseconds) override;
  // Ends at once whatever of the server and its group outlived Terminate.
  void SendClose(Handle server) override;

 private:
  struct Ended {
    long long group = 0;
    unsigned long long startTime = 0;  // tells the same process from a later one with its id
  };
  Filter m_accept;
  std::map<Handle, Ended> m_ended;
};

}  // namespace quorvane::platform

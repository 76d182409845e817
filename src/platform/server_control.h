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

  // The first server the system lists.
  std::optional<Handle> FindServer() override;
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

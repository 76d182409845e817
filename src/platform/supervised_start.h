#pragma once
// The dedicated server started as this program's own child, so that its end
// is seen: how it ended (exit status or signal) is read without waiting, and
// stopping it ends its process group as Stop ends the server.
//
// On Linux the server is forked once into a session of its own (no second
// fork, so it stays our child and is reaped here), with the soft core-file
// limit raised to the hard one. A Linux installation's `hlds_linux` is
// started directly with its folder first on LD_LIBRARY_PATH, as its script
// would start it: the script restarts the server itself and does not hand a
// signal's death on as one. Only when the folder has the script alone is the
// script run, with `-norestart`. On Windows the shell starts the server as
// today, keeping its process handle, with crash dialogs turned off.
#include <memory>
#include <optional>
#include <string>

#include "launch/launcher.h"
#include "update/install_machine.h"

namespace quorvane::platform {

using update::ChildExit;

class SupervisedStarter : public launch::ProcessStarter {
 public:
  // `wine` runs the server's Windows program on Linux: a name looked up on PATH, or a path.
  explicit SupervisedStarter(std::string wine = "wine");
  // A server still running is left running: supervision ending is not a stop.
  ~SupervisedStarter() override;
  SupervisedStarter(const SupervisedStarter&) = delete;
  SupervisedStarter& operator=(const SupervisedStarter&) = delete;

  // Refuses while the last started server still runs. `started` is the
  // server's process id (positive), which ServerControl also understands.
  launch::StartResult Start(const launch::LaunchRequest& request) override;
  void SetCurrentDirectory(const std::string& directory) override;
  // Links are not this starter's business; it refuses them.
  launch::StartResult OpenLink(const std::string& url) override;

  // How the server ended, once it has; none while it runs or before any start.
  [[nodiscard]] std::optional<ChildExit> TryWait();
  // The polite end, then (Kill) the forced one, to the server and its group.
  void Stop();
  void Kill();
  // The server's process id; 0 before the first start.
  long long ProcessId() const;
  bool Running() const;

 private:
  struct State;
  std::unique_ptr<State> m_state;
  std::string m_wine;
};

}  // namespace quorvane::platform

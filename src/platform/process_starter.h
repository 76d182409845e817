#pragma once
// Starts the game's programs and opens the maker's links.
#include <string>
#include <string_view>
#include <vector>

#include "launch/launcher.h"

namespace quorvane::platform {

// The started program runs detached in its own process group with the
// request's working directory; nothing is waited for. Parameters reach it as
// the words of the parameter string, never through a shell.
class NativeProcessStarter : public launch::ProcessStarter {
 public:
  // `wine` runs the game's Windows programs: a name looked up on PATH, or a path.
  explicit NativeProcessStarter(std::string wine = "wine");

  launch::StartResult Start(const launch::LaunchRequest& request) override;
  void SetCurrentDirectory(const std::string& directory) override;
  launch::StartResult OpenLink(const std::string& url) override;

 private:
  std::string m_wine;
};

// The words of an unquoted command line: split at blanks and tabs, no empty
// word, everything else (quotes included) kept as written.
std::vector<std::string> SplitParameters(std::string_view parameters);

}  // namespace quorvane::platform

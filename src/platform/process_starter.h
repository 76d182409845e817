#pragma once
// Starts the game's programs and opens the maker's links.
#include <filesystem>
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

// Linux: the words that run the game's program `file`: wine and the file for
// a Windows program, the file itself, or the Linux program beside it that
// stands for it. Empty, with the reason, when nothing can run it.
struct GameProgram {
  std::vector<std::string> argv;
  std::string error;
};
GameProgram ChooseGameProgram(const std::filesystem::path& file, const std::string& wine);

// The words of an unquoted command line: split at blanks and tabs, no empty
// word, everything else (quotes included) kept as written.
std::vector<std::string> SplitParameters(std::string_view parameters);

}  // namespace quorvane::platform

#pragma once
// One SteamCMD run and the decision whether to run it again.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "update/steamcmd_output.h"

namespace quorvane::update {

// This app often needs several runs before it reports success.
inline constexpr int kMaxRuns = 5;

// The arguments after the program: install into `installDir`, log in
// anonymously, choose the mod, update and check every file, quit.
std::vector<std::string> SteamCmdArguments(std::string_view installDir);

// What one run said and how it ended, gathered from its lines.
class RunSummary {
 public:
  void Add(const OutputLine& line);
  // How the program ended: its exit code, or that it was ended by a signal.
  void Ended(bool exitedNormally, int exitCode);
  // The program could not be started at all.
  void NotStarted(std::string reason);

  bool Succeeded() const { return m_succeeded; }
  bool UpToDate() const { return m_upToDate; }
  bool StartFailed() const { return !m_startFailure.empty(); }
  // The last error line, or empty.
  const std::string& LastError() const { return m_lastError; }
  // Why the run failed, in plain words; empty after a success.
  std::string FailureText() const;
  // A failure that another run cannot mend: no program, no network, no disk space, no such app.
  bool Hopeless() const;

 private:
  bool m_succeeded = false;
  bool m_upToDate = false;
  bool m_ended = false;
  bool m_exitedNormally = true;
  int m_exitCode = 0;
  bool m_noNetwork = false;
  bool m_diskFull = false;
  bool m_noApp = false;
  bool m_hasErrorState = false;
  std::uint32_t m_errorState = 0;
  std::string m_lastError;
  std::string m_startFailure;
};

enum class NextStep { Done, RunAgain, GiveUp };

// After run number `runsSoFar` (1 for the first) ended as `run` says.
NextStep DecideNext(const RunSummary& run, int runsSoFar, bool cancelled);

}  // namespace quorvane::update

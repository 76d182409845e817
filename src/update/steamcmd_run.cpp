#include "update/steamcmd_run.h"

namespace quorvane::update {

namespace {

bool Contains(std::string_view s, std::string_view part) { return s.find(part) != std::string_view::npos; }

}  // namespace

std::vector<std::string> SteamCmdArguments(std::string_view installDir) {
  // force_install_dir must come before the login or SteamCMD ignores it.
  return {"+force_install_dir",
          std::string(installDir),
          "+login",
          "anonymous",
          "+app_set_config",
          "90",
          "mod",
          "tfc",
          "+app_update",
          "90",
          "validate",
          "+quit"};
}

void RunSummary::Add(const OutputLine& line) {
  switch (line.kind) {
    case LineKind::Installed:
      m_succeeded = true;
      break;
    case LineKind::UpToDate:
      m_succeeded = true;
      m_upToDate = true;
      break;
    case LineKind::Error:
      // Only a success after the last error counts.
      m_succeeded = false;
      m_upToDate = false;
      m_lastError = line.text;
      if (line.hasState) {
        m_hasErrorState = true;
        m_errorState = line.state;
      }
      m_diskFull = m_diskFull || (line.hasState && line.state == 0x202) || Contains(line.text, "Disk write failure") ||
                   Contains(line.text, "Not enough disk space");
      m_noNetwork = m_noNetwork || Contains(line.text, "No Connection") ||
                    Contains(line.text, "Connecting anonymously to Steam Public");
      m_noApp = m_noApp || Contains(line.text, "No subscription") || Contains(line.text, "Invalid platform") ||
                Contains(line.text, "Invalid app");
      break;
    default:
      break;
  }
}

void RunSummary::Ended(bool exitedNormally, int exitCode) {
  m_ended = true;
  m_exitedNormally = exitedNormally;
  m_exitCode = exitCode;
}

void RunSummary::NotStarted(std::string reason) {
  m_startFailure = reason.empty() ? std::string("unknown reason") : std::move(reason);
}

bool RunSummary::Hopeless() const { return StartFailed() || m_noNetwork || m_diskFull || m_noApp; }

std::string RunSummary::FailureText() const {
  if (StartFailed()) return "SteamCMD could not be started: " + m_startFailure;
  if (m_succeeded) return {};
  std::string text;
  if (m_diskFull) {
    text = "Not enough disk space: SteamCMD stopped (state 0x202 usually means a full disk).";
  } else if (m_noNetwork) {
    text = "SteamCMD could not reach Steam: check the network connection.";
  } else if (m_noApp) {
    text = "Steam refused to install the server.";
  } else if (m_hasErrorState) {
    const std::string words = StateWords(m_errorState);
    text = std::string("SteamCMD stopped ") + (words.starts_with("state ") ? "in " : "while ") + words + ".";
  } else if (!m_exitedNormally) {
    text = "SteamCMD was ended before it finished.";
  } else if (m_ended && m_exitCode != 0) {
    text = "SteamCMD ended with exit code " + std::to_string(m_exitCode) + " without reporting success.";
  } else {
    text = "SteamCMD ended without reporting success.";
  }
  if (!m_lastError.empty()) text += " Its last error: " + m_lastError;
  return text;
}

NextStep DecideNext(const RunSummary& run, int runsSoFar, bool cancelled) {
  if (run.FailureText().empty()) return NextStep::Done;
  if (cancelled || run.Hopeless() || runsSoFar >= kMaxRuns) return NextStep::GiveUp;
  return NextStep::RunAgain;
}

}  // namespace quorvane::update

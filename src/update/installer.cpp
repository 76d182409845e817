#include "update/installer.h"

namespace quorvane::update {

Installer::Installer(install::FileSystem& fs, InstallRequest request, Observer observer)
    : m_fs(fs), m_request(std::move(request)), m_observer(std::move(observer)) {}

std::optional<StartCommand> Installer::Begin() {
  if (m_begun) return std::nullopt;
  m_begun = true;
  if (m_cancelled) {
    Finish(false, "Cancelled before SteamCMD started; nothing was changed.");
    return std::nullopt;
  }
  if (m_request.serverRunning) {
    Finish(false, kServerInUseMessage);
    return std::nullopt;
  }
  if (m_request.steamCmd.empty()) {
    Finish(false, "No SteamCMD program was chosen.");
    return std::nullopt;
  }
  KeepResult kept = KeepUserFiles(m_fs, m_request.installDir, m_request.stamp);
  if (!kept.ok) {
    // Running without a copy could cost the user an edited file.
    Finish(false, kept.message + ". SteamCMD was not started.");
    return std::nullopt;
  }
  m_kept = std::move(kept.kept);
  if (!m_kept.backupDir.empty()) {
    m_notes = PruneBackups(m_fs, m_request.installDir);
    // Should this program be killed mid-run, the next start finds the files to put back.
    m_marker = {StampTime(m_request.stamp), m_request.owner, 0, m_request.steamCmd, {}};
    for (const KeptFile& file : m_kept.files) m_marker.kept.push_back(file.relative);
    if (const install::IoResult marked = WriteMarker(m_fs, m_kept.backupDir, m_marker); !marked) {
      Finish(false, "Cannot write " + JoinPath(m_kept.backupDir, kUpdateMarker) + ": " + marked.reason +
                        ". SteamCMD was not started.");
      return std::nullopt;
    }
    m_marked = true;
  }
  m_run = 1;
  SetState(0, "starting SteamCMD");
  return Command();
}

StartCommand Installer::Command() const { return {m_request.steamCmd, SteamCmdArguments(m_request.installDir)}; }

void Installer::Output(std::string_view bytes) {
  if (m_finished || m_run == 0) return;
  for (const std::string& line : m_splitter.Feed(bytes)) Line(line);
}

void Installer::Line(const std::string& text) {
  const OutputLine line = ClassifyLine(text);
  m_summary.Add(line);
  if (m_observer.onLine) m_observer.onLine(line.text);
  switch (line.kind) {
    case LineKind::Progress:
      SetState(line.percent, DescribeProgress(line));
      break;
    case LineKind::StartUp:
      SetState(m_percent, line.text);
      break;
    case LineKind::Installed:
      SetState(100, "installed");
      break;
    case LineKind::UpToDate:
      SetState(100, "up to date");
      break;
    case LineKind::Error:
      SetState(m_percent, line.text);
      break;
    case LineKind::Other:
      break;
  }
}

void Installer::SetState(double percent, std::string state) {
  m_percent = percent;
  m_state = std::move(state);
  if (m_observer.onProgress) m_observer.onProgress(m_percent, m_state);
}

std::optional<StartCommand> Installer::RunEnded(bool exitedNormally, int exitCode) {
  if (m_finished || m_run == 0) return std::nullopt;
  for (const std::string& line : m_splitter.Finish()) Line(line);
  m_summary.Ended(exitedNormally, exitCode);
  return AfterRun();
}

void Installer::Started(long long group) {
  if (!m_marked || m_finished) return;
  m_marker.group = group;
  if (const install::IoResult marked = WriteMarker(m_fs, m_kept.backupDir, m_marker); !marked) {
    m_notes.push_back("Cannot note SteamCMD's process in " + JoinPath(m_kept.backupDir, kUpdateMarker) + ": " +
                      marked.reason);
  }
}

std::optional<StartCommand> Installer::StartFailed(const std::string& reason) {
  if (m_finished || m_run == 0) return std::nullopt;
  m_summary.NotStarted(reason);
  return AfterRun();
}

void Installer::Cancel() { m_cancelled = true; }

std::optional<StartCommand> Installer::AfterRun() {
  switch (DecideNext(m_summary, m_run, m_cancelled)) {
    case NextStep::Done:
      Finish(true, "Installed in " + m_request.installDir);
      return std::nullopt;
    case NextStep::RunAgain:
      ++m_run;
      m_summary = RunSummary();
      m_splitter = LineSplitter();
      SetState(0, "run " + std::to_string(m_run) + " of at most " + std::to_string(m_request.maxRuns));
      return Command();
    case NextStep::GiveUp:
      break;
  }
  if (m_cancelled) {
    Finish(false, "Cancelled. SteamCMD was ended; the installation in " + m_request.installDir + " may be incomplete.");
  } else {
    const std::string runs = m_run > 1 ? " (after " + std::to_string(m_run) + " runs)" : "";
    Finish(false, m_summary.FailureText() + runs);
  }
  return std::nullopt;
}

void Installer::Finish(bool ok, std::string message) {
  m_finished = true;
  m_result.ok = ok;
  m_result.cancelled = m_cancelled;
  m_result.runs = m_run;
  m_result.backupDir = m_kept.backupDir;
  // SteamCMD may have replaced the files whatever the outcome.
  const RestoreResult restored = RestoreUserFiles(m_fs, m_request.installDir, m_kept);
  m_result.restored = restored.restored;
  m_result.filesKept = restored.ok();
  if (const std::string put = restored.Message(); !put.empty()) message.append("\n").append(put);
  // A file not put back keeps the marker, so the next start offers it again.
  if (m_marked && restored.ok()) {
    if (const install::IoResult removed = RemoveMarker(m_fs, m_kept.backupDir); !removed) {
      message.append("\nCannot remove " + JoinPath(m_kept.backupDir, kUpdateMarker) + ": " + removed.reason);
    }
  }
  for (const std::string& more : m_notes) message.append("\n").append(more);
  m_result.message = std::move(message);
  SetState(ok ? 100 : m_percent, ok ? "finished" : m_cancelled ? "cancelled" : "failed");
  if (m_observer.onFinished) m_observer.onFinished(m_result);
}

}  // namespace quorvane::update

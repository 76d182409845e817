#include <algorithm>
#include <fstream>
#include <optional>
#include <sstream>
#include <system_error>

#include "platform/crash_files.h"

namespace quorvane::platform {

namespace fs = std::filesystem;

CrashFiles::CrashFiles(fs::path directory) : m_directory(std::move(directory)) {}

ReportWritten CrashFiles::Write(supervise::WallTime when, const std::string& text) {
  std::error_code ec;
  fs::create_directories(m_directory, ec);
  if (ec) return {install::IoResult::Failure(m_directory.string(), ec.message()), {}};
  std::vector<std::string> existing;
  for (fs::directory_iterator it(m_directory, ec), end; !ec && it != end; it.increment(ec))
    existing.push_back(it->path().filename().string());
  const fs::path folder = m_directory / supervise::ReportFolderName(when, existing);
  const fs::path file = folder / kReportFile;
  if (!fs::create_directory(folder, ec) || ec)
    return {install::IoResult::Failure(folder.string(), ec ? ec.message() : "it exists already"), {}};
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
    out.flush();
    if (!out) {
      out.close();
      fs::remove_all(folder, ec);
      return {install::IoResult::Failure(file.string(), "the report could not be written (is the disk full?)"), {}};
    }
  }
  RemoveOld(when);
  return {install::IoResult::Success(), folder};
}

std::vector<std::string> CrashFiles::List() const {
  std::vector<std::pair<supervise::WallTime, std::string>> reports;
  std::error_code ec;
  for (fs::directory_iterator it(m_directory, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (const auto time = supervise::ReportFolderTime(name); time && it->is_directory(ec))
      reports.emplace_back(*time, name);
  }
  std::sort(reports.begin(), reports.end(), [](const auto& a, const auto& b) { return a > b; });
  std::vector<std::string> names;
  for (auto& report : reports) names.push_back(std::move(report.second));
  return names;
}

install::Read<std::string> CrashFiles::ReadReport(const std::string& folder) const {
  const fs::path file = m_directory / folder / kReportFile;
  std::ifstream in(file, std::ios::binary);
  if (!in) return install::IoResult::Failure(file.string(), "it cannot be opened");
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return install::IoResult::Failure(file.string(), "it cannot be read");
  return text.str();
}

void CrashFiles::RemoveOld(supervise::WallTime now) const {
  std::vector<std::string> folders;
  std::error_code ec;
  for (fs::directory_iterator it(m_directory, ec), end; !ec && it != end; it.increment(ec))
    if (it->is_directory(ec)) folders.push_back(it->path().filename().string());
  for (const std::string& name : supervise::ReportsToRemove(folders, now)) fs::remove_all(m_directory / name, ec);
}

namespace {

// The newest file of the server's own log folder, for a crash the live log did not see.
std::optional<fs::path> NewestLogFile(const fs::path& serverFolder) {
  std::optional<fs::path> newest;
  fs::file_time_type newestTime{};
  std::error_code ec;
  for (const fs::path& logs : {serverFolder / "tfc" / "logs", serverFolder / "tfc" / "Logs"}) {
    for (fs::directory_iterator it(logs, ec), end; !ec && it != end; it.increment(ec)) {
      if (!it->is_regular_file(ec)) continue;
      const fs::file_time_type time = it->last_write_time(ec);
      if (!ec && (!newest || time > newestTime)) newest = it->path(), newestTime = time;
    }
    if (newest) break;
  }
  return newest;
}

}  // namespace

ReportWritten WriteCrashReport(CrashFiles& files, const supervise::Crash& crash, const ReportInputs& inputs) {
  supervise::ReportFacts facts;
  facts.when = inputs.when;
  facts.logLines = inputs.liveLog;
  facts.logSource = "the live log";
  if (facts.logLines.empty()) {
    if (const std::optional<fs::path> file = NewestLogFile(inputs.serverFolder)) {
      std::ifstream in(*file, std::ios::binary);
      std::ostringstream text;
      text << in.rdbuf();
      facts.logLines = supervise::LastLines(text.str());
      facts.logSource = file->filename().string();
    }
  }
  if (crash.end == supervise::Crash::End::Signalled) {
    if (const std::optional<Backtrace> trace = CoreBacktrace(inputs.serverFolder, inputs.serverFolder / "hlds_linux",
                                                             inputs.processId, inputs.startedAt)) {
      facts.backtrace = trace->text;
      facts.backtraceSource = trace->core;
    }
  }
  return files.Write(inputs.when, supervise::ReportText(crash, facts));
}

}  // namespace quorvane::platform

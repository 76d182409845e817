// Any bytes as SteamCMD's output, cut into chunks where the first byte says:
// the lines are the same however the stream is cut, none holds a line end, an
// escape or more than the longest line, and every progress reading is in range.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "update/steamcmd_output.h"
#include "update/steamcmd_run.h"

namespace {

std::vector<std::string> Lines(std::string_view bytes, std::size_t chunk) {
  quorvane::update::LineSplitter splitter;
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < bytes.size(); at += chunk) {
    for (std::string& line : splitter.Feed(bytes.substr(at, chunk))) lines.push_back(std::move(line));
  }
  for (std::string& line : splitter.Finish()) lines.push_back(std::move(line));
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t chunk = data[0] % 16 + 1;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::vector<std::string> lines = Lines(bytes, bytes.size() + 1);
  if (Lines(bytes, chunk) != lines) __builtin_trap();
  quorvane::update::RunSummary run;
  for (const std::string& text : lines) {
    if (text.empty() || text.size() > quorvane::update::LineSplitter::kMaxLine) __builtin_trap();
    if (text.find_first_of("\r\n\x1b") != std::string::npos) __builtin_trap();
    const quorvane::update::OutputLine line = quorvane::update::ClassifyLine(text);
    if (!(line.percent >= 0 && line.percent <= 100)) __builtin_trap();
    if (line.kind == quorvane::update::LineKind::Progress && quorvane::update::DescribeProgress(line).empty()) {
      __builtin_trap();
    }
    run.Add(line);
  }
  run.Ended(true, 0);
  if (run.Succeeded() == run.FailureText().empty()) return 0;
  __builtin_trap();
}

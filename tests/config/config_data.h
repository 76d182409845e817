#pragma once
// Reading the files of tests/data/config.
#include <array>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "install/build_info.h"

namespace quorvane::config::test_data {

// A file of tests/data/config; expected files carry a token where the configured download page goes.
inline std::string Data(const std::string& name) {
  // Appended, not summed: GCC 12 at -O2 warns wrongly about the moved temporary of a sum.
  std::string path = QUORVANE_TEST_DATA;
  path += "/config/";
  path += name;
  std::ifstream in(path, std::ios::binary);
  std::string text(std::istreambuf_iterator<char>(in), {});
  const std::size_t at = text.find("@DOWNLOAD_PAGE@");
  if (at == std::string::npos) return text;
  return text.replace(at, std::string_view("@DOWNLOAD_PAGE@").size(), install::kDownloadPage);
}

// The byte an escape stands for; `i` is at the backslash and is left on the escape's last character.
inline char Unescape(const std::string& line, std::size_t& i) {
  ++i;
  constexpr std::string_view kLetters = "trn0";
  constexpr std::string_view kBytes("\t\r\n\0", 4);
  if (const std::size_t at = kLetters.find(line.at(i)); at != std::string_view::npos) return kBytes[at];
  const char byte = static_cast<char>(std::stoi(line.substr(i + 1, 2), nullptr, 16));
  i += 2;
  return byte;
}

using Row = std::array<std::string, 4>;

// The four tab-separated columns of each line but comments; \t \r \n \0 and \xHH stand for those bytes.
inline std::vector<Row> Rows(const std::string& name) {
  std::vector<Row> rows;
  std::istringstream lines(Data(name));
  for (std::string line; std::getline(lines, line);) {
    if (line.empty() || line[0] == '#') continue;
    Row& row = rows.emplace_back();
    std::size_t column = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
      if (line[i] == '\t')
        ++column;
      else if (line[i] == '\\')
        row.at(column) += Unescape(line, i);
      else
        row.at(column) += line[i];
    }
  }
  return rows;
}

}  // namespace quorvane::config::test_data

#include "install/keep_previous.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "support/memory_file_system.h"

namespace quorvane::install {
namespace {

using test_support::MemoryFileSystem;
constexpr const char* kCycle = "C:\\HL\\Tfc\\mapcycle.txt";
constexpr const char* kNew = "2fort\r\nwell\r\nrock2\r\n";

struct HalfWay {
  const char* name;
  std::optional<std::string> before;  // the file's bytes before the write, none when it is new
  int failures;                       // writes that stop after 5 bytes (-1: every one)
  std::optional<std::string> after;
  std::string reason;
};
void PrintTo(const HalfWay& row, std::ostream* out) { *out << row.name; }

class WriteStoppingHalfWay : public ::testing::TestWithParam<HalfWay> {};

TEST_P(WriteStoppingHalfWay, leavesThePreviousBytesOrNoFile_andSaysWhy) {
  const HalfWay& row = GetParam();
  MemoryFileSystem fs;
  fs.AddDirectory("C:\\HL\\Tfc");
  if (row.before) fs.AddFile(kCycle, *row.before);
  fs.FailOn(MemoryFileSystem::Op::Write, kCycle, MemoryFileSystem::kNoSpace, row.failures, 5);
  const IoResult written = WriteKeepingPrevious(fs, kCycle, kNew);
  EXPECT_FALSE(written);
  EXPECT_EQ(written.reason, row.reason);
  EXPECT_EQ(fs.Bytes(kCycle), row.after);
}

INSTANTIATE_TEST_SUITE_P(
    Files, WriteStoppingHalfWay,
    ::testing::Values(HalfWay{"PreviousBytesPutBack", "well\r\n", 1, "well\r\n", MemoryFileSystem::kNoSpace},
                      HalfWay{"NewFileRemoved", std::nullopt, 1, std::nullopt, MemoryFileSystem::kNoSpace},
                      HalfWay{
                          "PreviousBytesThatCannotBePutBackAreNamed", "well\r\nhunted\r\n", -1, "well\r",
                          std::string(MemoryFileSystem::kNoSpace) + " (the previous content could not be put back)"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quorvane::install

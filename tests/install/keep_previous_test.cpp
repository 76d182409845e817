#include "install/keep_previous.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "support/memory_file_system.h"

namespace quorvane::install {
namespace {

using test_support::MemoryFileSystem;
using Op = MemoryFileSystem::Op;

constexpr const char* kFile = "C:\\HL\\Tfc\\motd.txt";

struct Case {
  const char* name;
  std::optional<std::string> before;  // nullopt: no file yet
  std::function<void(MemoryFileSystem&)> fault;
  bool ok;
  std::optional<std::string> after;
  std::string reason;
};

class WriteKeepingPreviousTest : public ::testing::TestWithParam<Case> {};

TEST_P(WriteKeepingPreviousTest, leavesTheNewBytesOrThePreviousOnes) {
  const Case& c = GetParam();
  MemoryFileSystem fs;
  fs.AddDirectory("C:\\HL\\Tfc");
  if (c.before) fs.AddFile(kFile, *c.before);
  c.fault(fs);
  const IoResult r = WriteKeepingPrevious(fs, kFile, "new message\r\n");
  EXPECT_EQ(r.ok, c.ok);
  EXPECT_EQ(r.error, c.reason);
  EXPECT_EQ(fs.Bytes(kFile), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WriteKeepingPreviousTest,
    ::testing::Values(
        Case{"plain", "old\r\n", [](MemoryFileSystem&) {}, true, "new message\r\n", ""},
        Case{"diskFullHalfWay", "old\r\n",
             [](MemoryFileSystem& fs) { fs.FailOn(Op::Write, kFile, MemoryFileSystem::kNoSpace, 1, 4); }, false,
             "old\r\n", MemoryFileSystem::kNoSpace},
        Case{"refusedAtOpen", "old\r\n",
             [](MemoryFileSystem& fs) { fs.FailOn(Op::Write, kFile, MemoryFileSystem::kDenied); }, false, "old\r\n",
             MemoryFileSystem::kDenied},
        Case{"cannotPutBack", "old\r\n",
             [](MemoryFileSystem& fs) { fs.FailOn(Op::Write, kFile, MemoryFileSystem::kNoSpace, 2, 3); }, false,
             "old", std::string(MemoryFileSystem::kNoSpace) + " (the previous content could not be put back)"},
        Case{"newFileHalfWritten", std::nullopt,
             [](MemoryFileSystem& fs) { fs.FailOn(Op::Write, kFile, MemoryFileSystem::kNoSpace, 1, 4); }, false,
             std::nullopt, MemoryFileSystem::kNoSpace},
        Case{"unreadablePrevious", "old\r\n",
             [](MemoryFileSystem& fs) { fs.FailOn(Op::Read, kFile, "Input/output error"); }, false, "old\r\n",
             "Input/output error"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quorvane::install

// Inputs the fuzzers found, kept so the faults they showed stay mended.
#include <gtest/gtest.h>

#include <string>

#include "install/settings_file.h"
#include "support/memory_file_system.h"

namespace quorvane::install {
namespace {

using test_support::MemoryFileSystem;

constexpr const char* kIni = "C:\\Quorvane\\Quorvane.ini";

// A location read from a file, saved and read again, must not change.
TEST(SettingsFuzzRegression, savedLocationReadsBackAsItWasRead) {
  const std::string files[] = {
      std::string("  \"  \"1\xff\\ld\\HL\"\x0f\nsecond Dd\r\n"),  // quoted blanks only
      "\"\t C:\\Half-Life\"\r\n",                                  // leading tab and blank, quoted
      "\" C:\\Games, Old\"",                                       // leading blank and a comma
      "\"\"\r\n",                                                  // an empty quoted item
  };
  for (const std::string& bytes : files) {
    MemoryFileSystem fs;
    fs.AddFile(kIni, bytes);
    const std::string location = ReadServerLocation(fs, kIni);
    ASSERT_TRUE(SaveServerLocation(fs, kIni, location));
    EXPECT_EQ(ReadServerLocation(fs, kIni), location) << bytes;
  }
}

}  // namespace
}  // namespace quorvane::install

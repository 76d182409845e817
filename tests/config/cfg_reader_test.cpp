#include "config/cfg_reader.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "config/field_store.h"
#include "support/memory_file_system.h"

namespace quorvane::config {
namespace {

using namespace std::string_literals;

TEST(CfgReader, linesSetHostnameAsTheGrammarSays) {
  struct Case {
    std::string bytes;
    std::string hostname;  // expected afterwards; the field starts as "before"
  };
  const Case cases[] = {
      {"hostname\t\t\"My server, 24/7\"\r\n", "My server, 24/7"},
      {"hostname \"x\"", "x"},  // one space instead of tabs, no final line end
      {"  \t hostname\t\t\t\"x\"\r\n", "x"},
      {"HostName\t\"x\"\r\n", "x"},
      {"hostname\t\"\"\r\n", ""},
      {"hostname\t\"\r\n", ""},  // a lone quote
      {"hostname\t\"say \"hi\" now\"\r\n", "say \"hi\" now"},
      {"hostname\t\"x\"\t\r\n", "x\""},  // the tab after the quote is the dropped character
      {"hostname \"x\" // comment\n", "x\" // commen"},
      {"hostname\"1\"\n", "1"},
      {"hostname  \"  padded  \"  \n", "padded  "},
      {"hostname\tjunk \"x\"\n", "x"},
      {"hostname x\r\n", "before"},  // unquoted
      {"// hostname \"x\"\r\n", "before"},
      {"echo hostname \"x\"\r\n", "before"},
      {"\r\n \r\n// //  \r\necho hi\r\n", "before"},
      {"\"hostname\"\t\t\"x\"\n", "before"},  // a quoted name is an empty name
      {"hostname\t\"first\"\nhostname\t\"second\"\n", "second"},
      {"// c\rhostname\t\"x\"\r\"junk\"", "x"},
      {"hostname\t\"x\"\n\"junk\"\n", "x"},
      {"hostname\t\"caf\xE9 \x80\xFF\"\r\n", "caf\xE9 \x80\xFF"},
      {"hostname\t\"a\0b\"\r\n"s, "a\0b"s},
      {"map\t\"2fort\"\r\nhostnamex\t\"y\"\r\n", "before"},
  };
  for (const Case& c : cases) {
    MemoryFieldStore fields;
    fields.SetText("hostname", "before");
    ApplyCfgText(c.bytes, fields);
    EXPECT_EQ(fields.GetText("hostname"), c.hostname) << ::testing::PrintToString(c.bytes);
  }
}

TEST(CfgReader, checkBoxTakesTheRoundedLeadingNumberWhenItIsZeroToTwo) {
  struct Case {
    const char* value;
    int before, after;
  };
  for (const Case& c : {Case{"1", 0, 1}, Case{"0", 1, 0}, Case{"2", 0, 2}, Case{"7", 1, 1}, Case{"abc", 1, 0},
                        Case{" 1", 0, 1}, Case{"1.6", 0, 2}, Case{"2.5", 0, 2}, Case{"0.5", 1, 0}, Case{"-1", 1, 1},
                        Case{"1abc", 0, 1}, Case{"", 1, 0}, Case{"99999999999999999999", 1, 1}, Case{"1e0", 0, 1}}) {
    MemoryFieldStore fields;
    fields.SetCheck("sv_lan", c.before);
    ApplyCfgText("sv_lan\t\t\t\""s + c.value + "\"\r\n", fields);
    EXPECT_EQ(fields.GetCheck("sv_lan"), c.after) << '"' << c.value << '"';
  }
}

TEST(CfgReader, megabyteOfLinesAndJunkSetsTheLastValuesAndLoadOnlyFields) {
  std::mt19937 random(7);
  std::string file(64 * 1024, '\0');
  for (char& c : file) c = static_cast<char>(random() & 0xFF);
  file += "\ntfc_spam_limit\t\"6\"\n";
  int n = 0;
  for (; file.size() < (1u << 20); ++n)
    file += "// line " + std::to_string(n) + "\r\nhostname\t\t\"Server " + std::to_string(n) + "\"\r\nsv_lan\t\"" +
            std::to_string(n % 3) + "\"\nheartbeat\n";
  MemoryFieldStore fields;
  ApplyCfgText(file, fields);
  EXPECT_EQ(fields.GetText("hostname"), "Server " + std::to_string(n - 1));
  EXPECT_EQ(fields.GetCheck("sv_lan"), (n - 1) % 3);
  EXPECT_EQ(fields.GetText("tfc_spam_limit"), "6");
}

TEST(CfgReader, loadReadsThroughTheFileSystemAndReportsWhatFailed) {
  using test_support::MemoryFileSystem;
  MemoryFileSystem fs;
  fs.AddFile("C:\\HL\\tfc\\SERVER.CFG", "hostname\t\"from disk\"\r\n");
  fs.FailOn(MemoryFileSystem::Op::Read, "C:\\HL\\Tfc\\server.cfg", "Input/output error", 1);
  MemoryFieldStore fields;
  fields.SetText("hostname", "before");
  EXPECT_EQ(LoadCfgFile(fs, "C:\\HL\\Tfc\\autoexec.cfg", fields).error, MemoryFileSystem::kNotFound);
  EXPECT_EQ(LoadCfgFile(fs, "C:\\HL\\Tfc\\server.cfg", fields).error, "Input/output error");
  EXPECT_EQ(fields.GetText("hostname"), "before");
  EXPECT_TRUE(LoadCfgFile(fs, "C:\\HL\\Tfc\\server.cfg", fields));
  EXPECT_EQ(fields.GetText("hostname"), "from disk");
}

}  // namespace
}  // namespace quorvane::config

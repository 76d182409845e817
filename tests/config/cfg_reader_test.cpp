#include "config/cfg_reader.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "config/field_store.h"
#include "support/memory_file_system.h"

namespace quorvane::config {
namespace {

using namespace std::string_literals;

struct TextCase {
  const char* what;
  std::string bytes;
  std::string hostname;  // expected afterwards; the field starts as "before"
};
void PrintTo(const TextCase& c, std::ostream* os) { *os << c.what; }


class ReaderTextLines : public ::testing::TestWithParam<TextCase> {};

TEST_P(ReaderTextLines, setHostnameAsTheGrammarSays) {
  MemoryFieldStore fields;
  fields.SetText("hostname", "before");
  ApplyCfgText(GetParam().bytes, fields);
  EXPECT_EQ(fields.GetText("hostname"), GetParam().hostname) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Grammar, ReaderTextLines,
    ::testing::Values(
        TextCase{"comma kept", "hostname\t\t\"My server, 24/7\"\r\n", "My server, 24/7"},
        TextCase{"one space instead of tabs, no final line end", "hostname \"x\"", "x"},
        TextCase{"leading blanks and three tabs", "  \t hostname\t\t\t\"x\"\r\n", "x"},
        TextCase{"capitalised name", "HostName\t\"x\"\r\n", "x"},
        TextCase{"two quotes give the empty text", "hostname\t\"\"\r\n", ""},
        TextCase{"a lone quote gives the empty text", "hostname\t\"\r\n", ""},
        TextCase{"inner quotes kept", "hostname\t\"say \"hi\" now\"\r\n", "say \"hi\" now"},
        TextCase{"tab after the closing quote is the dropped character", "hostname\t\"x\"\t\r\n", "x\""},
        TextCase{"trailing comment loses only its last character", "hostname \"x\" // comment\n",
                 "x\" // commen"},
        TextCase{"no blank before the quote", "hostname\"1\"\n", "1"},
        TextCase{"spaces inside the quotes trimmed before the drop", "hostname  \"  padded  \"  \n", "padded  "},
        TextCase{"text after a tab in the name is ignored", "hostname\tjunk \"x\"\n", "x"},
        TextCase{"unquoted name value line ignored", "hostname x\r\n", "before"},
        TextCase{"comment line ignored", "// hostname \"x\"\r\n", "before"},
        TextCase{"echo line ignored", "echo hostname \"x\"\r\n", "before"},
        TextCase{"blank, one-space and comment lines", "\r\n \r\n// //  \r\necho hi\r\n", "before"},
        TextCase{"quoted name gives an empty name", "\"hostname\"\t\t\"x\"\n", "before"},
        TextCase{"named twice: the later wins", "hostname\t\"first\"\nhostname\t\"second\"\n", "second"},
        TextCase{"CR alone ends a line", "// c\rhostname\t\"x\"\r\"junk\"", "x"},
        TextCase{"LF alone ends a line", "hostname\t\"x\"\n\"junk\"\n", "x"},
        TextCase{"high bytes are ordinary", "hostname\t\"caf\xE9 \x80\xFF\"\r\n", "caf\xE9 \x80\xFF"},
        TextCase{"NUL bytes are ordinary", "hostname\t\"a\0b\"\r\n"s, "a\0b"s},
        TextCase{"a name that is no field", "map\t\"2fort\"\r\nhostnamex\t\"y\"\r\n", "before"}));

struct CheckCase {
  const char* value;
  int before;
  int after;
};
void PrintTo(const CheckCase& c, std::ostream* os) { *os << '"' << c.value << '"'; }


class ReaderCheckBoxValues : public ::testing::TestWithParam<CheckCase> {};

TEST_P(ReaderCheckBoxValues, takeTheLeadingNumberWhenItIsZeroToTwo) {
  MemoryFieldStore fields;
  fields.SetCheck("sv_lan", GetParam().before);
  ApplyCfgText("sv_lan\t\t\t\""s + GetParam().value + "\"\r\n", fields);
  EXPECT_EQ(fields.GetCheck("sv_lan"), GetParam().after) << "value \"" << GetParam().value << '"';
}

INSTANTIATE_TEST_SUITE_P(Grammar, ReaderCheckBoxValues,
                         ::testing::Values(CheckCase{"1", 0, 1}, CheckCase{"0", 1, 0}, CheckCase{"2", 0, 2},
                                           CheckCase{"7", 1, 1}, CheckCase{"abc", 1, 0}, CheckCase{" 1", 0, 1},
                                           CheckCase{"1.6", 0, 2}, CheckCase{"0.4", 1, 0}, CheckCase{"2.5", 0, 2},
                                           CheckCase{"0.5", 1, 0}, CheckCase{"-1", 1, 1}, CheckCase{"1abc", 0, 1},
                                           CheckCase{"", 1, 0}, CheckCase{"99999999999999999999", 1, 1},
                                           CheckCase{"1e0", 0, 1}));

TEST(CfgReader, fieldOfTheOtherFileAndLoadOnlyFieldsAreSet) {
  MemoryFieldStore fields;
  ApplyCfgText("// Autoexec.cfg\r\nsv_gravity\t\"400\"\r\ntfc_spam_limit\t\"6\"\r\n\"mp_timelimit\"\t\t\"0.000000\"\r\n",
               fields);
  EXPECT_EQ(fields.GetText("sv_gravity"), "400");
  EXPECT_EQ(fields.GetText("tfc_spam_limit"), "6");
  EXPECT_EQ(fields.GetText("mp_timelimit"), "") << "a quoted name carries no field";
}

TEST(CfgReader, megabyteFileAndHugeLine) {
  std::string file;
  int n = 0;
  while (file.size() < (1u << 20)) {
    file += "// comment line " + std::to_string(n) + "\r\n";
    file += "hostname\t\t\"Server number " + std::to_string(n) + "\"\r\n";
    file += "sv_lan\t\t\t\"" + std::to_string(n % 3) + "\"\n";
    file += "heartbeat\n";
    ++n;
  }
  MemoryFieldStore fields;
  ApplyCfgText(file, fields);
  EXPECT_EQ(fields.GetText("hostname"), "Server number " + std::to_string(n - 1));
  EXPECT_EQ(fields.GetCheck("sv_lan"), (n - 1) % 3);

  std::string huge(1u << 20, 'a');
  ApplyCfgText("hostname\t\"" + huge + "\"", fields);
  EXPECT_EQ(fields.GetText("hostname"), huge);
}

TEST(CfgReader, binaryJunkDoesNotStopLaterLines) {
  std::mt19937 random(7);
  std::string junk(64 * 1024, '\0');
  for (char& c : junk) c = static_cast<char>(random() & 0xFF);
  MemoryFieldStore fields;
  ApplyCfgText(junk + "\nhostname\t\"still read\"\n", fields);
  EXPECT_EQ(fields.GetText("hostname"), "still read");
}

TEST(LoadCfgFile, readsThroughTheFileSystemAndReportsWhatFailed) {
  test_support::MemoryFileSystem fs;
  fs.AddFile("C:\\HL\\tfc\\SERVER.CFG", "hostname\t\"from disk\"\r\n");
  MemoryFieldStore fields;
  fields.SetText("hostname", "before");

  install::IoResult missing = LoadCfgFile(fs, "C:\\HL\\Tfc\\autoexec.cfg", fields);
  EXPECT_FALSE(missing);
  EXPECT_EQ(missing.error, test_support::MemoryFileSystem::kNotFound);

  fs.FailOn(test_support::MemoryFileSystem::Op::Read, "C:\\HL\\Tfc\\server.cfg", "Input/output error", 1);
  install::IoResult unreadable = LoadCfgFile(fs, "C:\\HL\\Tfc\\server.cfg", fields);
  EXPECT_EQ(unreadable.error, "Input/output error");
  EXPECT_EQ(fields.GetText("hostname"), "before");

  EXPECT_TRUE(LoadCfgFile(fs, "C:\\HL\\Tfc\\server.cfg", fields));
  EXPECT_EQ(fields.GetText("hostname"), "from disk");
}

}  // namespace
}  // namespace quorvane::config

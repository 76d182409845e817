// The configuration files: the reader's grammar, the writers' bytes and
// backups, and the resets and fix-ups of the fields.
#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <set>
#include <sstream>

#include "config/cfg_reader.h"
#include "config/cfg_writer.h"
#include "config/field_catalogue.h"
#include "config/resets.h"
#include "install/build_info.h"
#include "support/memory_file_system.h"

namespace quorvane::config {
namespace {

using namespace std::string_literals;
using test_support::MemoryFileSystem;
using Op = MemoryFileSystem::Op;
using Write = WriteResult (*)(MemoryFileSystem&, MemoryFieldStore&);
template <auto writer>
WriteResult Call(MemoryFileSystem& fs, MemoryFieldStore& fields) { return writer(fs, "C:\\HL", fields); }

const std::string kServer = "C:\\HL\\Tfc\\server.cfg", kServerBak = "C:\\HL\\Tfc\\server.bak";
const std::string kListen = "C:\\HL\\Tfc\\listenserver.cfg", kListenBak = "C:\\HL\\Tfc\\listenserver.bak";
const std::string kAutoexec = "C:\\HL\\Valve\\autoexec.cfg", kAutoexecBak = "C:\\HL\\Valve\\autoexec.bak";

TEST(CfgReader, linesSetHostnameAsTheGrammarSays) {
  const std::pair<std::string, std::string> cases[] = {  // the bytes, and hostname after them ("before" at first)
      {"hostname\t\t\"My server, 24/7\"\r\n", "My server, 24/7"}, {"hostname \"x\"", "x"},
      {"  \t hostname\t\t\t\"x\"\r\n", "x"},       {"HostName\t\"x\"\r\n", "x"},
      {"hostname\t\"\"\r\n", ""},                  {"hostname\t\"\r\n", ""},
      {"hostname\t\"say \"hi\" now\"\r\n", "say \"hi\" now"}, {"hostname\t\"x\"\t\r\n", "x\""},
      {"hostname \"x\" // comment\n", "x\" // commen"},       {"hostname\"1\"\n", "1"},
      {"hostname  \"  padded  \"  \n", "padded  "}, {"hostname\tjunk \"x\"\n", "x"},
      {"hostname x\r\n", "before"},                {"// hostname \"x\"\r\n", "before"},
      {"echo hostname \"x\"\r\n", "before"},       {"\r\n \r\n// //  \r\necho hi\r\n", "before"},
      {"\"hostname\"\t\t\"x\"\n", "before"},       {"hostname\t\"first\"\nhostname\t\"second\"\n", "second"},
      {"// c\rhostname\t\"x\"\r\"junk\"", "x"},    {"hostname\t\"x\"\n\"junk\"\n", "x"},
      {"hostname\t\"caf\xE9 \x80\xFF\"\r\n", "caf\xE9 \x80\xFF"}, {"hostname\t\"a\0b\"\r\n"s, "a\0b"s},
      {"map\t\"2fort\"\r\nhostnamex\t\"y\"\r\n", "before"}};
  for (const auto& [bytes, hostname] : cases) {
    MemoryFieldStore fields;
    fields.SetText("hostname", "before");
    ApplyCfgText(bytes, fields);
    EXPECT_EQ(fields.GetText("hostname"), hostname) << ::testing::PrintToString(bytes);
  }
}

TEST(CfgReader, checkBoxTakesTheRoundedLeadingNumberWhenItIsZeroToTwo) {
  struct Case { const char* value; int before, after; };
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
    file += "// " + std::to_string(n) + "\r\nhostname\t\"S" + std::to_string(n) + "\"\r\nsv_lan\t\"" +
            std::to_string(n % 3) + "\"\nheartbeat\n";
  MemoryFieldStore fields;
  ApplyCfgText(file, fields);
  EXPECT_EQ(fields.GetText("hostname"), "S" + std::to_string(n - 1));
  EXPECT_EQ(fields.GetCheck("sv_lan"), (n - 1) % 3);
  EXPECT_EQ(fields.GetText("tfc_spam_limit"), "6");
}

TEST(CfgReader, loadReadsThroughTheFileSystemAndReportsWhatFailed) {
  MemoryFileSystem fs;
  fs.AddFile("C:\\HL\\tfc\\SERVER.CFG", "hostname\t\"from disk\"\r\n");
  fs.FailOn(Op::Read, kServer, "Input/output error", 1);
  MemoryFieldStore fields;
  EXPECT_EQ(LoadCfgFile(fs, kAutoexec, fields).error, MemoryFileSystem::kNotFound);
  EXPECT_EQ(LoadCfgFile(fs, kServer, fields).error, "Input/output error");
  EXPECT_TRUE(LoadCfgFile(fs, kServer, fields));
  EXPECT_EQ(fields.GetText("hostname"), "from disk");
}

// Expected files carry a token where the configured download page goes.
std::string Expected(const std::string& name) {
  std::stringstream ss;
  ss << std::ifstream(std::string(QUORVANE_TEST_DATA) + "/config/" + name, std::ios::binary).rdbuf();
  std::string text = ss.str();
  const std::size_t at = text.find("@DOWNLOAD_PAGE@");
  return at == std::string::npos ? text : text.replace(at, 15, install::kDownloadPage);
}

MemoryFileSystem Installation() {
  MemoryFileSystem fs;
  for (const char* dir : {"C:\\HL\\Tfc", "C:\\HL\\Valve"}) fs.AddDirectory(dir);
  return fs;
}

TEST(CfgWriter, defaultsAreWrittenByteForByteAsTheExpectedFiles) {
  // An empty texture mode is filled in by the full autoexec writer.
  struct Case { const char* expected; const std::string& path; Write write; const char *port, *textureMode; };
  for (const Case& c : {Case{"server_default.cfg", kServer, Call<WriteServerCfg>, "27016", ""},
                        Case{"listenserver_default.cfg", kListen, Call<WriteServerCfg>, "27016", ""},
                        Case{"autoexec_default.cfg", kAutoexec, Call<WriteAutoexecCfg>, "", ""},
                        Case{"server_basic.cfg", kServer, Call<WriteBasicServerCfg>, "", ""},
                        Case{"autoexec_basic.cfg", kAutoexec, Call<WriteBasicAutoexecCfg>, "", "gl_texturemode"}}) {
    MemoryFileSystem fs = Installation();
    MemoryFieldStore fields;
    ApplyServerDefaults(fields);
    ApplyAutoexecDefaults(fields);
    fields.SetText("port", c.port);
    fields.SetText("exec", "other.cfg");  // never written: the line is constant
    fields.SetText("gl_texturemode", c.textureMode);
    ASSERT_TRUE(c.write(fs, fields)) << c.expected;
    EXPECT_EQ(fs.Bytes(c.path), Expected(c.expected)) << c.expected;
  }
}

TEST(CfgWriter, readerGetsBackEveryWrittenFieldOfEachFile) {
  struct Case { std::string (*text)(const FieldStore&); unsigned file; bool withHiModels; };
  for (const Case& c : {Case{ServerCfgText, kFileServer, true}, Case{ListenServerCfgText, kFileListen, true},
                        Case{AutoexecCfgText, kFileAutoexec, true}, Case{BasicServerCfgText, kFileServer, true},
                        Case{BasicAutoexecCfgText, kFileAutoexec, false}}) {
    MemoryFieldStore written, read;
    int i = 0;
    for (const ConfigField& f : FieldCatalogue::All()) {
      written.SetText(f.name, i % 4 == 0 ? "" : "v" + std::to_string(i) + ", \"quoted\" caf\xE9\xFF");
      written.SetCheck(f.name, i++ % 3);
      read.SetText(f.name, "unchanged");
      read.SetCheck(f.name, 1);
    }
    ApplyCfgText(c.text(written), read);
    for (const ConfigField& f : FieldCatalogue::All()) {
      const bool inFile = (f.files & c.file) != 0 && (f.name != "cl_himodels" || c.withHiModels);
      const std::string text = f.IsCheckBox() ? "unchanged" : f.name == "exec" ? "listip.cfg" : written.GetText(f.name);
      EXPECT_EQ(read.GetText(f.name), inFile ? text : "unchanged") << c.file << ' ' << f.name;
      EXPECT_EQ(read.GetCheck(f.name), inFile && f.IsCheckBox() ? written.GetCheck(f.name) : 1) << f.name;
    }
  }
}

TEST(CfgWriter, aSecondWriteKeepsTheFirstAsBackupAndAFirstDeletesAStaleOne) {
  MemoryFileSystem fs = Installation();
  fs.AddFile(kServerBak, "stale");
  fs.AddFile(kAutoexecBak, "stale");
  MemoryFieldStore fields;
  ASSERT_TRUE(Call<WriteServerCfg>(fs, fields) && Call<WriteAutoexecCfg>(fs, fields));
  EXPECT_FALSE(fs.Exists(kServerBak) || fs.Exists(kAutoexecBak));
  const auto server = fs.Bytes(kServer), listen = fs.Bytes(kListen), autoexec = fs.Bytes(kAutoexec);
  fields.SetText("hostname", "second");
  ASSERT_TRUE(Call<WriteServerCfg>(fs, fields) && Call<WriteAutoexecCfg>(fs, fields));
  EXPECT_TRUE(fs.Bytes(kServerBak) == server && fs.Bytes(kListenBak) == listen && fs.Bytes(kAutoexecBak) == autoexec);
  EXPECT_EQ(fs.Bytes(kServer), ServerCfgText(fields));
}

TEST(CfgWriter, missingDirectoryOrFailingFileIsReportedAndTheOtherServerFileStillWritten) {
  for (const auto& [file, write] : {std::pair{&kServer, &Call<WriteServerCfg>}, {&kAutoexec, &Call<WriteAutoexecCfg>},
                                    {&kServer, &Call<WriteBasicServerCfg>}, {&kAutoexec, &Call<WriteBasicAutoexecCfg>}}) {
    MemoryFileSystem fs;
    MemoryFieldStore fields;
    const WriteResult r = write(fs, fields);
    EXPECT_TRUE(!r && r.file == *file && r.reason == MemoryFileSystem::kNotFound) << *file << ": " << r.reason;
  }
  for (const std::string& failing : {kServer, kListen}) {
    MemoryFileSystem fs = Installation();
    fs.FailOn(Op::Write, failing, MemoryFileSystem::kDenied);
    MemoryFieldStore fields;
    EXPECT_EQ(Call<WriteServerCfg>(fs, fields).file, failing);
    EXPECT_TRUE(fs.Exists(failing == kServer ? kListen : kServer) && !fs.Exists(failing));
  }
}

TEST(CfgWriter, failedWriteLeavesThePreviousContentAndReportsTheFileAndReason) {
  // A rule fails an operation on the .bak or on any path; a case gives the start of the reported reason, whether
  // the .cfg still holds the previous bytes (else only the .bak does, or the write went well) and the .bak after.
  struct Rule { Op op; bool onBak; const char* reason; int times; std::optional<std::size_t> keep; };
  struct Case { std::vector<Rule> rules; std::string reason; bool cfgKept; const char* bakAfter; };
  const char *eio = "Input/output error", *denied = MemoryFileSystem::kDenied, *full = MemoryFileSystem::kNoSpace;
  const Case cases[] = {
      {{{Op::Write, false, denied, 1, {}}}, denied, true, nullptr},
      {{{Op::Write, false, eio, 1, 10}}, eio, true, nullptr},  // a short write after the rename
      {{{Op::Write, false, full, 1, 0}, {Op::Rename, true, "Device or resource busy", -1, {}}},
       full + " (the previous file is kept as C:\\HL\\"s, false, "previous"},
      // An old backup that cannot be deleted means an in-place write.
      {{{Op::Remove, false, denied, -1, {}}, {Op::Write, false, full, 1, 5}}, full, true, "old backup"},
      {{{Op::Remove, false, denied, -1, {}}, {Op::Read, false, eio, -1, {}}}, eio, true, "old backup"},
      {{{Op::Remove, false, denied, -1, {}}}, "", false, "old backup"}};  // nothing else fails: a good write
  for (const Case& c : cases) {
    for (const auto& [cfg, bak, write] : {std::tuple(kServer, kServerBak, &Call<WriteServerCfg>),
                                          std::tuple(kAutoexec, kAutoexecBak, &Call<WriteAutoexecCfg>)}) {
      MemoryFileSystem fs;
      fs.AddFile(cfg, "previous");
      fs.AddFile(bak, "old backup");
      fs.AddFile(kListen, "listen");
      for (const Rule& r : c.rules) fs.FailOn(r.op, r.onBak ? bak : "", r.reason, r.times, r.keep);
      MemoryFieldStore fields;
      const WriteResult r = write(fs, fields);
      EXPECT_TRUE(r.ok == c.reason.empty() && r.reason.starts_with(c.reason)) << cfg << ": " << r.reason;
      EXPECT_TRUE(r.ok || r.file == cfg) << r.file;
      MemoryFileSystem clean = Installation();
      const std::optional<std::string> good = r.ok && write(clean, fields) ? clean.Bytes(cfg) : std::nullopt;
      EXPECT_EQ(fs.Bytes(cfg), c.cfgKept ? "previous" : good) << c.reason;
      EXPECT_EQ(fs.Bytes(bak), c.bakAfter ? std::optional<std::string>(c.bakAfter) : std::nullopt) << c.reason;
    }
  }
}

TEST(Resets, eachResetSetsItsOwnFieldsToTheirDefaultsAndLeavesTheRest) {
  for (const auto& [reset, count, untouched] :
       {std::tuple(&ResetAutoexecFields, 25u, std::vector{"cl_himodels", "hostname", "port"}),
        std::tuple(&ResetServerFields, 46u, std::vector{"port", "tfc_spam_limit", "sv_maxspectators", "brightness"})}) {
    MemoryFieldStore fields;
    for (const ConfigField& f : FieldCatalogue::All()) { fields.SetText(f.name, "junk"); fields.SetCheck(f.name, 2); }
    reset(fields);
    std::set<std::string_view> changed;
    for (const ConfigField& f : FieldCatalogue::All()) {
      const std::string value = f.IsCheckBox() ? std::to_string(fields.GetCheck(f.name)) : fields.GetText(f.name);
      if (value == (f.IsCheckBox() ? "2" : "junk")) continue;
      changed.insert(f.name);
      EXPECT_EQ(value, f.IsCheckBox() && f.defaultValue != "1" ? "0" : f.defaultValue) << f.name;
    }
    EXPECT_EQ(changed.size(), count);
    for (const char* name : untouched) EXPECT_EQ(changed.count(name), 0u) << name;
    EXPECT_EQ(fields.GetCheck("sv_cheats"), 0);
  }
}

TEST(Resets, fixUpRepairsAnEmptyPortAndATeamplayOfOneOrNoNumber) {
  const char* const cases[][4] = {  // port, mp_teamplay, and both after the fix-up
      {"", "21", "27016", "21"}, {"27015", "321", "27015", "321"}, {" ", "", " ", "21"}, {"1", "abc", "1", "21"},
      {"1", "0", "1", "21"},     {"1", "1", "1", "21"},            {"1", "1.0", "1", "21"}, {"1", " 1 ", "1", "21"},
      {"1", "12ab", "1", "21"},  {"1", " 21", "1", " 21"},         {"1", "2", "1", "2"},    {"1", "0.5", "1", "0.5"}};
  for (const auto& c : cases) {
    MemoryFieldStore fields;
    fields.SetText("port", c[0]);
    fields.SetText("mp_teamplay", c[1]);
    FixUpServerFields(fields);
    EXPECT_TRUE(fields.GetText("port") == c[2] && fields.GetText("mp_teamplay") == c[3]) << c[0] << '|' << c[1];
  }
}

}  // namespace
}  // namespace quorvane::config

#include "config/cfg_writer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>

#include "config/cfg_reader.h"
#include "config/field_catalogue.h"
#include "config/resets.h"
#include "install/build_info.h"
#include "support/memory_file_system.h"

namespace quorvane::config {
namespace {

using test_support::MemoryFileSystem;
using Op = MemoryFileSystem::Op;

// Expected files carry a token where the configured download page goes.
std::string Expected(const std::string& name) {
  std::ifstream in(std::string(QUORVANE_TEST_DATA) + "/config/" + name, std::ios::binary);
  EXPECT_TRUE(in) << name;
  std::stringstream ss;
  ss << in.rdbuf();
  std::string text = ss.str();
  const std::string token = "@DOWNLOAD_PAGE@";
  if (std::size_t at = text.find(token); at != std::string::npos) text.replace(at, token.size(), install::kDownloadPage);
  return text;
}

using TextBuilder = std::function<std::string(const FieldStore&)>;

struct GoldenCase {
  const char* file;
  TextBuilder build;
  bool serverDefaults;  // else the autoexec defaults
  const char* port;
};
void PrintTo(const GoldenCase& c, std::ostream* os) { *os << c.file; }


class WriterGolden : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(WriterGolden, defaultsGiveTheExpectedBytes) {
  MemoryFieldStore fields;
  if (GetParam().serverDefaults) {
    ApplyServerDefaults(fields);
    fields.SetText("port", GetParam().port);
    fields.SetText("exec", "other.cfg");  // never written: the line is constant
  } else {
    ApplyAutoexecDefaults(fields);
  }
  EXPECT_EQ(GetParam().build(fields), Expected(GetParam().file)) << GetParam().file;
}

INSTANTIATE_TEST_SUITE_P(Files, WriterGolden,
                         ::testing::Values(GoldenCase{"server_default.cfg", ServerCfgText, true, "27016"},
                                           GoldenCase{"listenserver_default.cfg", ListenServerCfgText, true, "27016"},
                                           GoldenCase{"autoexec_default.cfg", AutoexecCfgText, false, ""},
                                           GoldenCase{"server_basic.cfg", BasicServerCfgText, true, ""},
                                           GoldenCase{"autoexec_basic.cfg", BasicAutoexecCfgText, false, ""}));

TEST(CfgWriter, everyOpeningQuoteStandsInColumn24) {
  MemoryFieldStore fields;
  for (const TextBuilder& build : {TextBuilder(ServerCfgText), TextBuilder(ListenServerCfgText),
                                   TextBuilder(AutoexecCfgText)}) {
    std::istringstream lines(build(fields));
    std::string line;
    int fieldLines = 0;
    for (int n = 0; std::getline(lines, line); ++n) {
      if (n < 5) continue;
      int column = 0;
      for (char c : line.substr(0, line.find('"'))) column = c == '\t' ? (column / 8 + 1) * 8 : column + 1;
      EXPECT_EQ(column, 24) << line;
      ++fieldLines;
    }
    EXPECT_GE(fieldLines, 26);
  }
}

TEST(CfgWriter, greyedBoxEmptyTextAndQuotedTextAreWrittenUnchanged) {
  MemoryFieldStore fields;
  fields.SetCheck("sv_lan", 2);
  fields.SetText("hostname", "");
  fields.SetText("sv_password", "a\"b");
  std::string text = ServerCfgText(fields);
  EXPECT_NE(text.find("\r\nsv_lan\t\t\t\"2\"\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nhostname\t\t\"\"\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nsv_password\t\t\"a\"b\"\r\n"), std::string::npos);
}

struct RoundTripCase {
  const char* what;
  TextBuilder build;
  unsigned fileBit;
  bool withHiModels;
};
void PrintTo(const RoundTripCase& c, std::ostream* os) { *os << c.what; }


class WriterRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(WriterRoundTrip, readerGetsBackEveryWrittenField) {
  MemoryFieldStore written;
  int i = 0;
  for (const ConfigField& f : FieldCatalogue::All()) {
    written.SetText(f.name, "v" + std::to_string(i) + ", \"quoted\" caf\xE9\xFF");
    written.SetCheck(f.name, i % 3);
    ++i;
  }
  MemoryFieldStore read;
  for (const ConfigField& f : FieldCatalogue::All()) {
    read.SetText(f.name, "unchanged");
    read.SetCheck(f.name, 1);
  }
  ApplyCfgText(GetParam().build(written), read);

  for (const ConfigField& f : FieldCatalogue::All()) {
    bool inFile = (f.files & GetParam().fileBit) != 0 && (f.name != "cl_himodels" || GetParam().withHiModels);
    if (f.name == "exec" && inFile) {
      EXPECT_EQ(read.GetText("exec"), "listip.cfg");
    } else if (f.IsCheckBox()) {
      EXPECT_EQ(read.GetCheck(f.name), inFile ? written.GetCheck(f.name) : 1) << GetParam().what << ' ' << f.name;
    } else {
      EXPECT_EQ(read.GetText(f.name), inFile ? written.GetText(f.name) : "unchanged")
          << GetParam().what << ' ' << f.name;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Files, WriterRoundTrip,
                         ::testing::Values(RoundTripCase{"server", ServerCfgText, kFileServer, true},
                                           RoundTripCase{"listen", ListenServerCfgText, kFileListen, true},
                                           RoundTripCase{"autoexec", AutoexecCfgText, kFileAutoexec, true},
                                           RoundTripCase{"basic server", BasicServerCfgText, kFileServer, true},
                                           RoundTripCase{"basic autoexec", BasicAutoexecCfgText, kFileAutoexec,
                                                         false}));

// ---- Write sequences through the file system -------------------------------

const std::string kGameDir = "C:\\HL";
const std::string kServer = kGameDir + "\\Tfc\\server.cfg";
const std::string kServerBak = kGameDir + "\\Tfc\\server.bak";
const std::string kListen = kGameDir + "\\Tfc\\listenserver.cfg";
const std::string kListenBak = kGameDir + "\\Tfc\\listenserver.bak";
const std::string kAutoexec = kGameDir + "\\Valve\\autoexec.cfg";
const std::string kAutoexecBak = kGameDir + "\\Valve\\autoexec.bak";

class WriteSequence : public ::testing::Test {
 protected:
  void SetUp() override {
    m_fs.AddDirectory("c:\\hl\\TFC");
    m_fs.AddDirectory("C:\\HL\\valve");
    ApplyServerDefaults(m_fields);
    ApplyAutoexecDefaults(m_fields);
    m_fields.SetText("hostname", "new");
  }
  MemoryFileSystem m_fs;
  MemoryFieldStore m_fields;
};

TEST_F(WriteSequence, firstWriteMakesNoBackupAndDeletesAnOldOne) {
  m_fs.AddFile(kServerBak, "stale");
  ASSERT_TRUE(WriteServerCfg(m_fs, kGameDir, m_fields));
  EXPECT_EQ(m_fs.Bytes(kServer), ServerCfgText(m_fields));
  EXPECT_EQ(m_fs.Bytes(kListen), ListenServerCfgText(m_fields));
  EXPECT_FALSE(m_fs.Exists(kServerBak));
  EXPECT_FALSE(m_fs.Exists(kListenBak));
}

TEST_F(WriteSequence, secondWriteKeepsTheFirstAsBackup) {
  for (int press = 0; press < 2; ++press) {
    m_fields.SetText("hostname", "press " + std::to_string(press));
    m_fields.SetText("gl_texturemode", "");
    ASSERT_TRUE(WriteServerCfg(m_fs, kGameDir, m_fields));
    ASSERT_TRUE(WriteAutoexecCfg(m_fs, kGameDir, m_fields));
  }
  EXPECT_EQ(m_fields.GetText("gl_texturemode"), "gl_texturemode");
  MemoryFieldStore first;
  ApplyCfgText(*m_fs.Bytes(kServerBak), first);
  EXPECT_EQ(first.GetText("hostname"), "press 0");
  ApplyCfgText(*m_fs.Bytes(kListenBak), first);
  EXPECT_EQ(first.GetText("hostname"), "press 0");
  EXPECT_EQ(m_fs.Bytes(kAutoexecBak), m_fs.Bytes(kAutoexec));
  EXPECT_NE(m_fs.Bytes(kAutoexec)->find("gl_texturemode\t\t\"gl_texturemode\"\r\n"), std::string::npos);
}

TEST_F(WriteSequence, trailingBackslashInGameDirStillReachesTheFiles) {
  ASSERT_TRUE(WriteAutoexecCfg(m_fs, kGameDir + "\\", m_fields));
  EXPECT_TRUE(m_fs.Exists(kAutoexec));
  ASSERT_TRUE(WriteListenServerCfg(m_fs, kGameDir + "\\", m_fields));
  EXPECT_TRUE(m_fs.Exists(kListen));
}

TEST(WriteFailure, missingGameDirectoryIsReportedForTheFirstFileAndTheListenFileStillTried) {
  MemoryFileSystem fs;
  fs.AddDirectory("C:\\HL");
  MemoryFieldStore fields;
  WriteResult server = WriteServerCfg(fs, kGameDir, fields);
  EXPECT_FALSE(server);
  EXPECT_EQ(server.file, kServer);
  EXPECT_EQ(server.reason, MemoryFileSystem::kNotFound);
  EXPECT_NE(std::find(fs.Log().begin(), fs.Log().end(), "Write " + kListen), fs.Log().end());

  WriteResult autoexec = WriteAutoexecCfg(fs, kGameDir, fields);
  EXPECT_EQ(autoexec.file, kAutoexec);
  EXPECT_FALSE(WriteBasicServerCfg(fs, kGameDir, fields));
  EXPECT_FALSE(WriteBasicAutoexecCfg(fs, kGameDir, fields));
  EXPECT_FALSE(fs.Exists(kServer));
}

struct FailureCase {
  const char* what;
  std::function<void(MemoryFileSystem&)> arrange;
  const char* reason;      // expected start of the reported reason
  bool oldBakUntouched;    // else: no .bak afterwards
};
void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.what; }


class FailedWriteKeepsThePreviousFile : public ::testing::TestWithParam<FailureCase> {};

TEST_P(FailedWriteKeepsThePreviousFile, andReportsTheFileAndReason) {
  const std::string previous = "hostname\t\"previous\"\r\n";
  struct Target {
    std::string cfg, bak;
    std::function<WriteResult(MemoryFileSystem&, MemoryFieldStore&)> write;
  };
  for (const Target& t : {Target{kServer, kServerBak,
                                 [](MemoryFileSystem& fs, MemoryFieldStore& f) { return WriteServerCfg(fs, kGameDir, f); }},
                          Target{kAutoexec, kAutoexecBak, [](MemoryFileSystem& fs, MemoryFieldStore& f) {
                                   return WriteAutoexecCfg(fs, kGameDir, f);
                                 }}}) {
    MemoryFileSystem fs;
    fs.AddFile(t.cfg, previous);
    fs.AddFile(t.bak, "old backup");
    fs.AddFile(kListen, "listen");
    GetParam().arrange(fs);
    MemoryFieldStore fields;
    WriteResult r = t.write(fs, fields);
    EXPECT_FALSE(r) << GetParam().what;
    EXPECT_EQ(r.file, t.cfg) << GetParam().what;
    EXPECT_EQ(r.reason.rfind(GetParam().reason, 0), 0u) << GetParam().what << ": " << r.reason;
    EXPECT_EQ(fs.Bytes(t.cfg), previous) << GetParam().what;
    if (GetParam().oldBakUntouched)
      EXPECT_EQ(fs.Bytes(t.bak), "old backup") << GetParam().what;
    else
      EXPECT_FALSE(fs.Exists(t.bak)) << GetParam().what;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FailedWriteKeepsThePreviousFile,
    ::testing::Values(
        FailureCase{"open fails after the rename",
                    [](MemoryFileSystem& fs) { fs.FailOn(Op::Write, "", MemoryFileSystem::kDenied, 1); },
                    MemoryFileSystem::kDenied, false},
        FailureCase{"short write after the rename",
                    [](MemoryFileSystem& fs) { fs.FailOn(Op::Write, "", "Input/output error", 1, 10); },
                    "Input/output error", false},
        FailureCase{"full disk after the rename",
                    [](MemoryFileSystem& fs) { fs.SetCapacity(fs.UsedBytes() + 100); },
                    MemoryFileSystem::kNoSpace, false},
        FailureCase{"old backup cannot be deleted, in-place write fails",
                    [](MemoryFileSystem& fs) {
                      fs.FailOn(Op::Remove, "", MemoryFileSystem::kDenied);
                      fs.FailOn(Op::Write, "", MemoryFileSystem::kNoSpace, 1, 5);
                    },
                    MemoryFileSystem::kNoSpace, true},
        FailureCase{"old backup cannot be deleted and the file cannot be read",
                    [](MemoryFileSystem& fs) {
                      fs.FailOn(Op::Remove, "", MemoryFileSystem::kDenied);
                      fs.FailOn(Op::Read, "", "Input/output error");
                    },
                    "Input/output error", true}));

TEST(WriteFailure, previousFileStaysInTheBackupWhenItCannotBeRenamedBack) {
  MemoryFileSystem fs;
  fs.AddFile(kServer, "previous");
  fs.FailOn(Op::Write, kServer, MemoryFileSystem::kNoSpace, 1, 0);
  fs.FailOn(Op::Rename, kServerBak, "Device or resource busy");
  MemoryFieldStore fields;
  WriteResult r = WriteServerCfg(fs, kGameDir, fields);
  EXPECT_EQ(r.file, kServer);
  EXPECT_EQ(r.reason, std::string(MemoryFileSystem::kNoSpace) + " (the previous file is kept as " + kServerBak + ")");
  EXPECT_EQ(fs.Bytes(kServerBak), "previous");
  EXPECT_FALSE(fs.Exists(kServer)) << "no partial file is left";
}

TEST(WriteFailure, backupThatCannotBeDeletedMeansAnInPlaceWrite) {
  MemoryFileSystem fs;
  fs.AddFile(kAutoexec, "previous");
  fs.AddFile(kAutoexecBak, "old backup");
  fs.FailOn(Op::Remove, kAutoexecBak, MemoryFileSystem::kDenied);
  MemoryFieldStore fields;
  EXPECT_FALSE(BackupCfgFile(fs, kAutoexec, kAutoexecBak));
  ASSERT_TRUE(WriteAutoexecCfg(fs, kGameDir, fields));
  EXPECT_EQ(fs.Bytes(kAutoexec), AutoexecCfgText(fields));
  EXPECT_EQ(fs.Bytes(kAutoexecBak), "old backup");
}

TEST(WriteFailure, eachServerFileReportedOnItsOwn) {
  for (const std::string& failing : {kServer, kListen}) {
    MemoryFileSystem fs;
    fs.AddDirectory("C:\\HL\\Tfc");
    fs.FailOn(Op::Write, failing, MemoryFileSystem::kDenied);
    MemoryFieldStore fields;
    WriteResult r = WriteServerCfg(fs, kGameDir, fields);
    EXPECT_EQ(r.file, failing);
    const std::string& other = failing == kServer ? kListen : kServer;
    EXPECT_TRUE(fs.Exists(other)) << "the other file is still written";
    EXPECT_FALSE(fs.Exists(failing)) << "no partial file is left";
  }
}

TEST(WriteFailure, listenWriterMakesNoBackupAndPutsOldBytesBack) {
  MemoryFileSystem fs;
  fs.AddFile(kListen, "previous");
  fs.AddFile(kListenBak, "old backup");
  MemoryFieldStore fields;
  ASSERT_TRUE(WriteListenServerCfg(fs, kGameDir, fields));
  EXPECT_EQ(fs.Bytes(kListenBak), "old backup");

  fs.AddFile(kListen, "previous");
  fs.FailOn(Op::Write, kListen, MemoryFileSystem::kNoSpace, 1, 3);
  WriteResult r = WriteListenServerCfg(fs, kGameDir, fields);
  EXPECT_EQ(r.reason, MemoryFileSystem::kNoSpace);
  EXPECT_EQ(fs.Bytes(kListen), "previous");
}

}  // namespace
}  // namespace quorvane::config

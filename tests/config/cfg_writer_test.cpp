#include "config/cfg_writer.h"

#include <gtest/gtest.h>

#include <fstream>
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
using Write = WriteResult (*)(MemoryFileSystem&, MemoryFieldStore&);
template <auto writer>
WriteResult Call(MemoryFileSystem& fs, MemoryFieldStore& fields) { return writer(fs, "C:\\HL", fields); }

const std::string kServer = "C:\\HL\\Tfc\\server.cfg", kServerBak = "C:\\HL\\Tfc\\server.bak";
const std::string kListen = "C:\\HL\\Tfc\\listenserver.cfg", kListenBak = "C:\\HL\\Tfc\\listenserver.bak";
const std::string kAutoexec = "C:\\HL\\Valve\\autoexec.cfg", kAutoexecBak = "C:\\HL\\Valve\\autoexec.bak";

// Expected files carry a token where the configured download page goes.
std::string Expected(const std::string& name) {
  std::ifstream in(std::string(QUORVANE_TEST_DATA) + "/config/" + name, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  std::string text = ss.str();
  const std::size_t at = text.find("@DOWNLOAD_PAGE@");
  return at == std::string::npos ? text : text.replace(at, 15, install::kDownloadPage);
}

MemoryFileSystem Installation() {
  MemoryFileSystem fs;
  fs.AddDirectory("C:\\HL\\Tfc");
  fs.AddDirectory("C:\\HL\\Valve");
  return fs;
}

TEST(CfgWriter, defaultsAreWrittenByteForByteAsTheExpectedFiles) {
  struct Case {
    const char* expected;
    const std::string& path;
    Write write;
    const char* port;
    const char* textureMode;  // an empty one is filled in by the full autoexec writer
  };
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
  struct Case {
    std::string (*text)(const FieldStore&);
    unsigned file;
    bool withHiModels;
  };
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
  EXPECT_EQ(fs.Bytes(kServerBak), server);
  EXPECT_EQ(fs.Bytes(kListenBak), listen);
  EXPECT_EQ(fs.Bytes(kAutoexecBak), autoexec);
  EXPECT_EQ(fs.Bytes(kServer), ServerCfgText(fields));
}

TEST(CfgWriter, missingDirectoryOrFailingFileIsReportedAndTheOtherServerFileStillWritten) {
  const std::pair<const std::string&, Write> missing[] = {{kServer, Call<WriteServerCfg>},
                                                          {kAutoexec, Call<WriteAutoexecCfg>},
                                                          {kServer, Call<WriteBasicServerCfg>},
                                                          {kAutoexec, Call<WriteBasicAutoexecCfg>}};
  for (const auto& [file, write] : missing) {
    MemoryFileSystem fs;
    MemoryFieldStore fields;
    const WriteResult r = write(fs, fields);
    EXPECT_TRUE(!r && r.file == file && r.reason == MemoryFileSystem::kNotFound) << file << ": " << r.reason;
  }
  for (const std::string& failing : {kServer, kListen}) {
    MemoryFileSystem fs = Installation();
    fs.FailOn(Op::Write, failing, MemoryFileSystem::kDenied);
    MemoryFieldStore fields;
    EXPECT_EQ(Call<WriteServerCfg>(fs, fields).file, failing);
    EXPECT_TRUE(fs.Exists(failing == kServer ? kListen : kServer));
    EXPECT_FALSE(fs.Exists(failing));
  }
}

TEST(CfgWriter, failedWriteLeavesThePreviousContentAndReportsTheFileAndReason) {
  struct Rule {
    Op op;
    bool onBak;  // else on any path
    const char* reason;
    int times;
    std::optional<std::size_t> keep;
  };
  struct Case {
    std::vector<Rule> rules;
    std::string reason;  // the start of the reported reason
    bool cfgKept;        // else: only the .bak holds the previous content
    const char* bakAfter;
  };
  const char* eio = "Input/output error";
  const Case cases[] = {
      {{{Op::Write, false, MemoryFileSystem::kDenied, 1, std::nullopt}}, MemoryFileSystem::kDenied, true, nullptr},
      {{{Op::Write, false, eio, 1, 10}}, eio, true, nullptr},  // a short write after the rename
      {{{Op::Write, false, MemoryFileSystem::kNoSpace, 1, 0}, {Op::Rename, true, "Device or resource busy", -1, {}}},
       std::string(MemoryFileSystem::kNoSpace) + " (the previous file is kept as C:\\HL\\", false, "previous"},
      // An old backup that cannot be deleted means an in-place write.
      {{{Op::Remove, false, MemoryFileSystem::kDenied, -1, {}}, {Op::Write, false, MemoryFileSystem::kNoSpace, 1, 5}},
       MemoryFileSystem::kNoSpace, true, "old backup"},
      {{{Op::Remove, false, MemoryFileSystem::kDenied, -1, {}}, {Op::Read, false, eio, -1, {}}}, eio, true,
       "old backup"},
  };
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
      EXPECT_TRUE(!r && r.file == cfg && r.reason.starts_with(c.reason)) << cfg << ": " << r.reason;
      EXPECT_EQ(fs.Bytes(cfg), c.cfgKept ? std::optional<std::string>("previous") : std::nullopt) << c.reason;
      EXPECT_EQ(fs.Bytes(bak), c.bakAfter ? std::optional<std::string>(c.bakAfter) : std::nullopt) << c.reason;
    }
  }
  // With nothing else failing, the undeletable backup stays and the file is rewritten where it stands.
  MemoryFileSystem fs;
  fs.AddFile(kAutoexec, "previous");
  fs.AddFile(kAutoexecBak, "old backup");
  fs.FailOn(Op::Remove, kAutoexecBak, MemoryFileSystem::kDenied);
  MemoryFieldStore fields;
  ASSERT_TRUE(Call<WriteAutoexecCfg>(fs, fields));
  EXPECT_EQ(fs.Bytes(kAutoexec), AutoexecCfgText(fields));
  EXPECT_EQ(fs.Bytes(kAutoexecBak), "old backup");
}

}  // namespace
}  // namespace quorvane::config

// The writers' bytes and backups, and what a failed write leaves behind.
#include "config/cfg_writer.h"

#include <gtest/gtest.h>

#include "config/cfg_reader.h"
#include "config/field_catalogue.h"
#include "config/resets.h"
#include "config_data.h"
#include "support/memory_file_system.h"

namespace quorvane::config {
namespace {

using test_support::MemoryFileSystem;
using Op = MemoryFileSystem::Op;
using Writer = WriteResult (*)(install::FileSystem&, const std::string&, const FieldValues&);

const std::string kServer = "C:\\HL\\Tfc\\server.cfg";
const std::string kListen = "C:\\HL\\Tfc\\listenserver.cfg";
const std::string kAutoexec = "C:\\HL\\Valve\\autoexec.cfg";

std::string BakOf(const std::string& cfg) { return cfg.substr(0, cfg.size() - 3) + "bak"; }

struct WriterCase {
  const char* expected;  // file of tests/data/config
  const std::string& path;
  Writer write;
  const char* port;
  const char* texture;
  bool deletesStaleBackup;  // the writers with a backup; the basic ones write in place
};

TEST(CfgWriter, writesTheExpectedBytesOverAStaleBackupAndReportsAMissingDirectory) {
  const WriterCase cases[] = {
      {"server_default.cfg", kServer, WriteServerCfg, "27016", "", true},
      {"listenserver_default.cfg", kListen, WriteServerCfg, "27016", "", true},
      // An empty texture mode is written as its own name.
      {"autoexec_default.cfg", kAutoexec, WriteAutoexecCfg, "", "", true},
      {"server_basic.cfg", kServer, WriteBasicServerCfg, "", "", false},
      {"autoexec_basic.cfg", kAutoexec, WriteBasicAutoexecCfg, "", "gl_texturemode", false},
  };
  for (const WriterCase& c : cases) {
    SCOPED_TRACE(c.expected);
    FieldValues fields;
    ApplyServerDefaults(fields);
    ApplyAutoexecDefaults(fields);
    fields.SetText("port", c.port);
    fields.SetText("exec", "other.cfg");  // never written: the line is constant
    fields.SetText("gl_texturemode", c.texture);
    MemoryFileSystem fs;  // without the Tfc and Valve directories
    const WriteResult missing = c.write(fs, "C:\\HL", fields);
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.reason, MemoryFileSystem::kNotFound);
    EXPECT_TRUE(missing.file.starts_with(c.path.substr(0, 9))) << missing.file;
    fs.AddFile(BakOf(c.path), "stale");
    ASSERT_TRUE(c.write(fs, "C:\\HL", fields));
    EXPECT_EQ(fs.Bytes(c.path), test_data::Data(c.expected));
    EXPECT_NE(fs.Exists(BakOf(c.path)), c.deletesStaleBackup);
  }
}

struct TextCase {
  const char* name;
  std::string (*text)(const FieldValues&);
  unsigned file;
  bool withHiModels;
};

// Every field a different value, with quotes, a comma and high bytes; a check box 0, 1 or 2.
FieldValues EveryFieldDifferent() {
  FieldValues values;
  const auto all = FieldCatalogue::All();
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (all[i].IsCheckBox())
      values.SetCheck(i, static_cast<int>(i % 3));
    else
      values.SetText(i, i % 4 == 0 ? "" : std::to_string(i) + "v, \"quoted\" caf\xE9\xFF");
  }
  return values;
}

TEST(CfgWriter, readerGetsBackEveryWrittenFieldOfEachFile) {
  const TextCase cases[] = {
      {"server.cfg", ServerCfgText, kFileServer, true},
      {"listenserver.cfg", ListenServerCfgText, kFileListen, true},
      {"autoexec.cfg", AutoexecCfgText, kFileAutoexec, true},
      {"basic server.cfg", BasicServerCfgText, kFileServer, true},
      {"basic autoexec.cfg", BasicAutoexecCfgText, kFileAutoexec, false},
  };
  const FieldValues written = EveryFieldDifferent();
  for (const TextCase& c : cases) {
    SCOPED_TRACE(c.name);
    const FieldUpdates read = ParseCfgText(c.text(written));
    const auto all = FieldCatalogue::All();
    for (std::size_t i = 0; i < all.size(); ++i) {
      const ConfigField& f = all[i];
      const bool inFile = (f.files & c.file) != 0 && (f.name != "cl_himodels" || c.withHiModels);
      EXPECT_EQ(read.Names(i), inFile) << f.name;
      if (!inFile) continue;
      FieldValues back;
      read.ApplyTo(back);
      if (f.IsCheckBox())
        EXPECT_EQ(back.Check(i), written.Check(i)) << f.name;
      else
        EXPECT_EQ(back.Text(i), f.name == "exec" ? "listip.cfg" : written.Text(i)) << f.name;
    }
  }
}

struct Fault {
  Op op;
  bool onBak;  // else on any path
  const char* reason;
  int times;
  std::optional<std::size_t> keepBytes;
};

struct FaultCase {
  const char* name;
  std::vector<Fault> faults;
  std::string reason;    // the start of the reported reason; empty for a good write
  bool cfgKept;          // the .cfg still holds the previous bytes
  const char* bakAfter;  // the .bak's bytes after, when there is one
};

TEST(CfgWriter, failedWriteLeavesThePreviousContentAndReportsTheFileAndReason) {
  const char* eio = "Input/output error";
  const char* denied = MemoryFileSystem::kDenied;
  const char* full = MemoryFileSystem::kNoSpace;
  const FaultCase cases[] = {
      {"write refused", {{Op::Write, false, denied, 1, {}}}, denied, true, nullptr},
      {"short write after the rename", {{Op::Write, false, eio, 1, 10}}, eio, true, nullptr},
      {"full disk and the backup cannot come back",
       {{Op::Write, false, full, 1, 0}, {Op::Rename, true, "Device or resource busy", -1, {}}},
       std::string(full) + " (the previous file is kept as C:\\HL\\",
       false,
       "previous"},
      // An old backup that cannot be deleted means an in-place write.
      {"old backup stays, in-place write fails",
       {{Op::Remove, false, denied, -1, {}}, {Op::Write, false, full, 1, 5}},
       full,
       true,
       "old backup"},
      {"old backup stays, previous bytes unreadable",
       {{Op::Remove, false, denied, -1, {}}, {Op::Read, false, eio, -1, {}}},
       eio,
       true,
       "old backup"},
      {"old backup stays, in-place write succeeds", {{Op::Remove, false, denied, -1, {}}}, "", false, "old backup"},
      {"nothing fails", {}, "", false, "previous"},
  };
  const std::pair<const std::string&, Writer> files[] = {{kServer, WriteServerCfg}, {kAutoexec, WriteAutoexecCfg}};
  for (const FaultCase& c : cases) {
    for (const auto& [cfg, write] : files) {
      SCOPED_TRACE(std::string(c.name) + ", " + cfg);
      MemoryFileSystem fs;
      fs.AddFile(cfg, "previous");
      fs.AddFile(BakOf(cfg), "old backup");
      for (const Fault& f : c.faults) fs.FailOn(f.op, f.onBak ? BakOf(cfg) : "", f.reason, f.times, f.keepBytes);
      const WriteResult result = write(fs, "C:\\HL", FieldValues{});
      EXPECT_EQ(result.ok, c.reason.empty());
      EXPECT_TRUE(result.reason.starts_with(c.reason)) << result.reason;
      if (!result.ok) {
        EXPECT_EQ(result.file, cfg);
      }
      MemoryFileSystem clean;
      clean.AddDirectory(cfg.substr(0, cfg.rfind('\\')));
      ASSERT_TRUE(write(clean, "C:\\HL", FieldValues{}));
      EXPECT_EQ(fs.Bytes(cfg), c.cfgKept ? "previous" : result.ok ? clean.Bytes(cfg) : std::nullopt);
      EXPECT_EQ(fs.Bytes(BakOf(cfg)), c.bakAfter ? std::optional<std::string>(c.bakAfter) : std::nullopt);
    }
  }
}

struct ModeCase {
  const char* name;
  Writer write;
  unsigned serverMode;  // of server.cfg before the write, 0 when there is none
  unsigned fileMode;    // of the checked file before the write, 0 when there is none
  const std::string& path;
  unsigned expected;  // of the checked file after the write
};
void PrintTo(const ModeCase& c, std::ostream* out) { *out << c.name; }

class CfgWriterModes : public ::testing::TestWithParam<ModeCase> {};

// server.cfg and listenserver.cfg hold the rcon password.
TEST_P(CfgWriterModes, writtenFileIsNoMoreOpenThanTheOneItReplacesOrThanServerCfg) {
  const ModeCase& c = GetParam();
  MemoryFileSystem fs;
  fs.AddDirectory("C:\\HL\\Tfc");
  fs.AddDirectory("C:\\HL\\Valve");
  if (c.serverMode != 0) fs.AddFile(kServer, "previous", c.serverMode);
  if (c.fileMode != 0) fs.AddFile(c.path, "previous", c.fileMode);
  ASSERT_TRUE(c.write(fs, "C:\\HL", FieldValues{}));
  EXPECT_EQ(fs.Mode(c.path), c.expected);
  if (c.fileMode != 0 && fs.Exists(BakOf(c.path))) {
    EXPECT_EQ(fs.Mode(BakOf(c.path)), c.fileMode);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Files, CfgWriterModes,
    ::testing::Values(ModeCase{"PrivateServerCfgStaysPrivate", WriteServerCfg, 0600, 0600, kServer, 0600},
                      ModeCase{"NewListenFileAsPrivateAsServerCfg", WriteServerCfg, 0600, 0, kListen, 0600},
                      ModeCase{"ListenFileNarrowedToServerCfg", WriteServerCfg, 0640, 0644, kListen, 0640},
                      ModeCase{"ListenFileKeepsItsOwnNarrowerMode", WriteServerCfg, 0644, 0600, kListen, 0600},
                      ModeCase{"ListenFileWrittenAloneNarrowedToServerCfg", WriteListenServerCfg, 0600, 0644, kListen,
                               0600},
                      ModeCase{"PrivateAutoexecStaysPrivate", WriteAutoexecCfg, 0, 0600, kAutoexec, 0600}),
    [](const auto& info) { return std::string(info.param.name); });

// An empty one is filled in the autoexec writer's row above.
TEST(CfgWriter, fillTextureMode_keepsAChosenOne) {
  FieldValues set;
  set.SetText("gl_texturemode", "GL_LINEAR");
  FillTextureMode(set);
  EXPECT_EQ(set.GetText("gl_texturemode"), "GL_LINEAR");
}

}  // namespace
}  // namespace quorvane::config

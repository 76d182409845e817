// The configuration files: the reader's grammar, the writers' bytes and
// backups, and the resets and fix-ups of the fields.
#include <gtest/gtest.h>

#include <array>
#include <fstream>
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

using test_support::MemoryFileSystem;
using Op = MemoryFileSystem::Op;
template <auto writer>
WriteResult Call(MemoryFileSystem& fs, MemoryFieldStore& fields) {
  return writer(fs, "C:\\HL", fields);
}

const std::string kServer = "C:\\HL\\Tfc\\server.cfg", kListen = "C:\\HL\\Tfc\\listenserver.cfg";
const std::string kAutoexec = "C:\\HL\\Valve\\autoexec.cfg";

// A file of tests/data/config; expected files carry a token where the configured download page goes.
std::string Data(const std::string& name) {
  std::ifstream in(std::string(QUORVANE_TEST_DATA) + "/config/" + name, std::ios::binary);
  std::string text(std::istreambuf_iterator<char>(in), {});
  const std::size_t at = text.find("@DOWNLOAD_PAGE@");
  return at == std::string::npos ? text : text.replace(at, 15, install::kDownloadPage);
}

// The byte an escape stands for; `i` is at the backslash and is left on the escape's last character.
char Unescape(const std::string& line, std::size_t& i) {
  const char kind = line.at(++i);
  if (kind == 'x') {
    const char byte = static_cast<char>(std::stoi(line.substr(i + 1, 2), nullptr, 16));
    i += 2;
    return byte;
  }
  return std::string_view("\t\r\n\0", 4).at(std::string_view("trn0").find(kind));
}

// The four tab-separated columns of each line but comments; \t \r \n \0 and \xHH stand for those bytes.
std::vector<std::array<std::string, 4>> Rows(const std::string& name) {
  std::vector<std::array<std::string, 4>> rows;
  std::istringstream lines(Data(name));
  for (std::string line; std::getline(lines, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::array<std::string, 4>& row = rows.emplace_back();
    std::size_t column = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
      if (line[i] == '\t') {
        ++column;
        continue;
      }
      row.at(column) += line[i] == '\\' ? Unescape(line, i) : line[i];
    }
    EXPECT_EQ(column, 3u) << line;
  }
  return rows;
}

TEST(CfgReader, eachLineSetsItsFieldAsTheGrammarSays) {
  for (const auto& [field, before, bytes, after] : Rows("reader_cases.txt")) {
    MemoryFieldStore fields;
    const bool box = FieldCatalogue::Find(field)->IsCheckBox();
    box ? fields.SetCheck(field, std::stoi(before)) : fields.SetText(field, before);
    ApplyCfgText(bytes, fields);
    EXPECT_EQ(box ? std::to_string(fields.GetCheck(field)) : fields.GetText(field), after)
        << ::testing::PrintToString(bytes);
  }
}

TEST(CfgWriter, writesTheExpectedBytesOverAStaleBackupAndReportsAMissingDirectory) {
  // An empty texture mode is filled in by the full autoexec writer.
  struct Case {
    const char* expected;
    const std::string& path;
    decltype(&Call<WriteServerCfg>) write;
    const char *port, *texture;
  };
  for (const Case& c : {Case{"server_default.cfg", kServer, Call<WriteServerCfg>, "27016", ""},
                        Case{"listenserver_default.cfg", kListen, Call<WriteServerCfg>, "27016", ""},
                        Case{"autoexec_default.cfg", kAutoexec, Call<WriteAutoexecCfg>, "", ""},
                        Case{"server_basic.cfg", kServer, Call<WriteBasicServerCfg>, "", ""},
                        Case{"autoexec_basic.cfg", kAutoexec, Call<WriteBasicAutoexecCfg>, "", "gl_texturemode"}}) {
    MemoryFieldStore fields;
    ApplyServerDefaults(fields);
    ApplyAutoexecDefaults(fields);
    fields.SetText("port", c.port);
    fields.SetText("exec", "other.cfg");  // never written: the line is constant
    fields.SetText("gl_texturemode", c.texture);
    MemoryFileSystem fs;  // without the Tfc and Valve directories
    const WriteResult missing = c.write(fs, fields);
    EXPECT_TRUE(!missing && missing.reason == MemoryFileSystem::kNotFound &&
                missing.file.starts_with(c.path.substr(0, 9)));
    const std::string bak = c.path.substr(0, c.path.size() - 3) + "bak";
    fs.AddFile(bak, "stale");
    ASSERT_TRUE(c.write(fs, fields)) << c.expected;
    EXPECT_EQ(fs.Bytes(c.path), Data(c.expected)) << c.expected;
    // The writers with a backup delete a backup of no file; the basic ones write in place and leave it.
    EXPECT_NE(fs.Exists(bak), std::string_view(c.expected).ends_with("default.cfg")) << c.expected;
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
      written.SetText(f.name, i % 4 == 0 ? "" : std::to_string(i) + "v, \"quoted\" caf\xE9\xFF");
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

TEST(CfgWriter, failedWriteLeavesThePreviousContentAndReportsTheFileAndReason) {
  // A rule fails an operation on the .bak or on any path; a case gives the start of the reported reason, whether
  // the .cfg still holds the previous bytes (else only the .bak does, or the write went well) and the .bak after.
  struct Rule {
    Op op;
    bool onBak;
    const char* reason;
    int times;
    std::optional<std::size_t> keep;
  };
  struct Case {
    std::vector<Rule> rules;
    std::string reason;
    bool cfgKept;
    const char* bakAfter;
  };
  const char *eio = "Input/output error", *denied = MemoryFileSystem::kDenied, *full = MemoryFileSystem::kNoSpace;
  const Case cases[] = {
      {{{Op::Write, false, denied, 1, {}}}, denied, true, nullptr},
      {{{Op::Write, false, eio, 1, 10}}, eio, true, nullptr},  // a short write after the rename
      {{{Op::Write, false, full, 1, 0}, {Op::Rename, true, "Device or resource busy", -1, {}}},
       std::string(full) + " (the previous file is kept as C:\\HL\\",
       false,
       "previous"},
      // An old backup that cannot be deleted means an in-place write.
      {{{Op::Remove, false, denied, -1, {}}, {Op::Write, false, full, 1, 5}}, full, true, "old backup"},
      {{{Op::Remove, false, denied, -1, {}}, {Op::Read, false, eio, -1, {}}}, eio, true, "old backup"},
      {{{Op::Remove, false, denied, -1, {}}}, "", false, "old backup"},  // nothing else fails: a good write
      {{}, "", false, "previous"}};
  for (const Case& c : cases) {
    for (const auto& [cfg, write] : {std::pair(kServer, &Call<WriteServerCfg>), {kAutoexec, &Call<WriteAutoexecCfg>}}) {
      const std::string bak = cfg.substr(0, cfg.size() - 3) + "bak";
      MemoryFileSystem fs, clean;
      fs.AddFile(cfg, "previous");
      fs.AddFile(bak, "old backup");
      for (const Rule& r : c.rules) fs.FailOn(r.op, r.onBak ? bak : "", r.reason, r.times, r.keep);
      MemoryFieldStore fields;
      const WriteResult r = write(fs, fields);
      EXPECT_TRUE(r.ok == c.reason.empty() && r.reason.starts_with(c.reason) && (r.ok || r.file == cfg))
          << r.file << r.reason;
      clean.AddDirectory(cfg.substr(0, cfg.rfind('\\')));
      const std::optional<std::string> good = r.ok && write(clean, fields) ? clean.Bytes(cfg) : std::nullopt;
      EXPECT_EQ(fs.Bytes(cfg), c.cfgKept ? "previous" : good) << c.reason;
      EXPECT_EQ(fs.Bytes(bak), c.bakAfter ? std::optional<std::string>(c.bakAfter) : std::nullopt) << c.reason;
    }
  }
}

TEST(Resets, eachResetSetsItsOwnFieldsToTheirDefaultsAndLeavesTheRest) {
  for (const auto& [reset, count, untouched] :
       {std::tuple(&ResetAutoexecFields, 25u, std::vector{"cl_himodels", "hostname", "port"}),
        std::tuple(&ApplyAutoexecDefaults, 26u, std::vector{"hostname", "port"}),  // cl_himodels on
        std::tuple(&ResetServerFields, 46u, std::vector{"port", "tfc_spam_limit", "sv_maxspectators", "brightness"})}) {
    MemoryFieldStore fields;
    for (const ConfigField& f : FieldCatalogue::All()) {
      fields.SetText(f.name, "junk");
      fields.SetCheck(f.name, 2);
    }
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
  }
}

TEST(Resets, fixUpRepairsAnEmptyPortAndATeamplayOfOneOrNoNumber) {
  for (const auto& [port, teamplay, portAfter, teamplayAfter] : Rows("fix_up_cases.txt")) {
    MemoryFieldStore fields;
    fields.SetText("port", port);
    fields.SetText("mp_teamplay", teamplay);
    FixUpServerFields(fields);
    EXPECT_TRUE(fields.GetText("port") == portAfter && fields.GetText("mp_teamplay") == teamplayAfter)
        << port << '|' << teamplay;
  }
}

}  // namespace
}  // namespace quorvane::config

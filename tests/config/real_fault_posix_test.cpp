// Every writer against faults made real on the disk: a full disk, a file or
// directory that cannot be changed, a directory where the file should be, an
// old backup that cannot be deleted and a game directory that vanishes
// mid-write. Each time the previous content survives (as the file or as its
// .bak), the failure is reported, and the next write once the fault is gone
// is an ordinary one.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "config/cfg_writer.h"
#include "config/field_store.h"
#include "config/resets.h"
#include "install/settings_file.h"
#include "maps/map_cycle.h"
#include "maps/motd.h"
#include "platform/file_system.h"
#include "support/real_faults.h"

namespace quorvane {
namespace {

namespace fs = std::filesystem;
using test_support::FaultDisk;
using test_support::FaultingFileSystem;
using test_support::Immutable;

struct Outcome {
  bool ok;
  std::string reason;
};

// One file a writer produces, by its native place under the scratch root.
struct Target {
  std::string file;
  std::string bak;  // empty: the writer keeps no backup
  std::string pathText;  // the program's own text for the file, relative to the root
};

struct Writer {
  std::string name;
  std::string directory;  // native, under the root: the one that holds the files
  std::vector<Target> targets;
  std::function<Outcome(install::FileSystem&, const std::string& root)> write;
  std::function<std::vector<std::string>()> expected;  // bytes of each target after a good write
};

config::MemoryFieldStore Fields() {
  config::MemoryFieldStore fields;
  config::ApplyServerDefaults(fields);
  config::ApplyAutoexecDefaults(fields);
  fields.SetText("port", "27016");
  // Longer than a page, so a rewrite needs more room than truncating the old file frees.
  fields.SetText("hostname", "Fault Test Server " + std::string(6000, 'h'));
  fields.SetText("rate", std::string(6000, '9'));
  return fields;
}

Outcome FromWrite(const config::WriteResult& r) { return {r.ok, r.reason}; }
Outcome FromIo(const install::IoResult& r) { return {r.ok, r.error}; }

const std::vector<std::string> kCycle(1000, "2fort_longer_name");
const std::string kMotd = "Welcome\r\n" + std::string(6000, 'm');
const std::string kLocation = "C:\\" + std::string(6000, 'L');

std::string CycleText() {
  std::string text;
  for (const std::string& entry : kCycle) text += entry + "\r\n";
  return text;
}

std::vector<Writer> Writers() {
  return {
      Writer{"ServerFiles", "hl/tfc",
             {{"hl/tfc/server.cfg", "hl/tfc/server.bak", "/hl\\Tfc\\server.cfg"},
              {"hl/tfc/listenserver.cfg", "hl/tfc/listenserver.bak", "/hl\\Tfc\\listenserver.cfg"}},
             [](install::FileSystem& files, const std::string& root) {
               config::MemoryFieldStore fields = Fields();
               return FromWrite(config::WriteServerCfg(files, root + "/hl", fields));
             },
             [] {
               const config::MemoryFieldStore fields = Fields();
               return std::vector<std::string>{config::ServerCfgText(fields), config::ListenServerCfgText(fields)};
             }},
      Writer{"Autoexec", "hl/valve",
             {{"hl/valve/autoexec.cfg", "hl/valve/autoexec.bak", "/hl\\Valve\\autoexec.cfg"}},
             [](install::FileSystem& files, const std::string& root) {
               config::MemoryFieldStore fields = Fields();
               return FromWrite(config::WriteAutoexecCfg(files, root + "/hl", fields));
             },
             [] {
               config::MemoryFieldStore fields = Fields();
               if (fields.GetText("gl_texturemode").empty()) fields.SetText("gl_texturemode", "gl_texturemode");
               return std::vector<std::string>{config::AutoexecCfgText(fields)};
             }},
      Writer{"MapCycle", "hl/tfc",
             {{"hl/tfc/mapcycle.txt", "", "/hl\\Tfc\\mapcycle.txt"}},
             [](install::FileSystem& files, const std::string& root) {
               return FromIo(maps::SaveMapCycle(files, root + "/hl\\Tfc\\mapcycle.txt", kCycle));
             },
             [] { return std::vector<std::string>{CycleText()}; }},
      Writer{"Motd", "hl/tfc",
             {{"hl/tfc/motd.txt", "", "/hl\\Tfc\\motd.txt"}},
             [](install::FileSystem& files, const std::string& root) {
               return FromIo(maps::SaveMotd(files, root + "/hl\\Tfc\\motd.txt", kMotd));
             },
             [] { return std::vector<std::string>{kMotd + "\r\n"}; }},
      Writer{"SettingsFile", "prog",
             {{"prog/Quorvane.ini", "", "/prog\\Quorvane.ini"}},
             [](install::FileSystem& files, const std::string& root) {
               return FromIo(install::SaveServerLocation(files, root + "/prog\\Quorvane.ini", kLocation));
             },
             [] { return std::vector<std::string>{kLocation + "\r\n"}; }},
  };
}

void PrintTo(const Writer& writer, std::ostream* os) { *os << writer.name; }

std::optional<std::string> Read(const fs::path& p) {
  std::error_code ec;
  if (!fs::is_regular_file(p, ec)) return std::nullopt;
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Previous(const Target& t) { return "// previous " + t.file + "\r\nhostname\t\"old\"\r\n"; }

class RealFault : public ::testing::TestWithParam<Writer> {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to make faults real (tmpfs, immutable files)";
  }

  // The installation with the previous content of every target in place.
  void Populate(const fs::path& root, bool withPrevious = true) {
    for (const char* dir : {"hl/tfc/maps", "hl/valve", "prog"}) fs::create_directories(root / dir);
    if (!withPrevious) return;
    for (const Target& t : GetParam().targets) std::ofstream(root / t.file, std::ios::binary) << Previous(t);
  }

  // The previous content is still somewhere, and no half-written file is left.
  void ExpectPreviousSurvives(const fs::path& base) {
    for (const Target& t : GetParam().targets) {
      const std::optional<std::string> file = Read(base / t.file);
      const std::optional<std::string> bak = t.bak.empty() ? std::nullopt : Read(base / t.bak);
      EXPECT_TRUE(file == Previous(t) || bak == Previous(t)) << t.file << " lost its previous content";
      if (file) {
        EXPECT_EQ(*file, Previous(t)) << t.file << " holds a partial write";
      }
    }
  }

  // After the fault is gone a write is as usual: new bytes, previous in the .bak.
  void ExpectNormalWrite(const fs::path& root, const std::vector<std::optional<std::string>>& before) {
    platform::NativeFileSystem files;
    const Outcome again = GetParam().write(files, root.string());
    EXPECT_TRUE(again.ok) << again.reason;
    const std::vector<std::string> expected = GetParam().expected();
    for (std::size_t i = 0; i < GetParam().targets.size(); ++i) {
      const Target& t = GetParam().targets[i];
      EXPECT_EQ(Read(root / t.file), expected[i]) << t.file;
      if (!t.bak.empty()) {
        EXPECT_EQ(Read(root / t.bak), before[i]) << t.bak;
      }
    }
  }

  std::vector<std::optional<std::string>> Snapshot(const fs::path& root) {
    std::vector<std::optional<std::string>> contents;
    for (const Target& t : GetParam().targets) contents.push_back(Read(root / t.file));
    return contents;
  }
};

TEST_P(RealFault, fullDiskKeepsThePreviousFileAndSaysSo) {
  FaultDisk disk(64 * 1024);
  if (!disk.ok()) GTEST_SKIP() << disk.error();
  Populate(disk.Root());
  const fs::path filler = disk.Fill();

  platform::NativeFileSystem files;
  const Outcome outcome = GetParam().write(files, disk.Root().string());
  EXPECT_FALSE(outcome.ok);
  EXPECT_NE(outcome.reason.find("No space left on device"), std::string::npos) << outcome.reason;
  ExpectPreviousSurvives(disk.Root());

  fs::remove(filler);
  const auto before = Snapshot(disk.Root());
  ExpectNormalWrite(disk.Root(), before);
}

TEST_P(RealFault, readOnlyFileIsLeftAsItWasAndSaysSo) {
  FaultDisk disk;
  ASSERT_TRUE(disk.ok()) << disk.error();
  Populate(disk.Root());
  {
    std::vector<std::unique_ptr<Immutable>> locks;
    for (const Target& t : GetParam().targets) {
      locks.push_back(std::make_unique<Immutable>(disk.Root() / t.file));
      if (!locks.back()->ok()) GTEST_SKIP() << "cannot make a file immutable: " << locks.back()->error();
    }
    platform::NativeFileSystem files;
    const Outcome outcome = GetParam().write(files, disk.Root().string());
    EXPECT_FALSE(outcome.ok);
    EXPECT_NE(outcome.reason.find("Operation not permitted"), std::string::npos) << outcome.reason;
    ExpectPreviousSurvives(disk.Root());
  }
  const auto before = Snapshot(disk.Root());
  ExpectNormalWrite(disk.Root(), before);
}

TEST_P(RealFault, readOnlyDirectoryGetsNoNewFileAndSaysSo) {
  FaultDisk disk;
  ASSERT_TRUE(disk.ok()) << disk.error();
  Populate(disk.Root(), false);
  {
    Immutable lock(disk.Root() / GetParam().directory);
    if (!lock.ok()) GTEST_SKIP() << "cannot make a directory immutable: " << lock.error();
    platform::NativeFileSystem files;
    const Outcome outcome = GetParam().write(files, disk.Root().string());
    EXPECT_FALSE(outcome.ok);
    EXPECT_NE(outcome.reason.find("Operation not permitted"), std::string::npos) << outcome.reason;
    for (const Target& t : GetParam().targets) EXPECT_FALSE(fs::exists(disk.Root() / t.file)) << t.file;
  }
  const auto before = Snapshot(disk.Root());
  ExpectNormalWrite(disk.Root(), before);
}

TEST_P(RealFault, directoryInThePlaceOfTheFileIsKeptAndReported) {
  FaultDisk disk;
  ASSERT_TRUE(disk.ok()) << disk.error();
  Populate(disk.Root(), false);
  const Target& first = GetParam().targets.front();
  fs::create_directories(disk.Root() / first.file / "inside");

  platform::NativeFileSystem files;
  const Outcome outcome = GetParam().write(files, disk.Root().string());
  EXPECT_FALSE(outcome.ok);
  EXPECT_NE(outcome.reason.find("Is a directory"), std::string::npos) << outcome.reason;
  EXPECT_TRUE(fs::is_directory(disk.Root() / first.file / "inside")) << "the directory is left alone";
  const std::vector<std::string> expected = GetParam().expected();
  for (std::size_t i = 1; i < GetParam().targets.size(); ++i)
    EXPECT_EQ(Read(disk.Root() / GetParam().targets[i].file), expected[i]) << "the other file is still written";

  fs::remove_all(disk.Root() / first.file);
  const auto before = Snapshot(disk.Root());
  ExpectNormalWrite(disk.Root(), before);
}

TEST_P(RealFault, directoryThatVanishesBeforeTheWriteIsReported) {
  FaultDisk disk;
  ASSERT_TRUE(disk.ok()) << disk.error();
  Populate(disk.Root());
  const fs::path dir = disk.Root() / GetParam().directory;
  const fs::path away = disk.Root() / "away";
  platform::NativeFileSystem real;
  FaultingFileSystem files(real, FaultingFileSystem::Op::Write,
                           disk.Root().string() + GetParam().targets.front().pathText,
                           [&] { fs::rename(dir, away); });

  const Outcome outcome = GetParam().write(files, disk.Root().string());
  ASSERT_TRUE(files.fired());
  EXPECT_FALSE(outcome.ok);
  EXPECT_NE(outcome.reason.find("No such file or directory"), std::string::npos) << outcome.reason;
  EXPECT_FALSE(fs::exists(dir)) << "no directory is made up in its place";
  // What was in the directory went with it, backup included.
  const fs::path base = disk.Root() / "moved";
  fs::create_directories((base / GetParam().directory).parent_path());
  fs::rename(away, base / GetParam().directory);
  ExpectPreviousSurvives(base);

  fs::rename(base / GetParam().directory, dir);
  const auto before = Snapshot(disk.Root());
  ExpectNormalWrite(disk.Root(), before);
}

INSTANTIATE_TEST_SUITE_P(Writers, RealFault, ::testing::ValuesIn(Writers()),
                         [](const auto& info) { return info.param.name; });

// The configuration writers keep a .bak; one that cannot be deleted blocks the
// backup, and the file is written where it stands.
class UndeletableBackup : public RealFault {};

TEST_P(UndeletableBackup, inPlaceWriteOnAFullDiskPutsThePreviousBytesBack) {
  FaultDisk disk(64 * 1024);
  if (!disk.ok()) GTEST_SKIP() << disk.error();
  Populate(disk.Root());
  const Target& t = GetParam().targets.front();
  std::ofstream(disk.Root() / t.bak, std::ios::binary) << "old backup\r\n";
  {
    Immutable lock(disk.Root() / t.bak);
    if (!lock.ok()) GTEST_SKIP() << "cannot make a file immutable: " << lock.error();
    const fs::path filler = disk.Fill();
    platform::NativeFileSystem files;
    const Outcome outcome = GetParam().write(files, disk.Root().string());
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(Read(disk.Root() / t.file), Previous(t));
    EXPECT_EQ(Read(disk.Root() / t.bak), "old backup\r\n");

    fs::remove(filler);
    const Outcome inPlace = GetParam().write(files, disk.Root().string());
    EXPECT_TRUE(inPlace.ok) << inPlace.reason;
    EXPECT_EQ(Read(disk.Root() / t.file), GetParam().expected().front());
    EXPECT_EQ(Read(disk.Root() / t.bak), "old backup\r\n") << "the old backup stays as it was";
  }
  const auto before = Snapshot(disk.Root());
  ExpectNormalWrite(disk.Root(), before);
}

std::vector<Writer> ConfigurationWriters() {
  std::vector<Writer> all = Writers();
  all.resize(2);
  return all;
}

INSTANTIATE_TEST_SUITE_P(ConfigurationWriters, UndeletableBackup, ::testing::ValuesIn(ConfigurationWriters()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace quorvane

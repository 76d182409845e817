// Every writer against faults made real on the disk (needs root): a full
// disk, a file or directory that cannot be changed, a directory where the file
// should be and a directory that vanishes mid-write. Each time the previous
// content survives (as the file or its .bak), the failure is reported, and the
// next write once the fault is gone is an ordinary one. And a writer killed at
// any moment leaves a complete copy of each server file, as itself or its .bak,
// and the map cycle, message and settings file each whole from one write.
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>

#include "config/cfg_reader.h"
#include "config/cfg_writer.h"
#include "config/resets.h"
#include "install/settings_file.h"
#include "maps/map_cycle.h"
#include "maps/motd.h"
#include "platform/file_system.h"
#include "platform/scratch_dir.h"
#include "support/memory_file_system.h"
#include "support/real_faults.h"
#include "tools/write_loop_files.h"

namespace quorvane {
namespace {

namespace fs = std::filesystem;

std::optional<std::string> Read(const fs::path& p) {
  return fs::is_regular_file(p) ? std::optional(platform::testing::Slurp(p)) : std::nullopt;
}

// Runs `vanish` once, just before the first file is written.
struct VanishingFileSystem : platform::NativeFileSystem {
  std::function<void()> vanish;
  install::IoResult WriteFile(const std::string& path, std::string_view bytes) override {
    if (vanish) std::exchange(vanish, nullptr)();
    return NativeFileSystem::WriteFile(path, bytes);
  }
};

// Long values: the files outgrow the page that truncating the previous one frees.
const std::string kLong(6000, 'x');
config::MemoryFieldStore Fields() {
  config::MemoryFieldStore fields;
  config::ApplyServerDefaults(fields);
  config::ApplyAutoexecDefaults(fields);
  for (const char* name : {"hostname", "rate"}) fields.SetText(name, kLong);
  return fields;
}
install::IoResult Io(const config::WriteResult& r) { return {r.ok, r.reason}; }

// A writer keeps every file it makes in one directory under the root; a .cfg keeps its previous content as .bak.
using WriteUnder = std::function<install::IoResult(install::FileSystem&, const std::string& root)>;
struct Writer { const char* name; const char* directory; std::vector<std::string> files; WriteUnder write; };
const Writer kWriters[] = {
    {"ServerFiles",
     "hl/tfc",
     {"server.cfg", "listenserver.cfg"},
     [](auto& fs, auto& root) { return Io(config::WriteServerCfg(fs, root + "/hl", Fields())); }},
    {"Autoexec",
     "hl/valve",
     {"autoexec.cfg"},
     [](auto& fs, auto& root) {
       auto f = Fields();
       return Io(config::WriteAutoexecCfg(fs, root + "/hl", f));
     }},
    {"MapCycle",
     "hl/tfc",
     {"mapcycle.txt"},
     [](auto& fs, auto& root) {
       return maps::SaveMapCycle(fs, root + "/hl\\Tfc\\mapcycle.txt", {500, kLong.substr(0, 20)});
     }},
    {"Motd",
     "hl/tfc",
     {"motd.txt"},
     [](auto& fs, auto& root) { return maps::SaveMotd(fs, root + "/hl\\Tfc\\motd.txt", kLong); }},
    {"SettingsFile",
     "prog",
     {"Quorvane.ini"},
     [](auto& fs, auto& root) {
       return install::SaveServerLocation(fs, root + "/prog\\Quorvane.ini", "C:\\" + kLong);
     }},
};

enum Fault { kFullDisk, kImmutableFile, kImmutableDirectory, kDirectoryInPlace, kVanishingDirectory };
const std::pair<const char*, const char*> kFaults[] = {  // a name, and the reason reported
    {"FullDisk", "No space left on device"},  {"ImmutableFile", "Operation not permitted"},
    {"ImmutableDirectory", "Operation not permitted"}, {"DirectoryInPlace", "Is a directory"},
    {"Vanishing", "No such file or directory"}};

class RealFault : public ::testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(RealFault, previousContentSurvivesTheFailureIsReportedAndTheNextWriteIsNormal) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to make faults real (tmpfs, immutable files)";
  const Writer& w = kWriters[std::get<0>(GetParam())];
  const auto fault = static_cast<Fault>(std::get<1>(GetParam()));
  platform::testing::ScratchDir scratch;
  const fs::path root = scratch.Path(), dir = root / w.directory, filler = root / "filler";
  const std::shared_ptr<void> unmount(nullptr, [&](void*) { ::umount2(root.c_str(), MNT_DETACH); });
  if (fault == kFullDisk && ::mount("tmpfs", root.c_str(), "tmpfs", 0, "size=65536") != 0) GTEST_SKIP() << "no tmpfs";
  for (const char* d : {"hl/tfc", "hl/valve", "prog"}) fs::create_directories(root / d);
  // In an unchangeable directory, or with a directory in its place, there is no previous file.
  const bool previous = fault != kImmutableDirectory && fault != kDirectoryInPlace;
  auto Previous = [](const std::string& f) { return "// previous " + f + "\r\n"; };
  auto Bak = [&](const std::string& f) {
    return f.ends_with(".cfg") ? dir / (f.substr(0, f.size() - 4) + ".bak") : "";
  };
  std::vector<std::unique_ptr<test_support::Immutable>> locks;
  for (const std::string& f : w.files) {
    if (previous) std::ofstream(dir / f, std::ios::binary) << Previous(f);
    if (fault == kImmutableFile) locks.push_back(std::make_unique<test_support::Immutable>(dir / f));
  }
  if (fault == kImmutableDirectory) locks.push_back(std::make_unique<test_support::Immutable>(dir));
  if (!locks.empty() && !locks.back()->ok()) GTEST_SKIP() << "cannot make a file immutable: " << locks.back()->error();
  if (fault == kDirectoryInPlace) fs::create_directories(dir / w.files.front() / "inside");
  ASSERT_TRUE(fault != kFullDisk || !(std::ofstream(filler) << std::string(1 << 20, 'x') << std::flush)) << "not full";
  VanishingFileSystem files;
  if (fault == kVanishingDirectory) files.vanish = [&] { fs::rename(dir, root / "away"); };

  const install::IoResult failed = w.write(files, root.string());
  EXPECT_TRUE(!failed.ok && failed.error.find(kFaults[fault].second) != std::string::npos) << failed.error;
  EXPECT_FALSE(files.vanish) << "the directory never vanished";

  // Undo the fault, then look for the previous content.
  locks.clear();
  fs::remove(filler);
  if (fault == kVanishingDirectory) {
    EXPECT_FALSE(fs::exists(dir)) << "no directory is made up in its place";
    fs::rename(root / "away", dir);
  }
  EXPECT_TRUE(fault != kDirectoryInPlace || fs::remove_all(dir / w.files.front()) == 2) << "the directory was replaced";
  std::vector<std::optional<std::string>> before;
  for (const std::string& f : w.files) {
    before.push_back(Read(dir / f));
    const bool kept = before.back() == Previous(f) || (!before.back() && Read(Bak(f)) == Previous(f));
    EXPECT_TRUE(previous ? kept : !before.back() || (fault == kDirectoryInPlace && f != w.files.front())) << f;
  }

  // The next write gives the bytes the writer makes in memory, and the .bak the ones before it.
  test_support::MemoryFileSystem memory;
  memory.AddDirectory(dir.string());
  ASSERT_TRUE(w.write(memory, root.string()).ok);
  EXPECT_TRUE(w.write(files, root.string()).ok);
  for (std::size_t i = 0; i < w.files.size(); ++i) {
    EXPECT_EQ(Read(dir / w.files[i]), memory.Bytes((dir / w.files[i]).string())) << w.files[i];
    EXPECT_TRUE(Bak(w.files[i]).empty() || Read(Bak(w.files[i])) == before[i]) << w.files[i];
  }
}

INSTANTIATE_TEST_SUITE_P(WritersAndFaults, RealFault,
                         ::testing::Combine(::testing::Range(0, 5), ::testing::Range(0, 5)), [](const auto& info) {
                           return kWriters[std::get<0>(info.param)].name +
                                  std::string(kFaults[std::get<1>(info.param)].first);
                         });

const std::pair<std::string, std::string (*)(const config::FieldStore&)> kServerFiles[] = {
    {"server", config::ServerCfgText}, {"listenserver", config::ListenServerCfgText}};
// A whole server file as the writer makes it, whatever values it carries.
bool Complete(const fs::path& p, std::string (*text)(const config::FieldStore&)) {
  const std::optional<std::string> bytes = Read(p);
  config::MemoryFieldStore fields;
  config::ApplyCfgText(bytes.value_or(""), fields);
  return text(fields) == bytes;
}

// One of the loop's other files is its bytes from one whole write, never a mix, a part or nothing.
bool WholeFromOneRun(const fs::path& p, test_support::LoopFile file) {
  const std::optional<std::string> bytes = Read(p);
  const long run = test_support::LoopFileRun(bytes.value_or(""));
  if (run < 0) return false;
  test_support::MemoryFileSystem memory;
  memory.AddDirectory("M\\Tfc");
  if (!test_support::WriteLoopFile(memory, "M", file, static_cast<unsigned long>(run))) return false;
  return memory.Bytes(test_support::LoopFilePath("M", file)) == bytes;
}

// The most temporaries any one file of `dir` has left: a kill leaves one, the next write clears it.
std::size_t LeftTemporaries(const fs::path& dir) {
  std::map<std::string, std::size_t> perFile;
  for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (const std::size_t mark = name.find(".quorvane-tmp-"); mark != std::string::npos)
      ++perFile[name.substr(0, mark)];
  }
  std::size_t most = 0;
  for (const auto& [file, count] : perFile) most = std::max(most, count);
  return most;
}

// A stand-in program writes the server files, map cycle, message and settings
// file through the real writers in a loop; it is killed a few hundred times at
// moments that vary with its progress.
TEST(KillDuringWrite, aCompleteCopyOfEachFileSurvivesEveryKill) {
  platform::testing::ScratchDir scratch;
  const fs::path tfc = scratch.Path() / "hl/tfc";
  fs::create_directories(tfc);
  const std::pair<fs::path, test_support::LoopFile> others[] = {{tfc / "mapcycle.txt", test_support::kLoopMapCycle},
      {tfc / "motd.txt", test_support::kLoopMotd}, {tfc.parent_path() / "Quorvane.ini", test_support::kLoopSettings}};
  platform::NativeFileSystem disk;
  for (const test_support::LoopFile file : test_support::kLoopFiles)
    ASSERT_TRUE(test_support::WriteLoopFile(disk, tfc.parent_path().string(), file, 0).ok);
  const char* program = QUORVANE_CFG_WRITE_LOOP;
  std::mt19937 random(20240601);
  for (int round = 0; round < 300 && !HasFailure(); ++round) {
    // Stale backups that are no complete file, so only this round's copies count.
    for (const auto& [name, text] : kServerFiles) {
      std::ofstream(tfc / (name + ".cfg"), std::ios::binary) << text(Fields());
      std::ofstream(tfc / (name + ".bak")) << "stale";
    }

    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    const pid_t pid = ::fork();
    // The child writes a byte on the pipe after every complete write.
    if (pid == 0)
      ::dup2(out[1], STDOUT_FILENO), ::execl(program, program, tfc.parent_path().c_str(), nullptr), ::_exit(127);
    ASSERT_GT(pid, 0);
    ::close(out[1]);
    // Let it finish between zero and seven file writes (a byte each), then kill it somewhere in the next.
    char progress;
    for (int i = static_cast<int>(random() % 8); i > 0; --i) ASSERT_EQ(::read(out[0], &progress, 1), 1);
    const auto end = std::chrono::steady_clock::now() + std::chrono::microseconds(random() % 400);
    while (std::chrono::steady_clock::now() < end) {}
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ::close(out[0]);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer ended on its own with status " << status;
    for (const auto& [name, text] : kServerFiles)
      EXPECT_TRUE(Complete(tfc / (name + ".cfg"), text) || Complete(tfc / (name + ".bak"), text)) << name << round;
    for (const auto& [path, file] : others) EXPECT_TRUE(WholeFromOneRun(path, file)) << path << round;
    EXPECT_LE(LeftTemporaries(tfc), 1u) << "stale temporaries pile up, round " << round;
    EXPECT_LE(LeftTemporaries(tfc.parent_path()), 1u) << "stale temporaries pile up, round " << round;
  }
}

}  // namespace
}  // namespace quorvane

// A writer killed at any moment on the real disk leaves a complete copy of each
// server file, as itself or its .bak, and the map cycle, message and settings
// file each whole from one write.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>

#include "config/cfg_reader.h"
#include "config/cfg_writer.h"
#include "config/resets.h"
#include "platform/file_system.h"
#include "platform/scratch_dir.h"
#include "support/memory_file_system.h"
#include "tools/write_loop_files.h"

namespace quorvane {
namespace {

namespace fs = std::filesystem;

std::optional<std::string> Read(const fs::path& p) {
  return fs::is_regular_file(p) ? std::optional(platform::testing::Slurp(p)) : std::nullopt;
}

const std::pair<std::string, std::string (*)(const config::FieldValues&)> kServerFiles[] = {
    {"server", config::ServerCfgText}, {"listenserver", config::ListenServerCfgText}};
// A whole server file as the writer makes it, whatever values it carries.
bool Complete(const fs::path& p, std::string (*text)(const config::FieldValues&)) {
  const std::optional<std::string> bytes = Read(p);
  config::FieldValues fields;
  config::ParseCfgText(bytes.value_or("")).ApplyTo(fields);
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
  const std::pair<fs::path, test_support::LoopFile> others[] = {
      {tfc / "mapcycle.txt", test_support::kLoopMapCycle},
      {tfc / "motd.txt", test_support::kLoopMotd},
      {tfc.parent_path() / "Quorvane.ini", test_support::kLoopSettings}};
  platform::NativeFileSystem disk;
  for (const test_support::LoopFile file : test_support::kLoopFiles)
    ASSERT_TRUE(test_support::WriteLoopFile(disk, tfc.parent_path().string(), file, 0).ok);
  const char* program = QUORVANE_CFG_WRITE_LOOP;
  config::FieldValues defaults;
  config::ApplyServerDefaults(defaults);
  std::mt19937 random(20240601);
  for (int round = 0; round < 300 && !HasFailure(); ++round) {
    // Stale backups that are no complete file, so only this round's copies count.
    for (const auto& [name, text] : kServerFiles) {
      std::ofstream(tfc / (name + ".cfg"), std::ios::binary) << text(defaults);
      std::ofstream(tfc / (name + ".bak")) << "stale";
    }

    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    const pid_t pid = ::fork();
    // The child writes a byte on the pipe after every complete write.
    if (pid == 0) {
      ::dup2(out[1], STDOUT_FILENO);
      ::execl(program, program, tfc.parent_path().c_str(), nullptr);
      ::_exit(127);
    }
    ASSERT_GT(pid, 0);
    ::close(out[1]);
    // Let it finish between zero and seven file writes (a byte each), then kill it somewhere in the next.
    char progress;
    for (int i = static_cast<int>(random() % 8); i > 0; --i) ASSERT_EQ(::read(out[0], &progress, 1), 1);
    const auto end = std::chrono::steady_clock::now() + std::chrono::microseconds(random() % 400);
    while (std::chrono::steady_clock::now() < end) {
    }
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

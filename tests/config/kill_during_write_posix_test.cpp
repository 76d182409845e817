// A process killed at any moment while it writes the server files leaves a
// complete copy of each previous file, as the file itself or as its .bak.
// A stand-in program writes through the real writer in a loop; the test
// kills it a few hundred times at moments that vary with its progress.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>

#include "config/cfg_reader.h"
#include "config/cfg_writer.h"
#include "config/field_store.h"
#include "config/resets.h"
#include "platform/scratch_dir.h"

#ifndef QUORVANE_CFG_WRITE_LOOP
#error "QUORVANE_CFG_WRITE_LOOP names the stand-in writer"
#endif

namespace quorvane::config {
namespace {

namespace fs = std::filesystem;
using platform::testing::ScratchDir;

constexpr int kRounds = 300;

MemoryFieldStore WriterFields(const std::string& hostname) {
  MemoryFieldStore fields;
  ApplyServerDefaults(fields);
  fields.SetText("port", "27016");
  fields.SetText("hostname", hostname);
  return fields;
}

std::optional<std::string> Read(const fs::path& p) {
  std::error_code ec;
  if (!fs::is_regular_file(p, ec)) return std::nullopt;
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A whole file as the writer makes it, whichever hostname it carries.
bool Complete(const std::optional<std::string>& bytes, std::string (*text)(const FieldStore&)) {
  if (!bytes) return false;
  MemoryFieldStore fields = WriterFields("");
  ApplyCfgText(*bytes, fields);
  const std::string host = fields.GetText("hostname");
  if (!host.starts_with("run ") && !host.starts_with("seed ")) return false;
  return text(fields) == *bytes;
}

// Spins for a while without sleeping, so the kill lands anywhere in a write.
void Spin(std::chrono::microseconds span) {
  const auto end = std::chrono::steady_clock::now() + span;
  while (std::chrono::steady_clock::now() < end) {
  }
}

TEST(KillDuringWrite, aCompleteCopyOfEachServerFileSurvivesEveryKill) {
  ScratchDir dir;
  ASSERT_FALSE(dir.Path().empty());
  const fs::path tfc = dir.MakeDir("hl/tfc");
  const std::string gameDir = dir.Text() + "/hl";
  std::mt19937 random(20240601);
  int inWindow = 0;

  for (int round = 0; round < kRounds; ++round) {
    const MemoryFieldStore seed = WriterFields("seed " + std::to_string(round));
    std::ofstream(tfc / "server.cfg", std::ios::binary) << ServerCfgText(seed);
    std::ofstream(tfc / "listenserver.cfg", std::ios::binary) << ListenServerCfgText(seed);
    // Stale backups that are no complete file, so only this round's copies count.
    std::ofstream(tfc / "server.bak", std::ios::binary) << "stale";
    std::ofstream(tfc / "listenserver.bak", std::ios::binary) << "stale";

    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::string program = QUORVANE_CFG_WRITE_LOOP;
    char* argv[] = {program.data(), const_cast<char*>(gameDir.c_str()), nullptr};
    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ASSERT_EQ(spawned, 0) << program;

    // Let it finish between zero and three writes, then kill it somewhere in the next.
    const int writes = static_cast<int>(random() % 4);
    char progress;
    for (int i = 0; i < writes; ++i) ASSERT_EQ(::read(out[0], &progress, 1), 1) << "the writer stopped";
    Spin(std::chrono::microseconds(random() % 400));
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ::close(out[0]);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer ended on its own with status " << status;

    const auto server = Read(tfc / "server.cfg");
    const auto listen = Read(tfc / "listenserver.cfg");
    EXPECT_TRUE(Complete(server, ServerCfgText) || Complete(Read(tfc / "server.bak"), ServerCfgText))
        << "round " << round << ": no complete server.cfg or server.bak";
    EXPECT_TRUE(Complete(listen, ListenServerCfgText) ||
                Complete(Read(tfc / "listenserver.bak"), ListenServerCfgText))
        << "round " << round << ": no complete listenserver.cfg or listenserver.bak";
    if (!Complete(server, ServerCfgText) || !Complete(listen, ListenServerCfgText)) ++inWindow;
    if (HasFailure()) break;
  }
  RecordProperty("KillsBetweenRenameAndWrite", inWindow);
  std::printf("%d of %d kills landed while a file was only in its .bak\n", inWindow, kRounds);
}

}  // namespace
}  // namespace quorvane::config

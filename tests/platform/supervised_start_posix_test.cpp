// The supervised start, the supervisor lock and the crash files, with the real
// stand-in server as the dedicated server.
#include "platform/supervised_start.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/crash_files.h"
#include "platform/scratch_dir.h"
#include "platform/supervisor_lock.h"
#include "support/standin_processes.h"

namespace quorvane::platform {
namespace {

namespace fs = std::filesystem;
using test_support::InstallStandIn;
using test_support::ReadStandInRecord;
using testing::Slurp;

unsigned short FreeUdpPort() {
  const int s = ::socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(s);
  return ntohs(address.sin_port);
}

// Waits (on the child's end, polled) until the supervised server has ended.
std::optional<ChildExit> AwaitEnd(SupervisedStarter& starter) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < deadline) {
    if (auto exit = starter.TryWait()) return exit;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return std::nullopt;
}

constexpr const char* kGameLike = ":disable_coredump=0:handle_segv=0";

class SupervisedStart : public ::testing::Test {
 protected:
  // Other tests of this program leave the stand-in deaf to the end request.
  void SetUp() override {
    for (const char* name : {"QUORVANE_STANDIN_IGNORE_TERM", "QUORVANE_STANDIN_CHILD"}) ::unsetenv(name);
    // A sanitized stand-in would drop its core-file limit and catch its own SIGSEGV; the game does neither.
    if (const char* asan = std::getenv("ASAN_OPTIONS"); asan != nullptr && !std::string(asan).ends_with(kGameLike))
      ::setenv("ASAN_OPTIONS", (std::string(asan) + kGameLike).c_str(), 1);
  }
  void TearDown() override {
    for (const char* name : {"QUORVANE_STANDIN_END", "QUORVANE_STANDIN_END_AFTER"}) ::unsetenv(name);
    EXPECT_TRUE(test_support::EndAll(m_dir.Path(), {}));
  }
  launch::StartResult Start(SupervisedStarter& starter) {
    return starter.Start({"Open", m_dir.Text() + "/hlds.exe",
                          " -game tfc -port " + std::to_string(FreeUdpPort()) + " +map 2fort", m_dir.Text(), 0});
  }
  testing::ScratchDir m_dir;
};

// A Linux installation's script would restart the server itself: its binary runs directly instead.
TEST_F(SupervisedStart, hldsRunFolderStartsTheBinaryWithItsFolderOnTheLibraryPathAndCoreFilesAllowed) {
  InstallStandIn(m_dir.Path() / "hlds_run");
  InstallStandIn(m_dir.Path() / "hlds_linux");
  SupervisedStarter starter;
  const launch::StartResult started = Start(starter);
  ASSERT_TRUE(started) << started.reason;
  const auto record = ReadStandInRecord(m_dir.Path());
  ASSERT_TRUE(record.complete);
  EXPECT_EQ(started.started, record.pid);
  EXPECT_EQ(fs::read_symlink("/proc/" + std::to_string(record.pid) + "/exe").filename(), "hlds_linux");
  EXPECT_EQ(getpgid(static_cast<pid_t>(record.pid)), record.pid);
  const std::string environment = Slurp("/proc/" + std::to_string(record.pid) + "/environ");
  EXPECT_NE(environment.find(std::string("LD_LIBRARY_PATH=") + m_dir.Text()), std::string::npos);
  rlimit core{};
  ASSERT_EQ(::prlimit(static_cast<pid_t>(record.pid), RLIMIT_CORE, nullptr, &core), 0);
  EXPECT_EQ(core.rlim_cur, core.rlim_max);
  EXPECT_FALSE(starter.TryWait());
}

TEST_F(SupervisedStart, scriptAloneRunsWithoutItsOwnRestarts) {
  InstallStandIn(m_dir.Path() / "hlds_run");
  SupervisedStarter starter;
  ASSERT_TRUE(Start(starter));
  const auto record = ReadStandInRecord(m_dir.Path());
  ASSERT_FALSE(record.args.empty());
  EXPECT_EQ(record.args.back(), "-norestart");
}

struct EndingRow {
  const char* name;
  const char* mode;
  bool exitedNormally;
  int code;
};

class SupervisedEnding : public SupervisedStart, public ::testing::WithParamInterface<EndingRow> {};

TEST_P(SupervisedEnding, theServersEndIsSeenWithItsStatusOrSignal) {
  InstallStandIn(m_dir.Path() / "hlds_linux");
  ::setenv("QUORVANE_STANDIN_END", GetParam().mode, 1);
  ::setenv("QUORVANE_STANDIN_END_AFTER", "0.2", 1);
  SupervisedStarter starter;
  ASSERT_TRUE(Start(starter));
  const std::optional<ChildExit> exit = AwaitEnd(starter);
  ASSERT_TRUE(exit);
  EXPECT_EQ(exit->exitedNormally, GetParam().exitedNormally);
  EXPECT_EQ(exit->code, GetParam().code);
  EXPECT_FALSE(starter.Running());
}

INSTANTIATE_TEST_SUITE_P(Modes, SupervisedEnding,
                         ::testing::Values(EndingRow{"statusOne", "exit1", true, 1},
                                           EndingRow{"segmentationFault", "segv", false, SIGSEGV},
                                           EndingRow{"fatalError", "fatal", false, SIGSEGV}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SupervisedStart, stopEndsTheWholeGroupAndTheEndIsASignal) {
  InstallStandIn(m_dir.Path() / "hlds_linux");
  ::setenv("QUORVANE_STANDIN_CHILD", "1", 1);
  SupervisedStarter starter;
  const launch::StartResult started = Start(starter);
  ::unsetenv("QUORVANE_STANDIN_CHILD");
  ASSERT_TRUE(started);
  const auto record = ReadStandInRecord(m_dir.Path());
  ASSERT_NE(record.child, 0);
  starter.Stop();
  const std::optional<ChildExit> exit = AwaitEnd(starter);
  ASSERT_TRUE(exit);
  EXPECT_FALSE(exit->exitedNormally);
  EXPECT_EQ(exit->code, SIGTERM);
  EXPECT_TRUE(test_support::WaitForExit(record.child, 5000));
}

TEST_F(SupervisedStart, missingServerIsRefusedWithTheReason) {
  SupervisedStarter starter;
  const launch::StartResult started = Start(starter);
  EXPECT_FALSE(started);
  EXPECT_EQ(started.reason, "No such file or directory");
  EXPECT_FALSE(starter.TryWait());
}

// A crash leaves a core in the server folder; the debugger's backtrace of it goes into the report.
TEST_F(SupervisedStart, coreFileOfTheCrashGivesTheDebuggersBacktrace) {
  if (Slurp("/proc/sys/kernel/core_pattern") != "core\n") GTEST_SKIP() << "cores go elsewhere on this machine";
  if (std::getenv("ASAN_OPTIONS") != nullptr) GTEST_SKIP() << "a sanitized stand-in's core holds its shadow memory";
  InstallStandIn(m_dir.Path() / "hlds_linux");
  ::setenv("QUORVANE_STANDIN_END", "segv", 1);
  ::setenv("QUORVANE_STANDIN_END_AFTER", "0.2", 1);
  const auto since = std::chrono::system_clock::now() - std::chrono::seconds(1);
  SupervisedStarter starter;
  ASSERT_TRUE(Start(starter));
  ASSERT_TRUE(AwaitEnd(starter));
  const std::optional<Backtrace> trace =
      CoreBacktrace(m_dir.Path(), m_dir.Path() / "hlds_linux", starter.ProcessId(), since);
  if (::access("/usr/bin/gdb", X_OK) != 0) GTEST_SKIP() << "gdb is not installed";
  ASSERT_TRUE(trace);
  EXPECT_TRUE(fs::exists(trace->core));
  EXPECT_NE(trace->text.find("#0"), std::string::npos) << trace->text;
  EXPECT_FALSE(CoreBacktrace(m_dir.Path(), m_dir.Path() / "hlds_linux", 0,
                             std::chrono::system_clock::now() + std::chrono::hours(1)));
}

TEST(SupervisorLock, secondHolderIsRefusedWithTheFirstOnesProcess) {
  const testing::ScratchDir dir;
  SupervisorLock first(dir.Path()), second(dir.Path());
  ASSERT_TRUE(first.Take("/srv/hlds").taken);
  const LockOutcome refused = second.Take("/srv/hlds/");
  EXPECT_FALSE(refused.taken);
  EXPECT_EQ(refused.holder, ::getpid());
  EXPECT_TRUE(refused.error.empty());
  EXPECT_TRUE(second.Take("/srv/other").taken);
  first.Release();
  EXPECT_TRUE(second.Take("/srv/hlds").taken);
}

TEST(SupervisorLock, holderThatDiesFreesTheLock) {
  const testing::ScratchDir dir;
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t holder = ::fork();
  if (holder == 0) {
    SupervisorLock lock(dir.Path());
    const char taken = lock.Take("/srv/hlds").taken ? 'y' : 'n';
    [[maybe_unused]] const ssize_t n = ::write(ready[1], &taken, 1);
    ::pause();
    ::_exit(0);
  }
  ::close(ready[1]);
  char taken = 0;
  ASSERT_EQ(::read(ready[0], &taken, 1), 1);
  ::close(ready[0]);
  ASSERT_EQ(taken, 'y');
  SupervisorLock lock(dir.Path());
  EXPECT_EQ(lock.Take("/srv/hlds").holder, holder);
  ::kill(holder, SIGKILL);
  ::waitpid(holder, nullptr, 0);
  EXPECT_TRUE(lock.Take("/srv/hlds").taken);
}

// A file where the folder should be fails as a read-only disk would, even for root.
TEST(SupervisorLock, folderThatCannotBeMadeIsNamedInTheFailure) {
  const testing::ScratchDir dir;
  const fs::path locks = dir.Make("plain") / "locks";
  SupervisorLock lock(locks);
  const LockOutcome outcome = lock.Take("/srv/hlds");
  EXPECT_FALSE(outcome.taken);
  EXPECT_NE(outcome.error.find(locks.string()), std::string::npos);
  EXPECT_NE(outcome.error.find("Not a directory"), std::string::npos);
}

TEST(CrashFiles, reportIsWrittenInAFolderNamedByItsTimeAndOldOnesRemoved) {
  const testing::ScratchDir dir;
  const supervise::WallTime now{std::chrono::sys_days{std::chrono::December / 7 / 2026} + std::chrono::hours(21)};
  dir.Make("2026-10-01_08-00-00/report.txt", "old");
  dir.Make("2026-12-06_08-00-00/report.txt", "recent");
  dir.Make("notes/");
  CrashFiles files(dir.Path());
  const ReportWritten written = files.Write(now, "the report\n");
  ASSERT_TRUE(written) << written.reason;
  EXPECT_EQ(written.folder, dir.Path() / "2026-12-07_21-00-00");
  EXPECT_EQ(Slurp(written.folder / "report.txt"), "the report\n");
  EXPECT_EQ(files.List(), (std::vector<std::string>{"2026-12-07_21-00-00", "2026-12-06_08-00-00"}));
  EXPECT_TRUE(fs::exists(dir.Path() / "notes"));
  const install::Read<std::string> read = files.ReadReport("2026-12-06_08-00-00");
  ASSERT_TRUE(read);
  EXPECT_EQ(read.value(), "recent");
  EXPECT_EQ(files.Write(now, "again").folder.filename(), "2026-12-07_21-00-00-2");
}

TEST(CrashFiles, folderThatCannotBeMadeFailsNamingIt) {
  const testing::ScratchDir dir;
  const fs::path crashes = dir.Make("plain") / "crashes";
  CrashFiles files(crashes);
  const ReportWritten written = files.Write(supervise::WallTime{}, "text");
  EXPECT_FALSE(written);
  EXPECT_EQ(written.file, crashes.string());
  EXPECT_TRUE(files.List().empty());
}

}  // namespace
}  // namespace quorvane::platform

// Stopping the server against real processes: the servers a stop may end,
// and programs that only name a server's file, which it must leave running.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "launch/launcher.h"
#include "platform/file_system.h"
#include "platform/process_starter.h"
#include "platform/scratch_dir.h"
#include "platform/server_control.h"
#include "support/standin_processes.h"

namespace quorvane::platform {
namespace {

namespace fs = std::filesystem;
using Words = std::vector<std::string>;
using namespace test_support;

struct Row {
  const char* name;
  std::string program;  // relative names lie in the installation
  Words argv;           // argv[0] as the program sees it
  bool server;
};
void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

const Row kRows[] = {
    {"StandInAsHldsLinux", "hlds_linux", {"./hlds_linux", "-game", "tfc"}, true},
    {"StandInAsHldsExe", "hlds.exe", {"./hlds.exe"}, true},
    {"ShellRunningHldsRun", "/bin/sh", {"sh", "./hlds_run", "-game", "tfc"}, true},
    {"HldsRunStartedByItsFirstLine", "hlds_run", {"./hlds_run"}, true},
    {"BashWithOptionsRunningHldsRun", "/bin/bash", {"bash", "--noprofile", "-e", "hlds_run"}, true},
    {"WineRunningHldsExe", "wine64-preloader", {"C:\\hl\\hlds.exe", "1000"}, true},
    {"SleepNamedHldsRun", "/bin/sleep", {"hlds_run", "1000"}, false},
    {"CatReadingHldsRun", "/bin/cat", {"cat", "-", "hlds_run"}, false},
    {"ShellCommandNamedHldsRun", "/bin/bash", {"bash", "-c", "sleep 1000; :", "hlds_run"}, false},
    {"ShellReadingInputWithHldsRun", "/bin/sh", {"sh", "-s", "hlds_run"}, false},
    {"WineRunningAnotherProgram", "wine64-preloader", {"C:\\windows\\notepad.exe", "1000"}, false},
};

class StopServer : public ::testing::TestWithParam<Row>, launch::SoundPlayer {
  void PlaySoundCue(const std::string&) override {}

 protected:
  void SetUp() override {
    InstallStandIn(m_dir.Path() / "hlds_linux");
    InstallStandIn(m_dir.Path() / "hlds.exe");
    fs::copy_file("/bin/sleep", m_dir.Path() / "wine64-preloader");
    m_dir.Make("hlds_run", "#!/bin/sh\nsleep 1000\n");
    fs::permissions(m_dir.Path() / "hlds_run", fs::perms::owner_all);
    ::pipe2(m_input, O_CLOEXEC);  // never written: readers of it wait
  }
  void TearDown() override {
    EXPECT_TRUE(EndAll(m_dir.Path(), m_started)) << "a started program outlived the test";
    ::close(m_input[0]);
    ::close(m_input[1]);
  }
  // Runs the row's program in its own process group in the installation;
  // returns once it runs the program, not the copy of this test.
  long long Spawn(const Row& row) {
    const std::string program = row.program.starts_with('/') ? row.program : (m_dir.Path() / row.program).string();
    Words words = row.argv;
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    const std::string dir = m_dir.Text();
    int exec[2];
    if (::pipe2(exec, O_CLOEXEC) != 0) return 0;
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::setsid();
      const int quiet = ::open("/dev/null", O_WRONLY);
      ::dup2(quiet, STDOUT_FILENO);
      ::dup2(quiet, STDERR_FILENO);
      if (::chdir(dir.c_str()) == 0 && ::dup2(m_input[0], STDIN_FILENO) >= 0) ::execv(program.c_str(), argv.data());
      ::_exit(127);
    }
    ::close(exec[1]);
    char byte;
    while (::read(exec[0], &byte, 1) > 0) {
    }
    ::close(exec[0]);
    m_started.push_back(pid);
    return pid;
  }

  testing::ScratchDir m_dir;
  std::vector<long long> m_started;
  int m_input[2] = {-1, -1};
  NativeFileSystem m_files;
  NativeProcessStarter m_starter;
  // Only what this test started counts: other servers may run on the machine.
  NativeServerControl m_control{
      [this](launch::ServerControl::Handle h) { return std::count(m_started.begin(), m_started.end(), h) != 0; }};
  launch::Launcher m_launcher{m_files, *this, m_starter, m_control};
};

TEST_P(StopServer, stopEndsARealServerAndLeavesEveryOtherProgramRunning) {
  const long long pid = Spawn(GetParam());
  ASSERT_GT(pid, 0);
  ASSERT_TRUE(IsRunning(pid)) << "the program ended before the stop";
  EXPECT_EQ(m_control.FindServer(), GetParam().server ? std::optional(pid) : std::nullopt);
  m_launcher.StopDedicatedServer();
  if (GetParam().server) {
    EXPECT_TRUE(WaitForExit(pid, 20000));
  } else {
    EXPECT_TRUE(IsRunning(pid));
  }
}

INSTANTIATE_TEST_SUITE_P(Processes, StopServer, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row>& info) { return std::string(info.param.name); });

// The stand-in leaves a child in its group and ignores the polite request.
TEST(StartedServer, runsWhileAnyProcessOfItsGroupLives_andNoLongerOnceTheLastHasEnded) {
  testing::ScratchDir dir;
  InstallStandIn(dir.Path() / "hlds.exe");
  ::setenv("QUORVANE_STANDIN_CHILD", "1", 1);
  NativeServerControl control;
  const launch::StartResult started =
      NativeProcessStarter().Start({"Open", dir.Text() + "\\hlds.exe", "", dir.Text(), 0});
  ::unsetenv("QUORVANE_STANDIN_CHILD");
  ASSERT_TRUE(started.ok && started.started) << started.reason;
  const std::shared_ptr<void> end(nullptr, [&](void*) { ::kill(static_cast<pid_t>(*started.started), SIGKILL); });
  const StandInRecord r = ReadStandInRecord(dir.Path());
  ASSERT_TRUE(r.complete);
  EXPECT_TRUE(control.IsRunning(*started.started));
  ::kill(static_cast<pid_t>(r.pid), SIGKILL);
  EXPECT_TRUE(WaitForExit(r.pid, 20000));
  EXPECT_TRUE(control.IsRunning(*started.started)) << "its child still runs";
  ::kill(static_cast<pid_t>(r.child), SIGKILL);
  EXPECT_TRUE(WaitForExit(r.child, 20000));
  EXPECT_FALSE(control.IsRunning(*started.started));
}

}  // namespace
}  // namespace quorvane::platform

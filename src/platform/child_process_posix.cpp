#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
#include <thread>

#include "platform/child_process.h"
#include "platform/path_resolver.h"

namespace quorvane::platform {

struct ChildProcess::State {
  pid_t pid = -1;  // also the process group's id
  int output = -1;
  bool reaped = false;
  ChildExit exit;
};

namespace {

void CloseFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

ChildExit FromStatus(int status) {
  if (WIFSIGNALED(status)) return {false, WTERMSIG(status)};
  return {true, WEXITSTATUS(status)};
}

// The forked side: its own process group, the default signal handling, the
// output into the pipe. Only async-signal-safe calls from here on; a failure
// goes back through `failureFd` as its errno.
[[noreturn]] void RunChild(int outFd, int failureFd, int devNull, const std::string& workDir, char* const* argv) {
  ::setpgid(0, 0);
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  for (const int sig : {SIGPIPE, SIGTERM, SIGINT, SIGHUP, SIGCHLD}) ::signal(sig, SIG_DFL);
  if (devNull >= 0) ::dup2(devNull, STDIN_FILENO);
  ::dup2(outFd, STDOUT_FILENO);
  ::dup2(outFd, STDERR_FILENO);
  int error = 0;
  if (!workDir.empty() && ::chdir(workDir.c_str()) != 0) error = errno;
  if (error == 0) {
    ::execv(argv[0], argv);
    error = errno;
  }
  [[maybe_unused]] const ssize_t n = ::write(failureFd, &error, sizeof error);
  ::_exit(127);
}

// The pipe closes unread when the exec went well, else it carries the errno
// of the step that failed.
std::optional<int> AwaitExec(int failureFd) {
  int error = 0;
  ssize_t got = 0;
  do got = ::read(failureFd, &error, sizeof error);
  while (got < 0 && errno == EINTR);
  ::close(failureFd);
  if (got == static_cast<ssize_t>(sizeof error)) return error;
  return std::nullopt;
}

}  // namespace

ChildProcess::ChildProcess() : m_state(std::make_unique<State>()) {}

ChildProcess::~ChildProcess() {
  if (Running()) Cancel(1000);
  CloseFd(m_state->output);
}

install::IoResult ChildProcess::Start(const std::string& program, const std::vector<std::string>& arguments,
                                      const std::string& directory) {
  if (Running()) return install::IoResult::Failure("a program is already running");
  CloseFd(m_state->output);
  *m_state = State();

  // Everything the child needs is made before fork: between fork and exec
  // only async-signal-safe calls may run.
  std::vector<std::string> words{ResolveNativePath(program).string()};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  const std::string workDir = directory.empty() ? std::string() : ResolveNativePath(directory).string();

  int out[2];
  int failure[2];
  if (::pipe2(out, O_CLOEXEC) != 0) return install::IoResult::Failure(std::strerror(errno));
  if (::pipe2(failure, O_CLOEXEC) != 0) {
    const int error = errno;
    ::close(out[0]);
    ::close(out[1]);
    return install::IoResult::Failure(std::strerror(error));
  }
  const int devNull = ::open("/dev/null", O_RDONLY | O_CLOEXEC);

  const pid_t pid = ::fork();
  if (pid == 0) RunChild(out[1], failure[1], devNull, workDir, argv.data());
  const int forkError = errno;
  ::close(out[1]);
  ::close(failure[1]);
  if (devNull >= 0) ::close(devNull);
  if (pid < 0) {
    ::close(out[0]);
    ::close(failure[0]);
    return install::IoResult::Failure(std::strerror(forkError));
  }
  // Both sides set the group, so it exists before anyone signals it.
  ::setpgid(pid, pid);

  const std::optional<int> error = AwaitExec(failure[0]);
  m_state->pid = pid;
  if (error) {
    ::close(out[0]);
    Wait();
    *m_state = State();
    return install::IoResult::Failure("Cannot start " + program + ": " + std::strerror(*error));
  }
  ::fcntl(out[0], F_SETFL, ::fcntl(out[0], F_GETFL) | O_NONBLOCK);
  m_state->output = out[0];
  return install::IoResult::Success();
}

ChildProcess::ReadStatus ChildProcess::Read(std::string& output, int waitMs) {
  if (m_state->output < 0) return ReadStatus::Closed;
  pollfd p{m_state->output, POLLIN, 0};
  int ready = 0;
  do ready = ::poll(&p, 1, waitMs);
  while (ready < 0 && errno == EINTR);
  if (ready <= 0) return ReadStatus::Nothing;
  // Bounded in bytes and time, so a program that floods its output cannot hold the caller.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kReadLimitMs);
  std::size_t taken = 0;
  char buffer[65536];
  while (taken < kReadLimitBytes && std::chrono::steady_clock::now() < deadline) {
    const ssize_t n = ::read(m_state->output, buffer, std::min(sizeof buffer, kReadLimitBytes - taken));
    if (n > 0) {
      output.append(buffer, static_cast<std::size_t>(n));
      taken += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) break;
    // The end of the output, or an error that ends it just the same.
    CloseFd(m_state->output);
    return taken > 0 ? ReadStatus::Data : ReadStatus::Closed;
  }
  return taken > 0 ? ReadStatus::Data : ReadStatus::Nothing;
}

bool ChildProcess::TryWait(ChildExit& exit) {
  if (m_state->pid < 0) return false;
  if (!m_state->reaped) {
    int status = 0;
    pid_t done = 0;
    do done = ::waitpid(m_state->pid, &status, WNOHANG);
    while (done < 0 && errno == EINTR);
    if (done == 0) return false;
    m_state->reaped = true;
    m_state->exit = done > 0 ? FromStatus(status) : ChildExit{false, 0};
  }
  exit = m_state->exit;
  return true;
}

ChildExit ChildProcess::Wait() {
  if (m_state->pid < 0) return {};
  if (!m_state->reaped) {
    int status = 0;
    pid_t done = 0;
    do done = ::waitpid(m_state->pid, &status, 0);
    while (done < 0 && errno == EINTR);
    m_state->reaped = true;
    m_state->exit = done > 0 ? FromStatus(status) : ChildExit{false, 0};
  }
  return m_state->exit;
}

void ChildProcess::Cancel(int graceMs) {
  if (!Running()) return;
  const pid_t group = m_state->pid;
  ::kill(-group, SIGTERM);
  // Until the child is reaped its id, and so the group's, cannot be reused,
  // so the forced end below reaches only what belongs to it.
  constexpr int kStepMs = 10;
  for (int waited = 0; waited < graceMs; waited += kStepMs) {
    siginfo_t info{};
    if (::waitid(P_PID, static_cast<id_t>(group), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid != 0) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(kStepMs));
  }
  ::kill(-group, SIGKILL);
  Wait();
}

bool ChildProcess::Running() const { return m_state->pid > 0 && !m_state->reaped; }

std::intptr_t ChildProcess::OutputHandle() const { return m_state->output; }

long long ChildProcess::ProcessId() const { return m_state->pid; }

}  // namespace quorvane::platform

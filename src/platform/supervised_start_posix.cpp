#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <vector>

#include "install/text_case.h"
#include "platform/codepage.h"
#include "platform/logging.h"
#include "platform/path_resolver.h"
#include "platform/process_starter.h"
#include "platform/supervised_start.h"

extern char** environ;

namespace quorvane::platform {

namespace fs = std::filesystem;

struct SupervisedStarter::State {
  pid_t pid = -1;  // also its session's and process group's id
  bool reaped = false;
  ChildExit exit;
};

namespace {

ChildExit FromStatus(int status) {
  if (WIFSIGNALED(status)) return {false, WTERMSIG(status)};
  return {true, WEXITSTATUS(status)};
}

bool IsExecutable(const fs::path& file) {
  struct stat st {};
  return ::stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(file.c_str(), X_OK) == 0;
}

// The script's own loop would restart the server behind our back, and a shell
// reports a signal's death as a number: the server binary runs directly, with
// what the script would give it.
struct Supervised {
  std::vector<std::string> argv;
  std::vector<std::string> environment;  // empty: ours
};

Supervised ForSupervision(std::vector<std::string> argv) {
  Supervised run{std::move(argv), {}};
  const fs::path program(run.argv.front());
  if (install::Folded(program.filename().string()) != "hlds_run") return run;
  const fs::path binary = program.parent_path() / "hlds_linux";
  if (!IsExecutable(binary)) {
    run.argv.push_back("-norestart");
    return run;
  }
  run.argv.front() = binary.string();
  std::string libraries = "LD_LIBRARY_PATH=" + program.parent_path().string();
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string_view text(*entry);
    if (text.starts_with("LD_LIBRARY_PATH=")) {
      if (text.size() > 16) libraries += ":" + std::string(text.substr(16));
      continue;
    }
    run.environment.emplace_back(text);
  }
  run.environment.push_back(std::move(libraries));
  return run;
}

struct ChildFailure {
  int stage;  // 2 working directory, 3 exec
  int error;
};

// The forked side: a session of its own, so the server and what it starts
// form a group that ends together; core files allowed as far as the system
// lets. Only async-signal-safe calls from here on.
[[noreturn]] void RunServer(int reportFd, int devNull, const char* directory, char* const* argv, char* const* envp) {
  ::setsid();
  rlimit core{};
  if (::getrlimit(RLIMIT_CORE, &core) == 0 && core.rlim_cur != core.rlim_max) {
    core.rlim_cur = core.rlim_max;
    ::setrlimit(RLIMIT_CORE, &core);
  }
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  for (const int sig : {SIGPIPE, SIGTERM, SIGINT, SIGHUP, SIGCHLD}) ::signal(sig, SIG_DFL);
  ChildFailure failure{2, 0};
  if (::chdir(directory) == 0) {
    if (devNull >= 0) ::dup2(devNull, STDIN_FILENO);
    ::execve(argv[0], argv, envp);
    failure.stage = 3;
  }
  failure.error = errno;
  [[maybe_unused]] const ssize_t n = ::write(reportFd, &failure, sizeof failure);
  ::_exit(127);
}

std::optional<ChildFailure> AwaitExec(int readFd) {
  ChildFailure failure{0, 0};
  ssize_t got = 0;
  do got = ::read(readFd, &failure, sizeof failure);
  while (got < 0 && errno == EINTR);
  ::close(readFd);
  if (got == static_cast<ssize_t>(sizeof failure)) return failure;
  return std::nullopt;
}

std::string Words(const std::vector<std::string>& argv) {
  std::string line;
  for (const std::string& word : argv) line += word.find(' ') == std::string::npos ? ' ' + word : " \"" + word + '"';
  return line;
}

}  // namespace

SupervisedStarter::SupervisedStarter(std::string wine) : m_state(std::make_unique<State>()), m_wine(std::move(wine)) {}

SupervisedStarter::~SupervisedStarter() = default;

launch::StartResult SupervisedStarter::Start(const launch::LaunchRequest& request) {
  if (Running()) return launch::StartResult::Failure("the server started last still runs");
  const fs::path file = ResolvePath(request.file);
  GameProgram program = ChooseGameProgram(file, m_wine);
  if (program.argv.empty()) return launch::StartResult::Failure(program.error);
  const std::vector<std::string> words = SplitParameters(AnsiToUtf8(request.parameters));
  program.argv.insert(program.argv.end(), words.begin(), words.end());
  Supervised run = ForSupervision(std::move(program.argv));
  const std::string directory = request.directory.empty() ? std::string(".") : ResolvePath(request.directory).string();

  // Everything the child touches is made before fork.
  std::vector<char*> argv;
  for (std::string& word : run.argv) argv.push_back(word.data());
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (std::string& entry : run.environment) envp.push_back(entry.data());
  envp.push_back(nullptr);
  char* const* environment = run.environment.empty() ? environ : envp.data();

  const int devNull = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
    const int error = errno;
    if (devNull >= 0) ::close(devNull);
    return launch::StartResult::Failure(std::strerror(error));
  }
  const pid_t pid = ::fork();
  if (pid == 0) RunServer(pipeFds[1], devNull, directory.c_str(), argv.data(), environment);
  const int forkError = errno;
  ::close(pipeFds[1]);
  if (devNull >= 0) ::close(devNull);
  if (pid < 0) {
    ::close(pipeFds[0]);
    return launch::StartResult::Failure(std::strerror(forkError));
  }
  *m_state = State{pid, false, {}};
  if (const std::optional<ChildFailure> failure = AwaitExec(pipeFds[0])) {
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    m_state->reaped = true;
    std::string reason = std::strerror(failure->error);
    if (failure->stage == 2) reason = "working directory " + directory + ": " + reason;
    Log(LogTopic::Launch, [&] { return "could not start" + Words(run.argv) + " in " + directory + ": " + reason; });
    return launch::StartResult::Failure(reason);
  }
  Log(LogTopic::Launch, [&] {
    return "started" + Words(run.argv) + " in " + directory + " as supervised process " + std::to_string(pid);
  });
  return launch::StartResult::Success(static_cast<long long>(pid));
}

void SupervisedStarter::SetCurrentDirectory(const std::string&) {
  // The server gets its working directory in the fork; ours stays as it is.
}

launch::StartResult SupervisedStarter::OpenLink(const std::string& url) {
  return launch::StartResult::Failure("the supervised start opens no link (" + url + ")");
}

std::optional<ChildExit> SupervisedStarter::TryWait() {
  if (m_state->pid < 0) return std::nullopt;
  if (!m_state->reaped) {
    int status = 0;
    pid_t done = 0;
    do done = ::waitpid(m_state->pid, &status, WNOHANG);
    while (done < 0 && errno == EINTR);
    if (done == 0) return std::nullopt;
    m_state->reaped = true;
    m_state->exit = done > 0 ? FromStatus(status) : ChildExit{false, SIGKILL};
  }
  return m_state->exit;
}

// Until the server is reaped its id, and so its group's, cannot be reused:
// the signals reach only what belongs to it.
void SupervisedStarter::Stop() {
  if (!Running()) return;
  Log(LogTopic::Stop, [&] { return "SIGTERM to supervised process group " + std::to_string(m_state->pid); });
  ::kill(-m_state->pid, SIGTERM);
}

void SupervisedStarter::Kill() {
  if (!Running()) return;
  Log(LogTopic::Stop, [&] { return "SIGKILL to supervised process group " + std::to_string(m_state->pid); });
  ::kill(-m_state->pid, SIGKILL);
}

long long SupervisedStarter::ProcessId() const { return m_state->pid > 0 ? m_state->pid : 0; }

bool SupervisedStarter::Running() const { return m_state->pid > 0 && !m_state->reaped; }

}  // namespace quorvane::platform

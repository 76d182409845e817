#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDesktopServices>
#include <QString>
#include <QUrl>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>

#include "install/text_case.h"
#include "platform/codepage.h"
#include "platform/logging.h"
#include "platform/path_resolver.h"
#include "platform/process_starter.h"

namespace quorvane::platform {

namespace fs = std::filesystem;

namespace {

bool IsRegularFile(const fs::path& p) {
  struct stat st {};
  return ::stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsExecutableFile(const fs::path& p) { return IsRegularFile(p) && ::access(p.c_str(), X_OK) == 0; }

bool IsWindowsProgram(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  char magic[2] = {};
  return in.read(magic, 2) && magic[0] == 'M' && magic[1] == 'Z';
}

std::string FindOnPath(const std::string& name) {
  if (name.find('/') != std::string::npos) return IsExecutableFile(name) ? name : std::string();
  const char* path = std::getenv("PATH");
  if (path == nullptr) return {};
  std::string_view rest(path);
  while (true) {
    const size_t colon = rest.find(':');
    const std::string_view dir = rest.substr(0, colon);
    // An empty or relative entry means the current directory, which by now is
    // the game's: a file there named like the loader must never run.
    if (dir.starts_with('/')) {
      const fs::path candidate = fs::path(std::string(dir)) / name;
      if (IsExecutableFile(candidate)) return candidate.string();
    }
    if (colon == std::string_view::npos) return {};
    rest.remove_prefix(colon + 1);
  }
}

// The Linux builds of the game ship these beside (or instead of) the Windows programs.
std::vector<std::string> NativeAlternatives(const fs::path& program) {
  const std::string name = install::Folded(program.filename().string());
  if (name == "hlds.exe") return {"hlds_run", "hlds_linux"};
  if (name == "hl.exe") return {"hl.sh", "hl_linux"};
  return {};
}

// What the started side sends back through the pipe when it cannot go on.
struct ChildFailure {
  int stage;  // 1 fork, 2 working directory, 3 exec
  int error;
};

void Report(int fd, int stage, int error) {
  const ChildFailure failure{stage, error};
  [[maybe_unused]] const ssize_t n = ::write(fd, &failure, sizeof failure);
}

// The forked side of a start. A new session makes the game its own process
// group, and the second fork hands it to init so it never becomes our zombie.
// The group keeps this process's id, which the start gives back to stop the
// game by. Only async-signal-safe calls from here on.
[[noreturn]] void RunGame(int reportFd, int devNull, const char* directory, char* const* argv) {
  ::setsid();
  const pid_t game = ::fork();
  if (game < 0) {
    Report(reportFd, 1, errno);
    ::_exit(127);
  }
  if (game > 0) ::_exit(0);

  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  for (const int sig : {SIGPIPE, SIGTERM, SIGINT, SIGHUP, SIGCHLD}) ::signal(sig, SIG_DFL);
  if (::chdir(directory) != 0) {
    Report(reportFd, 2, errno);
    ::_exit(127);
  }
  if (devNull >= 0) ::dup2(devNull, STDIN_FILENO);
  ::execv(argv[0], argv);
  Report(reportFd, 3, errno);
  ::_exit(127);
}

// Waits for the go-between to hand the game on; the pipe closes unread when
// the exec went well, else it carries where the start failed.
std::optional<ChildFailure> AwaitStart(pid_t middle, int readFd) {
  int status = 0;
  while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
  }
  ChildFailure failure{0, 0};
  ssize_t got = 0;
  do {
    got = ::read(readFd, &failure, sizeof failure);
  } while (got < 0 && errno == EINTR);
  ::close(readFd);
  if (got == static_cast<ssize_t>(sizeof failure)) return failure;
  return std::nullopt;
}

// "<what> <program> <words…> in <directory><outcome>". The words are the
// launch request's, which never carry the console password.
void LogStart(const char* what, const std::vector<std::string>& argv, const std::string& directory,
              const std::string& outcome) {
  Log(LogTopic::Launch, [&] {
    std::string line = what;
    for (const std::string& word : argv) line += word.find(' ') == std::string::npos ? ' ' + word : " \"" + word + '"';
    return line + " in " + directory + outcome;
  });
}

launch::StartResult Failed(const std::vector<std::string>& argv, const std::string& directory, std::string reason) {
  LogStart("could not start", argv, directory, ": " + reason);
  return launch::StartResult::Failure(std::move(reason));
}

}  // namespace

GameProgram ChooseGameProgram(const fs::path& file, const std::string& wine) {
  const bool present = IsRegularFile(file);
  const bool windows = present && IsWindowsProgram(file);
  if (windows) {
    const std::string winePath = FindOnPath(wine);
    if (!winePath.empty()) return {{winePath, file.string()}, {}};
  } else if (present && ::access(file.c_str(), X_OK) == 0) {
    return {{file.string()}, {}};
  }
  for (const std::string& alt : NativeAlternatives(file)) {
    const fs::path candidate = file.parent_path() / alt;
    if (IsExecutableFile(candidate)) return {{candidate.string()}, {}};
  }
  if (!present) return {{}, std::strerror(ENOENT)};
  if (windows) return {{}, "it is a Windows program and wine is not installed"};
  return {{}, std::strerror(EACCES)};
}

NativeProcessStarter::NativeProcessStarter(std::string wine) : m_wine(std::move(wine)) {}

launch::StartResult NativeProcessStarter::Start(const launch::LaunchRequest& request) {
  const fs::path file = ResolvePath(request.file);
  GameProgram program = ChooseGameProgram(file, m_wine);
  const std::vector<std::string> words = SplitParameters(AnsiToUtf8(request.parameters));
  const std::string directory = request.directory.empty() ? std::string(".") : ResolvePath(request.directory).string();
  if (program.argv.empty()) {
    std::vector<std::string> asked{file.string()};
    asked.insert(asked.end(), words.begin(), words.end());
    return Failed(asked, directory, program.error);
  }
  program.argv.insert(program.argv.end(), words.begin(), words.end());

  // Everything the child touches is made before fork: only async-signal-safe
  // calls may run between fork and exec in a program with threads.
  std::vector<char*> argv;
  for (std::string& word : program.argv) argv.push_back(word.data());
  argv.push_back(nullptr);

  const int devNull = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
    const int err = errno;
    if (devNull >= 0) ::close(devNull);
    return Failed(program.argv, directory, std::strerror(err));
  }

  const pid_t middle = ::fork();
  if (middle < 0) {
    const int err = errno;
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    if (devNull >= 0) ::close(devNull);
    return Failed(program.argv, directory, std::strerror(err));
  }
  if (middle == 0) RunGame(pipeFds[1], devNull, directory.c_str(), argv.data());

  ::close(pipeFds[1]);
  if (devNull >= 0) ::close(devNull);
  const std::optional<ChildFailure> failure = AwaitStart(middle, pipeFds[0]);
  if (failure) {
    std::string reason = std::strerror(failure->error);
    if (failure->stage == 2) reason = "working directory " + directory + ": " + reason;
    return Failed(program.argv, directory, reason);
  }
  // The go-between led the new session and group, so the group carries its
  // id; the number stays taken while any of the game's processes is in it.
  LogStart("started", program.argv, directory, " as process group " + std::to_string(middle));
  return launch::StartResult::Success(-static_cast<long long>(middle));
}

void NativeProcessStarter::SetCurrentDirectory(const std::string& directory) {
  // The game reads nothing through our current directory; a failure here
  // changes nothing the user could notice, so it is not reported.
  [[maybe_unused]] const int rc = ::chdir(ResolvePath(directory).c_str());
}

launch::StartResult NativeProcessStarter::OpenLink(const std::string& url) {
  // fromUserInput gives "host/page" without a scheme its web scheme.
  const QUrl link = QUrl::fromUserInput(QString::fromStdString(AnsiToUtf8(url)));
  if (!link.isValid()) return launch::StartResult::Failure(link.errorString().toStdString());
  if (!QDesktopServices::openUrl(link)) {
    return launch::StartResult::Failure("no program opens " + link.toString().toStdString());
  }
  return {};
}

}  // namespace quorvane::platform

#include "platform/logging.h"
#include "platform/process_starter.h"
#include "platform/supervised_start.h"
#include "platform/win32_api.h"
// After windows.h, which it needs.
#include <shellapi.h>

namespace quorvane::platform {

struct SupervisedStarter::State {
  HANDLE process = nullptr;
  long long pid = 0;
  bool ended = false;
  ChildExit exit;
};

namespace {

const char* OrNull(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

void Close(HANDLE& handle) {
  if (handle != nullptr) CloseHandle(handle);
  handle = nullptr;
}

}  // namespace

SupervisedStarter::SupervisedStarter(std::string wine) : m_state(std::make_unique<State>()), m_wine(std::move(wine)) {}

SupervisedStarter::~SupervisedStarter() { Close(m_state->process); }

launch::StartResult SupervisedStarter::Start(const launch::LaunchRequest& request) {
  if (Running()) return launch::StartResult::Failure("the server started last still runs");
  Close(m_state->process);
  *m_state = State();
  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = OrNull(request.verb);
  info.lpFile = request.file.c_str();
  info.lpParameters = OrNull(request.parameters);
  info.lpDirectory = OrNull(request.directory);
  info.nShow = request.showCommand;
  // A crash of the server ends it instead of opening a box nobody answers;
  // the child inherits the mode it starts with.
  const UINT previous = SetErrorMode(SEM_NOGPFAULTERRORBOX | SEM_FAILCRITICALERRORS);
  const BOOL done = ShellExecuteExA(&info);
  const DWORD error = GetLastError();
  SetErrorMode(previous);
  if (!done || info.hProcess == nullptr) {
    const std::string reason = done ? std::string("the shell gave no process") : SystemMessage(error);
    Log(LogTopic::Launch, [&] { return "could not start " + request.file + " supervised: " + reason; });
    return launch::StartResult::Failure(reason);
  }
  m_state->process = info.hProcess;
  m_state->pid = static_cast<long long>(GetProcessId(info.hProcess));
  Log(LogTopic::Launch, [&] {
    return "started " + request.file + " " + request.parameters + " in " + request.directory +
           " as supervised process " + std::to_string(m_state->pid);
  });
  return launch::StartResult::Success(m_state->pid);
}

void SupervisedStarter::SetCurrentDirectory(const std::string& directory) { SetCurrentDirectoryA(directory.c_str()); }

launch::StartResult SupervisedStarter::OpenLink(const std::string& url) {
  return launch::StartResult::Failure("the supervised start opens no link (" + url + ")");
}

std::optional<ChildExit> SupervisedStarter::TryWait() {
  if (m_state->process == nullptr && !m_state->ended) return std::nullopt;
  if (!m_state->ended) {
    if (WaitForSingleObject(m_state->process, 0) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(m_state->process, &code);
    // An exception's code (0xC0000005 and the like) is how Windows says a crash.
    m_state->exit = ChildExit{true, static_cast<int>(code)};
    m_state->ended = true;
  }
  return m_state->exit;
}

void SupervisedStarter::Stop() {
  // Windows has no polite end for a console program it did not start with a
  // console of ours: Stop ends it as the Stop button does.
  Kill();
}

void SupervisedStarter::Kill() {
  if (!Running()) return;
  Log(LogTopic::Stop, [&] { return "TerminateProcess on supervised process " + std::to_string(m_state->pid); });
  TerminateProcess(m_state->process, 1);
}

long long SupervisedStarter::ProcessId() const { return m_state->pid; }

bool SupervisedStarter::Running() const {
  return m_state->process != nullptr && !m_state->ended && WaitForSingleObject(m_state->process, 0) != WAIT_OBJECT_0;
}

}  // namespace quorvane::platform

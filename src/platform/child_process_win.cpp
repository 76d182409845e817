#include "platform/child_process.h"

#include <algorithm>

#include "platform/win32_api.h"

namespace quorvane::platform {

struct ChildProcess::State {
  HANDLE process = nullptr;
  HANDLE job = nullptr;  // holds the child and everything it starts
  HANDLE output = nullptr;
  DWORD pid = 0;
  bool reaped = false;
  bool terminated = false;
  ChildExit exit;
};

namespace {

void CloseOne(HANDLE& h) {
  if (h != nullptr && h != INVALID_HANDLE_VALUE) CloseHandle(h);
  h = nullptr;
}

// One argument as the C runtime's parser reads it back: quoted when it has
// blanks or quotes, backslashes doubled only before a quote.
void AppendQuoted(std::string& line, const std::string& word) {
  if (!line.empty()) line += ' ';
  if (!word.empty() && word.find_first_of(" \t\"") == std::string::npos) {
    line += word;
    return;
  }
  line += '"';
  std::size_t backslashes = 0;
  for (const char c : word) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    line.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    line += c;
  }
  line.append(backslashes * 2, '\\');
  line += '"';
}

install::IoResult Failed(const std::string& what) {
  return install::IoResult::Failure(what + ": " + LastErrorMessage());
}

}  // namespace

ChildProcess::ChildProcess() : m_state(std::make_unique<State>()) {}

ChildProcess::~ChildProcess() {
  if (Running()) Cancel(1000);
  CloseOne(m_state->output);
  CloseOne(m_state->process);
  CloseOne(m_state->job);
}

install::IoResult ChildProcess::Start(const std::string& program, const std::vector<std::string>& arguments,
                                      const std::string& directory) {
  if (Running()) return install::IoResult::Failure("a program is already running");
  CloseOne(m_state->output);
  CloseOne(m_state->process);
  CloseOne(m_state->job);
  *m_state = State();

  std::string commandLine;
  AppendQuoted(commandLine, program);
  for (const std::string& argument : arguments) AppendQuoted(commandLine, argument);
  const std::wstring wideProgram = WideFromUtf8(program);
  std::wstring wideLine = WideFromUtf8(commandLine);
  const std::wstring wideDirectory = WideFromUtf8(directory);

  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return Failed("Cannot make a pipe");
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  HANDLE nul =
      CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nul;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  PROCESS_INFORMATION info{};
  // Suspended until it is in the job, so nothing it starts escapes.
  const DWORD flags = CREATE_NEW_PROCESS_GROUP | CREATE_NO_WINDOW | CREATE_SUSPENDED;
  const BOOL started = CreateProcessW(wideProgram.c_str(), wideLine.data(), nullptr, nullptr, TRUE, flags, nullptr,
                                      directory.empty() ? nullptr : wideDirectory.c_str(), &startup, &info);
  const install::IoResult failure = started ? install::IoResult::Success() : Failed("Cannot start " + program);
  CloseOne(writeEnd);
  CloseOne(nul);
  if (!started) {
    CloseOne(readEnd);
    return failure;
  }
  m_state->job = CreateJobObjectA(nullptr, nullptr);
  if (m_state->job != nullptr) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(m_state->job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    // Older systems refuse a second job; the process itself can still be ended.
    if (!AssignProcessToJobObject(m_state->job, info.hProcess)) CloseOne(m_state->job);
  }
  ResumeThread(info.hThread);
  CloseHandle(info.hThread);
  m_state->process = info.hProcess;
  m_state->pid = info.dwProcessId;
  m_state->output = readEnd;
  return install::IoResult::Success();
}

ChildProcess::ReadStatus ChildProcess::Read(std::string& output, int waitMs) {
  if (m_state->output == nullptr) return ReadStatus::Closed;
  // An anonymous pipe cannot be waited on; look, and look again a little later.
  constexpr int kStepMs = 10;
  for (int waited = 0;; waited += kStepMs) {
    DWORD available = 0;
    if (!PeekNamedPipe(m_state->output, nullptr, 0, nullptr, &available, nullptr)) {
      CloseOne(m_state->output);
      return ReadStatus::Closed;
    }
    if (available > 0) break;
    if (waited >= waitMs) return ReadStatus::Nothing;
    Sleep(kStepMs);
  }
  // Bounded in bytes and time, so a program that floods its output cannot hold the caller.
  const ULONGLONG deadline = GetTickCount64() + kReadLimitMs;
  std::size_t taken = 0;
  char buffer[65536];
  DWORD available = 0;
  while (taken < kReadLimitBytes && GetTickCount64() < deadline &&
         PeekNamedPipe(m_state->output, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
    DWORD n = 0;
    const std::size_t want = std::min<std::size_t>({available, sizeof buffer, kReadLimitBytes - taken});
    if (!ReadFile(m_state->output, buffer, static_cast<DWORD>(want), &n, nullptr) || n == 0) break;
    output.append(buffer, n);
    taken += n;
  }
  return taken > 0 ? ReadStatus::Data : ReadStatus::Nothing;
}

bool ChildProcess::TryWait(ChildExit& exit) {
  if (m_state->process == nullptr) return false;
  if (!m_state->reaped) {
    if (WaitForSingleObject(m_state->process, 0) != WAIT_OBJECT_0) return false;
    DWORD code = 0;
    GetExitCodeProcess(m_state->process, &code);
    m_state->reaped = true;
    m_state->exit = {!m_state->terminated, static_cast<int>(code)};
  }
  exit = m_state->exit;
  return true;
}

ChildExit ChildProcess::Wait() {
  if (m_state->process == nullptr) return {};
  WaitForSingleObject(m_state->process, INFINITE);
  ChildExit exit;
  [[maybe_unused]] const bool ended = TryWait(exit);
  return exit;
}

void ChildProcess::Cancel(int graceMs) {
  if (!Running()) return;
  // The break reaches the group only when it shares our console; then wait a little for it.
  if (GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, m_state->pid)) {
    WaitForSingleObject(m_state->process, static_cast<DWORD>(graceMs));
  }
  m_state->terminated = WaitForSingleObject(m_state->process, 0) != WAIT_OBJECT_0;
  if (m_state->job != nullptr) {
    TerminateJobObject(m_state->job, 1);
  } else {
    TerminateProcess(m_state->process, 1);
  }
  Wait();
}

bool ChildProcess::Running() const { return m_state->process != nullptr && !m_state->reaped; }

std::intptr_t ChildProcess::OutputHandle() const { return reinterpret_cast<std::intptr_t>(m_state->output); }

long long ChildProcess::ProcessId() const { return m_state->pid; }

}  // namespace quorvane::platform

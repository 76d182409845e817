#include <cstdlib>
#include <string>
#include <system_error>

#include "platform/supervisor_lock.h"
#include "platform/win32_api.h"
#include "supervise/lock_key.h"

namespace quorvane::platform {

namespace fs = std::filesystem;

namespace {

// The lock covers a byte far past the process id, so others can still read it.
constexpr DWORD kLockOffsetHigh = 1;

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

fs::path SupervisorLockDir() {
  const wchar_t* local = _wgetenv(L"LOCALAPPDATA");
  return fs::path(local != nullptr ? std::wstring(local) : std::wstring(L"C:\\")) / L"Quorvane";
}

SupervisorLock::SupervisorLock(fs::path directory) : m_directory(std::move(directory)) {}

SupervisorLock::~SupervisorLock() { Release(); }

LockOutcome SupervisorLock::Take(const std::string& serverFolder) {
  Release();
  const fs::path file = m_directory / supervise::LockFileName(serverFolder);
  std::error_code ec;
  fs::create_directories(m_directory, ec);
  const std::string shown = Utf8FromWide(file.wstring());
  HANDLE handle = CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return {false, 0, shown + ": " + LastErrorMessage()};
  OVERLAPPED at{};
  at.OffsetHigh = kLockOffsetHigh;
  if (!LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
    const DWORD error = GetLastError();
    char text[32] = {};
    DWORD got = 0;
    const BOOL read = ReadFile(handle, text, sizeof text - 1, &got, nullptr);
    CloseHandle(handle);
    if (error != ERROR_LOCK_VIOLATION) return {false, 0, shown + ": " + SystemMessage(error)};
    return {false, read && got > 0 ? std::atoll(text) : 0, {}};
  }
  const std::string pid = std::to_string(GetCurrentProcessId()) + "\r\n";
  DWORD wrote = 0;
  if (SetFilePointer(handle, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER || !SetEndOfFile(handle) ||
      !WriteFile(handle, pid.data(), static_cast<DWORD>(pid.size()), &wrote, nullptr) || wrote != pid.size()) {
    const std::string reason = LastErrorMessage();
    CloseHandle(handle);
    return {false, 0, shown + ": " + reason};
  }
  m_handle = reinterpret_cast<std::intptr_t>(handle);
  return {true, 0, {}};
}

void SupervisorLock::Release() {
  if (m_handle != -1) CloseHandle(AsHandle(m_handle));
  m_handle = -1;
}

bool SupervisorLock::Held() const { return m_handle != -1; }

}  // namespace quorvane::platform

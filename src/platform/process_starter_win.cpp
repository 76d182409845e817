#include "platform/process_starter.h"

#include <string_view>

#include "install/text_case.h"
#include "platform/logging.h"
#include "platform/win32_api.h"
// After windows.h, which it needs.
#include <shellapi.h>

namespace quorvane::platform {
namespace {

const char* OrNull(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

// ShellExecuteA answers with a small number and usually sets the last error;
// the SE_ERR_ codes above 25 have no system message of their own.
std::string ShellFailure(INT_PTR code) {
  const DWORD last = GetLastError();
  if (last != 0) return SystemMessage(last);
  switch (code) {
    case SE_ERR_SHARE:
      return "A sharing violation occurred.";
    case SE_ERR_ASSOCINCOMPLETE:
    case SE_ERR_NOASSOC:
      return "No program is associated with this kind of file.";
    case SE_ERR_DDETIMEOUT:
    case SE_ERR_DDEFAIL:
    case SE_ERR_DDEBUSY:
      return "The program did not answer the request.";
    case SE_ERR_DLLNOTFOUND:
      return "A library the program needs was not found.";
    case 0:
      return "The system is out of memory or resources.";
    default:
      return SystemMessage(static_cast<DWORD>(code));
  }
}

launch::StartResult Shell(const char* verb, const std::string& file, const char* parameters, const char* directory,
                          int show) {
  SetLastError(0);
  const HINSTANCE result = ShellExecuteA(nullptr, verb, file.c_str(), parameters, directory, show);
  const INT_PTR code = reinterpret_cast<INT_PTR>(result);
  if (code > 32) return {};
  return launch::StartResult::Failure(ShellFailure(code));
}

bool IsMailLink(const std::string& url) {
  constexpr std::string_view kScheme = "mailto:";
  return install::EqualNoCase(std::string_view(url).substr(0, kScheme.size()), kScheme);
}

// A command line run as its own hidden process, not waited for.
launch::StartResult RunHidden(std::string commandLine) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return launch::StartResult::Failure(LastErrorMessage());
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return {};
}

}  // namespace

// Windows starts its own programs; no loader is needed in between.
NativeProcessStarter::NativeProcessStarter(std::string wine) : m_wine(std::move(wine)) {}

launch::StartResult NativeProcessStarter::Start(const launch::LaunchRequest& request) {
  launch::StartResult started = Shell(OrNull(request.verb), request.file, OrNull(request.parameters),
                                      OrNull(request.directory), request.showCommand);
  // The words are the launch request's, which never carry the console password.
  Log(LogTopic::Launch, [&] {
    const bool blank = request.file.find(' ') != std::string::npos;
    std::string line = started.ok ? "started " : "could not start ";
    line += blank ? '"' + request.file + '"' : request.file;
    for (const std::string& word : SplitParameters(request.parameters)) line += ' ' + word;
    line += " in " + request.directory;
    return line + (started.ok ? " through the shell, which tells no process id" : ": " + started.reason);
  });
  return started;
}

void NativeProcessStarter::SetCurrentDirectory(const std::string& directory) {
  // The started game gets its working directory from the shell call; a
  // failure here changes nothing the user could notice.
  SetCurrentDirectoryA(directory.c_str());
}

launch::StartResult NativeProcessStarter::OpenLink(const std::string& url) {
  if (IsMailLink(url)) return Shell(nullptr, url, nullptr, "C:\\", SW_HIDE);
  launch::StartResult started = RunHidden("Start.exe " + url);
  if (started.ok) return started;
  // Current Windows has no Start.exe; the shell opens the page in the default browser instead.
  const launch::StartResult opened = Shell("open", "http://" + url, nullptr, nullptr, SW_SHOWNORMAL);
  return opened.ok ? opened : started;
}

}  // namespace quorvane::platform

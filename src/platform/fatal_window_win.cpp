#include <cstring>

#include "platform/fatal_window.h"
#include "platform/win32_api.h"

namespace quorvane::platform {

namespace {

struct Search {
  DWORD processId = 0;
  HWND found = nullptr;
};

BOOL CALLBACK FindFatalWindow(HWND window, LPARAM data) {
  Search& search = *reinterpret_cast<Search*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search.processId) return TRUE;
  char title[64] = {};
  GetWindowTextA(window, title, sizeof title);
  if (std::strcmp(title, kFatalWindowTitle) != 0) return TRUE;
  search.found = window;
  return FALSE;
}

// The box's message is in its static controls; its buttons say nothing worth keeping.
BOOL CALLBACK CollectStaticText(HWND child, LPARAM data) {
  std::string& text = *reinterpret_cast<std::string*>(data);
  char kind[16] = {};
  GetClassNameA(child, kind, sizeof kind);
  if (_stricmp(kind, "Static") != 0) return TRUE;
  char line[1024] = {};
  const int length = GetWindowTextA(child, line, sizeof line);
  if (length <= 0) return TRUE;
  if (!text.empty()) text += '\n';
  text.append(line, static_cast<std::size_t>(length));
  return TRUE;
}

}  // namespace

std::optional<std::string> FatalErrorWindowText(long long processId) {
  Search search{static_cast<DWORD>(processId), nullptr};
  EnumWindows(FindFatalWindow, reinterpret_cast<LPARAM>(&search));
  if (search.found == nullptr) return std::nullopt;
  std::string text;
  EnumChildWindows(search.found, CollectStaticText, reinterpret_cast<LPARAM>(&text));
  return text;
}

}  // namespace quorvane::platform

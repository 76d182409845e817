// The Windows side of the stand-in: a top-level window titled like the real
// server's, so the stop finds it the way it finds the game.
#ifndef NOMINMAX
#define NOMINMAX
#endif
// winsock2.h must come before windows.h, which would bring the old winsock.h.
#include <winsock2.h>

#include <windows.h>

#include <cstdlib>
#include <string>

#include "standin_os.h"

namespace quorvane::standin {
namespace {

constexpr const char* kWindowTitle = "HLDS";
constexpr const char* kWindowClass = "QuorvaneStandInServer";

bool g_ignoreClose = false;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      if (!g_ignoreClose) DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

HWND MakeServerWindow() {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kWindowClass;
  RegisterClassA(&windowClass);
  // Not shown: the system finds hidden top-level windows by title as well.
  return CreateWindowExA(0, kWindowClass, kWindowTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 320, 200,
                         nullptr, nullptr, windowClass.hInstance, nullptr);
}

// Made before main() runs, so once the record is on disk the window can be found.
const HWND g_window = MakeServerWindow();

}  // namespace

long long ProcessId() { return static_cast<long long>(GetCurrentProcessId()); }

// The child is a second stand-in with its own record beside ours (".child"),
// which starts no child of its own.
long long StartChild(std::string& error) {
  char self[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) {
    error = "cannot find the stand-in's own program";
    return 0;
  }
  const char* record = std::getenv("QUORVANE_STANDIN_RECORD");
  std::string childRecord = (record != nullptr && *record != '\0') ? record : "standin-record.txt";
  childRecord += ".child";
  SetEnvironmentVariableA("QUORVANE_STANDIN_CHILD", "0");
  SetEnvironmentVariableA("QUORVANE_STANDIN_RECORD", childRecord.c_str());
  std::string commandLine = std::string("\"") + self + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const BOOL started =
      CreateProcessA(self, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
  const DWORD failure = GetLastError();
  SetEnvironmentVariableA("QUORVANE_STANDIN_CHILD", "1");
  SetEnvironmentVariableA("QUORVANE_STANDIN_RECORD", record);
  if (!started) {
    error = "CreateProcess failed with error " + std::to_string(failure);
    return 0;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<long long>(process.dwProcessId);
}

// The polite end request on Windows is the close message to the window.
void IgnoreEndRequest() { g_ignoreClose = true; }

void WaitUntilEnded() {
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  // Closed (or the window never came): end as the server does when asked.
  std::exit(g_window != nullptr ? 0 : 3);
}

}  // namespace quorvane::standin

namespace quorvane::standin {
namespace {

SOCKET g_socket = INVALID_SOCKET;
void (*g_serve)() = nullptr;

DWORD WINAPI ServeThread(LPVOID) {
  for (;;) g_serve();
}

}  // namespace

bool OpenUdp(unsigned short port, std::string& error) {
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
    error = "WSAStartup failed";
    return false;
  }
  g_socket = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (g_socket == INVALID_SOCKET ||
      bind(g_socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == SOCKET_ERROR) {
    error = "socket error " + std::to_string(WSAGetLastError());
    if (g_socket != INVALID_SOCKET) closesocket(g_socket);
    g_socket = INVALID_SOCKET;
    return false;
  }
  return true;
}

bool ReceiveUdp(int timeoutMs, std::string& bytes, UdpAddress& from) {
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(g_socket, &readable);
  timeval wait{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
  if (select(0, &readable, nullptr, nullptr, &wait) <= 0) return false;
  char buffer[65536];
  sockaddr_in sender{};
  int length = sizeof sender;
  const int n = recvfrom(g_socket, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&sender), &length);
  if (n < 0) return false;
  bytes.assign(buffer, static_cast<std::size_t>(n));
  from = {ntohl(sender.sin_addr.s_addr), ntohs(sender.sin_port)};
  return true;
}

void SendUdp(const UdpAddress& to, const std::string& bytes) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(to.port);
  address.sin_addr.s_addr = htonl(static_cast<u_long>(to.ip));
  sendto(g_socket, bytes.data(), static_cast<int>(bytes.size()), 0, reinterpret_cast<sockaddr*>(&address),
         sizeof address);
}

long long NowMs() { return static_cast<long long>(GetTickCount64()); }

char EnvironmentLetter() { return 'w'; }

// The window's messages keep the main thread; the datagrams get their own.
void ServeUntilEnded(void (*serve)()) {
  g_serve = serve;
  CreateThread(nullptr, 0, ServeThread, nullptr, 0, nullptr);
  WaitUntilEnded();
}

}  // namespace quorvane::standin

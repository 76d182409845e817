#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "standin_os.h"

namespace quorvane::standin {

long long ProcessId() { return static_cast<long long>(getpid()); }

long long StartChild(std::string& error) {
  const pid_t pid = fork();
  if (pid < 0) {
    error = std::strerror(errno);
    return 0;
  }
  if (pid == 0) {
    for (;;) pause();
  }
  return static_cast<long long>(pid);
}

void IgnoreEndRequest() { signal(SIGTERM, SIG_IGN); }

void WaitUntilEnded() {
  for (;;) pause();
}

namespace {
int g_socket = -1;
}

bool OpenUdp(unsigned short port, std::string& error) {
  g_socket = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (g_socket < 0 || bind(g_socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    error = std::strerror(errno);
    if (g_socket >= 0) close(g_socket);
    g_socket = -1;
    return false;
  }
  return true;
}

bool ReceiveUdp(int timeoutMs, std::string& bytes, UdpAddress& from) {
  pollfd p{g_socket, POLLIN, 0};
  if (poll(&p, 1, timeoutMs) <= 0) return false;
  char buffer[65536];
  sockaddr_in sender{};
  socklen_t length = sizeof sender;
  const ssize_t n = recvfrom(g_socket, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&sender), &length);
  if (n < 0) return false;
  bytes.assign(buffer, static_cast<std::size_t>(n));
  from = {ntohl(sender.sin_addr.s_addr), ntohs(sender.sin_port)};
  return true;
}

void SendUdp(const UdpAddress& to, const std::string& bytes) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(to.port);
  address.sin_addr.s_addr = htonl(static_cast<in_addr_t>(to.ip));
  sendto(g_socket, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&address), sizeof address);
}

long long NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

char EnvironmentLetter() { return 'l'; }

// The end request stays the default signal action, which ends the loop with the process.
void ServeUntilEnded(void (*serve)()) {
  for (;;) serve();
}

}  // namespace quorvane::standin

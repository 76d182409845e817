#pragma once
// What the stand-in server needs from the system it runs on.
#include <string>

namespace quorvane::standin {

long long ProcessId();
// Starts one child that stays in the stand-in's process group until ended;
// returns its id, or 0 with `error` set.
long long StartChild(std::string& error);
// Makes the process deaf to the polite end request, as the real server sometimes is.
void IgnoreEndRequest();
// Blocks until the process is ended from outside.
[[noreturn]] void WaitUntilEnded();

// The UDP side: one socket bound to 127.0.0.1 and nothing else.
struct UdpAddress {
  unsigned long ip = 0;  // host order
  unsigned short port = 0;
  bool operator==(const UdpAddress&) const = default;
};
bool OpenUdp(unsigned short port, std::string& error);
// Waits up to `timeoutMs` for one datagram; false when none came.
bool ReceiveUdp(int timeoutMs, std::string& bytes, UdpAddress& from);
void SendUdp(const UdpAddress& to, const std::string& bytes);
long long NowMs();
// 'l' on Linux, 'w' on Windows, as the info reply says.
char EnvironmentLetter();
// Runs `serve` for ever beside the wait to be ended.
[[noreturn]] void ServeUntilEnded(void (*serve)());

}  // namespace quorvane::standin

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

}  // namespace quorvane::standin

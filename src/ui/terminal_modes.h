#pragma once
// The monitor from a terminal: --query and --rcon, run on a QCoreApplication's
// event loop with no window, sound or start-up sequence.
#include <cstdio>
#include <string>

#include "monitor/server_links.h"

namespace quorvane::ui {

// Exit statuses: 0 answered, 1 not answered or refused, 2 bad usage.
inline constexpr int kTerminalAnswered = 0;
inline constexpr int kTerminalNoAnswer = 1;
inline constexpr int kTerminalBadUsage = 2;
// How many info requests go unanswered before --query gives up.
inline constexpr int kQueryTries = 3;

// Prints the server's info and players, as text or JSON.
int RunQuery(const monitor::ServerLinks& links, const std::string& server, bool json, std::FILE* out, std::FILE* err);
// Runs one console command with `password` (from the environment, never the
// command line) and prints the whole answer.
int RunRcon(const monitor::ServerLinks& links, const std::string& server, const std::string& command,
            const char* password, std::FILE* out, std::FILE* err);

}  // namespace quorvane::ui

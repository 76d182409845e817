#pragma once
// The stand-in's game-server side over UDP on 127.0.0.1: the query (info,
// players, rules, with or without a challenge, split when asked), the remote
// console and log lines sent to the addresses the console adds.
#include <string>
#include <vector>

namespace quorvane::standin {

// Reads the port, map and player limit from the launch line and the console
// password and host name from tfc/server.cfg in the working directory; opens
// the socket. False (with the reason) when it cannot.
bool StartServer(const std::vector<std::string>& args, std::string& error);
// One turn: answers what came in within a short wait and sends due log lines.
void ServeOnce();
// Sends one line to the log addresses the console added.
void LogLine(const std::string& message);

}  // namespace quorvane::standin

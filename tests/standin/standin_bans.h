#pragma once
// The stand-in server's ban commands, kept as the engine keeps them: a SteamID
// list and an address list in memory only (a restart forgets every ban),
// `writeid`/`writeip` writing the permanent ones to tfc/banned.cfg and
// tfc/listip.cfg, and `exec` running a file of tfc/ line by line.
#include <functional>
#include <optional>
#include <string>

namespace quorvane::standin {

struct BanHooks {
  std::function<std::string(const std::string&)> run;  // runs one command of an exec'd file, gives its answer
  std::function<std::string(int)> steamIdOfUser;       // the SteamID of user id N, empty when nobody has it
  std::function<void(const std::string&)> kick;        // kicks whoever plays with this SteamID
  std::function<void(const std::string&)> log;         // a log line
};

// The answer to `command` with its arguments `rest`; none when it is no ban command.
std::optional<std::string> BanCommand(const std::string& command, const std::string& rest, const BanHooks& hooks);

}  // namespace quorvane::standin

#pragma once
// Bans from a terminal: `--ban`, `--unban` and `--bans`, on a QCoreApplication's
// event loop with no window. The ban is kept in the store first; the running
// server gets it through its console, or when it next comes up.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "install/file_system.h"
#include "monitor/server_links.h"

namespace quorvane::ui {

struct BanCommand {
  enum class Kind { Ban, Unban, List } kind = Kind::List;
  std::string target{};  // checked by the command line already
  std::string reason{};
  std::optional<std::chrono::minutes> length{};  // none: permanent
  bool json = false;
};

struct BanPlace {
  std::optional<std::filesystem::path> storeFile;  // none: this system has no place for it
  install::FileSystem* fs = nullptr;               // the server's ban files, imported at first use
  std::string gameDir;                             // the stored location; empty when none
  std::string host = "127.0.0.1";
  std::uint16_t port = 0;
};

// Exit statuses as --rcon's: 0 done (kept, and sent or to be sent when the
// server comes up), 1 the store or the server refused, 2 bad usage.
int RunBanCommand(const monitor::ServerLinks& links, const BanCommand& command, const BanPlace& place,
                  const char* password, std::FILE* out, std::FILE* err);

}  // namespace quorvane::ui

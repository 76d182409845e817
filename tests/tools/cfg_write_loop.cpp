// Writes the server files, the map cycle, the message and the settings file
// again and again through the program's own writers, each time with a new
// run number, until something kills it. After every complete file write it
// puts one byte on stdout, so a test can time its kill against the writer's
// progress.
// Usage: quorvane_cfg_write_loop GAMEDIR
#include <unistd.h>

#include <cstdio>
#include <string>

#include "config/cfg_writer.h"
#include "config/field_values.h"
#include "config/resets.h"
#include "platform/file_system.h"
#include "tools/write_loop_files.h"

namespace {

bool Progress() { return ::write(STDOUT_FILENO, "w", 1) == 1; }

}  // namespace

int main(int argc, char* argv[]) {
  using namespace quorvane;
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s GAMEDIR\n", argv[0]);
    return 2;
  }
  const std::string gameDir = argv[1];
  config::FieldValues fields;
  config::ApplyServerDefaults(fields);
  fields.SetText("port", "27016");
  platform::NativeFileSystem files;
  for (unsigned long run = 1;; ++run) {
    fields.SetText("hostname", "run " + std::to_string(run));
    const config::WriteResult r = config::WriteServerCfg(files, gameDir, fields);
    if (!r) {
      std::fprintf(stderr, "%s: %s\n", r.file.c_str(), r.reason.c_str());
      return 1;
    }
    if (!Progress()) return 1;
    for (const test_support::LoopFile file : test_support::kLoopFiles) {
      const install::IoResult written = test_support::WriteLoopFile(files, gameDir, file, run);
      if (!written) {
        std::fprintf(stderr, "%s: %s\n", test_support::LoopFilePath(gameDir, file).c_str(), written.reason.c_str());
        return 1;
      }
      if (!Progress()) return 1;
    }
  }
}

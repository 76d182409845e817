// Writes the server files again and again through the program's own writer,
// each time with a new hostname, until something kills it. After every
// complete write it puts one byte on stdout, so a test can time its kill
// against the writer's progress.
// Usage: quorvane_cfg_write_loop GAMEDIR
#include <unistd.h>

#include <cstdio>
#include <string>

#include "config/cfg_writer.h"
#include "config/field_store.h"
#include "config/resets.h"
#include "platform/file_system.h"

int main(int argc, char* argv[]) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s GAMEDIR\n", argv[0]);
    return 2;
  }
  const std::string gameDir = argv[1];
  quorvane::config::MemoryFieldStore fields;
  quorvane::config::ApplyServerDefaults(fields);
  fields.SetText("port", "27016");
  quorvane::platform::NativeFileSystem files;
  for (unsigned long run = 1;; ++run) {
    fields.SetText("hostname", "run " + std::to_string(run));
    const quorvane::config::WriteResult r = quorvane::config::WriteServerCfg(files, gameDir, fields);
    if (!r) {
      std::fprintf(stderr, "%s: %s\n", r.file.c_str(), r.reason.c_str());
      return 1;
    }
    if (::write(STDOUT_FILENO, "w", 1) != 1) return 1;
  }
}

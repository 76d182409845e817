#pragma once
// Writers of server.cfg, listenserver.cfg and autoexec.cfg, and the basic
// files the workspace load writes when a configuration file is missing.
#include <string>
#include <vector>

#include "config/field_store.h"
#include "install/file_system.h"

namespace quorvane::config {

// Outcome of a write: which file failed and the OS's reason.
struct [[nodiscard]] WriteResult {
  bool ok = true;
  std::string file;    // the path text of the file that failed
  std::string reason;  // the OS's message
  explicit operator bool() const { return ok; }
};

// The bytes of each file as it would be written now (CR LF line ends).
std::string ServerCfgText(const FieldStore& fields);
std::string ListenServerCfgText(const FieldStore& fields);
std::string AutoexecCfgText(const FieldStore& fields);  // gl_texturemode as the field holds it
std::string BasicServerCfgText(const FieldStore& fields);
std::string BasicAutoexecCfgText(const FieldStore& fields);

struct [[nodiscard]] BackupOutcome {
  install::IoResult result;  // why the old backup could not be deleted or the rename failed
  bool renamed = false;      // cfgPath now stands as bakPath
};

// Deletes bakPath when present, then renames cfgPath to bakPath when present.
// An old backup that cannot be deleted leaves cfgPath where it is.
BackupOutcome BackupCfgFile(install::FileSystem& fs, const std::string& cfgPath, const std::string& bakPath);

// Each writes with a backup; when the new file cannot be written after the
// rename, the previous file is put back from its .bak before reporting.
WriteResult WriteServerCfg(install::FileSystem& fs, const std::string& gameDir, const FieldStore& fields);
WriteResult WriteListenServerCfg(install::FileSystem& fs, const std::string& gameDir, const FieldStore& fields);
// Fills an empty gl_texturemode with its own name first (the field shows it afterwards).
WriteResult WriteAutoexecCfg(install::FileSystem& fs, const std::string& gameDir, FieldStore& fields);
WriteResult WriteBasicServerCfg(install::FileSystem& fs, const std::string& gameDir, const FieldStore& fields);
WriteResult WriteBasicAutoexecCfg(install::FileSystem& fs, const std::string& gameDir, const FieldStore& fields);

}  // namespace quorvane::config

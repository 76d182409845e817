#pragma once
// Writers of server.cfg, listenserver.cfg and autoexec.cfg, and the basic
// files the workspace load writes when a configuration file is missing.
#include <string>
#include <vector>

#include "config/field_values.h"
#include "install/file_system.h"

namespace quorvane::config {

// Outcome of a write: which file failed (its path text) and the OS's reason.
using WriteResult = install::IoResult;

// The bytes of each file as it would be written now (CR LF line ends).
std::string ServerCfgText(const FieldValues& fields);
std::string ListenServerCfgText(const FieldValues& fields);
std::string AutoexecCfgText(const FieldValues& fields);  // gl_texturemode as the field holds it
std::string BasicServerCfgText(const FieldValues& fields);
std::string BasicAutoexecCfgText(const FieldValues& fields);

struct [[nodiscard]] BackupOutcome {
  install::IoResult result;  // why the old backup could not be deleted or the rename failed
  bool renamed = false;      // cfgPath now stands as bakPath
};

// Deletes bakPath when present, then renames cfgPath to bakPath when present.
// An old backup that cannot be deleted leaves cfgPath where it is.
BackupOutcome BackupCfgFile(install::FileSystem& fs, const std::string& cfgPath, const std::string& bakPath);

// Each writes with a backup; when the new file cannot be written after the
// rename, the previous file is put back from its .bak before reporting. The
// new file has the mode and owner of the one it replaces, and listenserver.cfg,
// holding the same passwords, grants others no more than server.cfg does.
WriteResult WriteServerCfg(install::FileSystem& fs, const std::string& gameDir, const FieldValues& fields);
WriteResult WriteListenServerCfg(install::FileSystem& fs, const std::string& gameDir, const FieldValues& fields);
// An empty gl_texturemode is written as its own name; the window shows the filled value afterwards.
void FillTextureMode(FieldValues& fields);
WriteResult WriteAutoexecCfg(install::FileSystem& fs, const std::string& gameDir, const FieldValues& fields);
WriteResult WriteBasicServerCfg(install::FileSystem& fs, const std::string& gameDir, const FieldValues& fields);
WriteResult WriteBasicAutoexecCfg(install::FileSystem& fs, const std::string& gameDir, const FieldValues& fields);

}  // namespace quorvane::config

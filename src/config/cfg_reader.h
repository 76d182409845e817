#pragma once
#include <string>
#include <string_view>

#include "config/field_values.h"
#include "install/file_system.h"

namespace quorvane::config {

// The updates a configuration file makes: every line that names a field, the
// last one winning. A file that cannot be read gives the OS's reason instead.
install::Read<FieldUpdates> LoadCfgFile(install::FileSystem& fs, const std::string& path);

// The same grammar on bytes already in memory.
FieldUpdates ParseCfgText(std::string_view bytes);

}  // namespace quorvane::config

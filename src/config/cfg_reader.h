#pragma once
#include <string>
#include <string_view>

#include "config/field_store.h"
#include "install/file_system.h"

namespace quorvane::config {

// Applies every line of a configuration file that names a field; fields the
// file does not name keep their values. Returns the read's outcome (a file
// that cannot be opened loads nothing).
install::IoResult LoadCfgFile(install::FileSystem& fs, const std::string& path, FieldStore& fields);

// The same grammar on bytes already in memory (one call per file).
void ApplyCfgText(std::string_view bytes, FieldStore& fields);

}  // namespace quorvane::config

#pragma once
#include <string>

namespace quorvane::platform {

// Directory of the running program, in the single-byte code page, without a
// trailing separator (the root is "/"). Empty when the system cannot say.
std::string ProgramDirectory();

}  // namespace quorvane::platform

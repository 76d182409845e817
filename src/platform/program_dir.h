#pragma once
#include <string>
#include <vector>

namespace quorvane::platform {

// Directory of the running program, in the single-byte code page, without a
// trailing separator (the root is "/"). Empty when the system cannot say.
std::string ProgramDirectory();

// The words the program was started with, in this machine's own text (UTF-8):
// on Windows read wide, since `argv` holds '?' for what the code page lacks.
std::vector<std::string> ProgramArguments(int argc, char* argv[]);

}  // namespace quorvane::platform

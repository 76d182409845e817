#pragma once
// <windows.h> for the Win32 side of the platform layer. The system header
// renames CreateDirectory and SetCurrentDirectory to their A/W forms, which
// would also rename our own methods of those names; the macros go here.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#undef CreateDirectory
#undef SetCurrentDirectory
#undef RemoveDirectory

#include <string>

namespace quorvane::platform {

// The system's message for `code` (FormatMessageA), without its line end;
// "error N" when the system has none.
std::string SystemMessage(unsigned long code);
// The message for GetLastError().
std::string LastErrorMessage();

}  // namespace quorvane::platform

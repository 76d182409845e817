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
#include <string_view>

namespace quorvane::platform {

// The system's message for `code` (FormatMessageA), without its line end;
// "error N" when the system has none.
std::string SystemMessage(unsigned long code);
// The message for GetLastError().
std::string LastErrorMessage();

// This machine's own text (UTF-8 inside the program) for the wide-character
// calls, and back; the code page is the game's text, kept for its files.
std::wstring WideFromUtf8(std::string_view utf8);
std::string Utf8FromWide(std::wstring_view wide);
std::wstring WideFromAnsi(std::string_view ansi);
// Characters the code page lacks become '?'.
std::string AnsiFromWide(std::wstring_view wide);

}  // namespace quorvane::platform

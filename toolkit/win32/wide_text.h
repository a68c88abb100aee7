// Text between the program's narrow strings and Windows' wide (UTF-16) calls: the toolkit's
// text is UTF-8 (CP_UTF8), a launch command is in the system's code page (CP_ACP), as WinExec
// reads it.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace toolkit::win32 {

std::wstring widen(std::string_view text, UINT code_page);
std::string narrow(std::wstring_view text, UINT code_page);

}  // namespace toolkit::win32

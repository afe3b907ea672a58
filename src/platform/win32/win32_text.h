#pragma once
// Text at the Win32 boundary: UTF-8 inside the program, UTF-16 for the "W" calls, the
// ANSI code page for the "A" entry points of other libraries.
#include <string>

namespace vtl::win32 {

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& utf16);
// The ANSI code page's bytes for UTF-8 text (characters it lacks become its default
// character); the text unchanged when the system cannot convert it.
std::string AnsiFromUtf8(const std::string& utf8);

}  // namespace vtl::win32

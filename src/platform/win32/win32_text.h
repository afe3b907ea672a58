#pragma once
// UTF-8 <-> UTF-16 at the Win32 boundary.
#include <string>

namespace vtl {

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& utf16);

}  // namespace vtl

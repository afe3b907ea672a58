#pragma once
// Loading libraries the way Windows loads them safely: a system library only from
// the system folder, one of ours only from the program's own folder, never through
// the search order that includes the current directory. A person who runs the saver
// from a Downloads folder must not run a DLL that happens to lie there.
#include <windows.h>

#include <string>

namespace vtl::win32 {

// Takes the current directory out of the search order of every later plain
// LoadLibrary (the system's own and COM's included). Called first thing.
void RemoveCurrentDirectoryFromDllSearch();

// The system folder (SysWOW64 for a 32-bit program on 64-bit Windows, which the
// system maps for us) followed by `name`.
std::wstring SystemLibraryPath(const std::wstring& name);
// The folder of the running program followed by `name`.
std::wstring ProgramLibraryPath(const std::wstring& name);

// nullptr when the library is not in that one folder.
HMODULE LoadSystemLibrary(const std::wstring& name);
HMODULE LoadProgramLibrary(const std::wstring& name);

}  // namespace vtl::win32

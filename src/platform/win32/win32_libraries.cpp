#include "platform/win32/win32_libraries.h"

#include <vector>

#include "platform/hooks/faults.h"
#include "platform/files.h"
#include "platform/win32/win32_text.h"

namespace vtl::win32 {

namespace {

std::wstring WithSlash(std::wstring folder) {
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    return folder;
}

// A full path keeps the search order out of it; the altered search path lets the
// library's own dependencies come from its folder rather than from ours.
HMODULE LoadByFullPath(const std::wstring& path) {
    if (path.empty() || path.find(L'\\') == std::wstring::npos || FaultInjected("library")) return nullptr;
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace

void RemoveCurrentDirectoryFromDllSearch() {
    // Enough on Windows 7 as shipped; Wine ignores it.
    SetDllDirectoryW(L"");
    // Windows 8 and later (and Windows 7 with its loader update): only the program's
    // folder and the system folder, for every later load by name.
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    constexpr DWORD kSearchDefaultDirs = 0x00001000;  // LOAD_LIBRARY_SEARCH_DEFAULT_DIRS
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(kernel ? GetProcAddress(kernel, "SetDefaultDllDirectories") : nullptr));
    if (setDefault) setDefault(kSearchDefaultDirs);
}

std::wstring SystemLibraryPath(const std::wstring& name) {
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    UINT n = GetSystemDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
    if (n >= buffer.size()) {  // too small: n is the size it needs
        buffer.resize(n + 1);
        n = GetSystemDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
    }
    if (n == 0 || n >= buffer.size()) return {};
    return WithSlash(std::wstring(buffer.data(), n)) + name;
}

std::wstring ProgramLibraryPath(const std::wstring& name) {
    const std::string folder = ExecutableFolder();
    if (folder.empty()) return {};
    return WithSlash(Widen(folder)) + name;
}

HMODULE LoadSystemLibrary(const std::wstring& name) { return LoadByFullPath(SystemLibraryPath(name)); }

HMODULE LoadProgramLibrary(const std::wstring& name) { return LoadByFullPath(ProgramLibraryPath(name)); }

}  // namespace vtl::win32

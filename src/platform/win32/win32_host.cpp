#include "platform/win32/win32_host.h"

#include "platform/win32/win32_text.h"

namespace vtl::win32 {

namespace {

// A library loaded for one call and unloaded when the call is done.
class ScopedLibrary {
public:
    explicit ScopedLibrary(const std::string& path) : module_(LoadLibraryW(Widen(path).c_str())) {}
    ~ScopedLibrary() {
        if (module_) FreeLibrary(module_);
    }
    ScopedLibrary(const ScopedLibrary&) = delete;
    ScopedLibrary& operator=(const ScopedLibrary&) = delete;
    explicit operator bool() const { return module_ != nullptr; }
    template <typename F>
    F Entry(const char* name) const {
        return module_ ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, name))) : nullptr;
    }

private:
    HMODULE module_;
};

}  // namespace

std::string SystemFolderWithSlash() {
    wchar_t buffer[MAX_PATH + 1] = {};
    const UINT n = GetSystemDirectoryW(buffer, MAX_PATH);
    std::string folder = Narrow(std::wstring(buffer, n < MAX_PATH ? n : 0));
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    return folder;
}

void PasswordHost::ShowCursor(bool show) { ::ShowCursor(show ? TRUE : FALSE); }

std::optional<bool> PasswordHost::VerifyScreenSavePwd(std::intptr_t owner) {
    ScopedLibrary library(libraryFolder_ + "PASSWORD.CPL");
    using Verify = BOOL(WINAPI*)(HWND);
    const auto verify = library.Entry<Verify>("VerifyScreenSavePwd");
    if (!verify) return std::nullopt;
    return verify(reinterpret_cast<HWND>(owner)) != FALSE;
}

void ChangeSaverPassword(HWND owner, const std::string& libraryFolder) {
    ScopedLibrary library(libraryFolder + "MPR.DLL");
    using Change = DWORD(WINAPI*)(LPCSTR, HWND, DWORD, LPVOID);
    if (const auto change = library.Entry<Change>("PwdChangePasswordA")) change("SCRSAVE", owner, 0, nullptr);
}

std::string SystemTempFolder() {
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
    return Narrow(std::wstring(buffer, n <= MAX_PATH ? n : 0));
}

}  // namespace vtl::win32

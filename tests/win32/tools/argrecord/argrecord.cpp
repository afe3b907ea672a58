// Stands in for a program the shell starts (a browser for a web shortcut), so tests
// can see what it was asked to open: appends its command line, one line per start, to
// argrecord.log beside itself.
#include <windows.h>

#include <cstdio>
#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring log = path;
    log = log.substr(0, log.find_last_of(L'\\') + 1) + L"argrecord.log";
    FILE* out = _wfopen(log.c_str(), L"ab");
    if (!out) return 1;
    const wchar_t* line = GetCommandLineW();
    char utf8[4096] = {};
    WideCharToMultiByte(CP_UTF8, 0, line, -1, utf8, sizeof utf8 - 1, nullptr, nullptr);
    std::fprintf(out, "%s\n", utf8);
    std::fclose(out);
    return 0;
}

// Test stand-in for the host's saver-password library. Its answer is read at each
// call from the file named by VTL_TEST_PASSWORD_FILE ("1" accepts, anything else
// refuses; no file refuses), and each call appends a line to that file's ".calls"
// (no file named: no log, rather than a ".calls" in whatever folder is current).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string AnswerFile() {
    const char* path = std::getenv("VTL_TEST_PASSWORD_FILE");
    return path ? path : "";
}

FILE* OpenCallLog() {
    const std::string file = AnswerFile();
    return file.empty() ? nullptr : std::fopen((file + ".calls").c_str(), "ab");
}

}  // namespace

extern "C" BOOL WINAPI VerifyScreenSavePwd(HWND owner) {
    const std::string file = AnswerFile();
    char answer = '0';
    if (FILE* in = std::fopen(file.c_str(), "rb")) {
        if (std::fread(&answer, 1, 1, in) != 1) answer = '0';
        std::fclose(in);
    }
    if (FILE* log = OpenCallLog()) {
        std::fprintf(log, "verify owner=%s answer=%c\n", owner ? "set" : "none", answer);
        std::fclose(log);
    }
    return answer == '1';
}

extern "C" DWORD WINAPI PwdChangePasswordA(LPCSTR provider, HWND owner, DWORD a, DWORD b) {
    if (FILE* log = OpenCallLog()) {
        std::fprintf(log, "change provider=%s owner=%lld %lu %lu\n", provider ? provider : "(null)",
                     static_cast<long long>(reinterpret_cast<INT_PTR>(owner)), a, b);
        std::fclose(log);
    }
    return 0;
}

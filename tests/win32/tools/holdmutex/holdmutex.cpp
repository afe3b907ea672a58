// Holds the saver's single-instance mutex for a while, as a running saver does:
//   holdmutex.exe SECONDS   prints "held" once it owns the mutex.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    HANDLE mutex = CreateMutexW(nullptr, TRUE, L"VTL3DRunSaverMutex");
    if (!mutex || WaitForSingleObject(mutex, 0) == WAIT_TIMEOUT) return 1;
    std::printf("held\n");
    std::fflush(stdout);
    Sleep(static_cast<DWORD>(seconds) * 1000);
    ReleaseMutex(mutex);
    return 0;
}

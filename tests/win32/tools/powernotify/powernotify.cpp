// Delivers a display-state notice to another process's window, as Windows delivers it
// when the monitor goes off or comes back (Wine never sends one itself):
//   powernotify.exe "<window title>" console|monitor off|on|dimmed
//   powernotify.exe "<window title>" power-status
// console: the console display state; monitor: the monitor-power setting of Windows 7.
// The setting block is written into the target process, since the notice carries a
// pointer. Exit code 1 when no such window, 2 on a bad argument, 3 when the block could
// not be written.
#include <windows.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr GUID kConsoleDisplayState = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
constexpr GUID kMonitorPowerOn = {0x02731015, 0x4510, 0x4526, {0x99, 0xe6, 0xe5, 0xa1, 0x7e, 0xbd, 0x1a, 0xea}};

int Deliver(HWND window, WPARAM event, LPARAM data) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, WM_POWERBROADCAST, event, data, SMTO_ABORTIFHUNG, 5000, &result)) {
        std::printf("not delivered (error %lu)\n", GetLastError());
        return 3;
    }
    std::printf("delivered, answer %lu\n", static_cast<unsigned long>(result));
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    HWND window = FindWindowW(nullptr, argv[1]);
    if (!window) {
        std::printf("no window\n");
        return 1;
    }
    const std::wstring kind = argv[2];
    if (kind == L"power-status") return Deliver(window, PBT_APMPOWERSTATUSCHANGE, 0);
    if (argc < 4 || (kind != L"console" && kind != L"monitor")) return 2;
    const std::wstring state = argv[3];
    DWORD value = 0;
    if (state == L"on")
        value = 1;
    else if (state == L"dimmed")
        value = 2;
    else if (state != L"off")
        return 2;

    unsigned char block[offsetof(POWERBROADCAST_SETTING, Data) + sizeof(DWORD)] = {};
    POWERBROADCAST_SETTING header{};
    header.PowerSetting = kind == L"console" ? kConsoleDisplayState : kMonitorPowerOn;
    header.DataLength = sizeof(DWORD);
    std::memcpy(block, &header, offsetof(POWERBROADCAST_SETTING, Data));
    std::memcpy(block + offsetof(POWERBROADCAST_SETTING, Data), &value, sizeof value);

    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return 3;
    void* remote = VirtualAllocEx(process, nullptr, sizeof block, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    SIZE_T written = 0;
    if (!remote || !WriteProcessMemory(process, remote, block, sizeof block, &written) || written != sizeof block) {
        CloseHandle(process);
        return 3;
    }
    // The block stays in the target: the window reads it while the message is handled,
    // and a few bytes left there until the saver ends harm nothing.
    const int code = Deliver(window, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(remote));
    CloseHandle(process);
    return code;
}

// What a running process holds, as the system itself counts it, for the soak and leak
// tests (they print or compare it; this tool judges nothing):
//   procstat.exe NAME...
// prints, for every running process whose executable file is NAME (case ignored), one
// line of "key value" pairs:
//   NAME pid P working-set-kb W peak-working-set-kb PW private-kb B handles H
//   listed-handles L gdi G user U windows N
// and "NAME none" when no such process runs. A figure the system would not give is
// "n/a". `handles` is the process's own count (GetProcessHandleCount); `listed-handles`
// counts its rows in the system's handle list, a second opinion where the first is not
// kept; `windows` counts its top-level windows, a floor under its USER objects.
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// The system handle list as ntdll gives it (its layout is fixed by the system).
struct HandleEntry {
    USHORT processId;
    USHORT creatorBackTraceIndex;
    UCHAR objectTypeIndex;
    UCHAR handleAttributes;
    USHORT handleValue;
    PVOID object;
    ULONG grantedAccess;
};
struct HandleList {
    ULONG count;
    HandleEntry entries[1];
};
constexpr ULONG kSystemHandleInformation = 16;
constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004L);

// Rows of the system handle list per process id, or an empty vector when the list
// cannot be read.
std::vector<unsigned> ListedHandles(const std::vector<DWORD>& pids) {
    using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const auto query =
        ntdll ? reinterpret_cast<Query>(reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQuerySystemInformation")))
              : nullptr;
    if (!query) return {};
    std::vector<unsigned char> buffer(1 << 16);
    LONG status = kInfoLengthMismatch;
    for (int tries = 0; tries < 12 && status == kInfoLengthMismatch; ++tries) {
        ULONG needed = 0;
        status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == kInfoLengthMismatch) buffer.resize(buffer.size() * 2 > needed ? buffer.size() * 2 : needed);
    }
    if (status < 0) return {};
    const auto* list = reinterpret_cast<const HandleList*>(buffer.data());
    std::vector<unsigned> counts(pids.size(), 0);
    for (ULONG i = 0; i < list->count; ++i)
        for (std::size_t p = 0; p < pids.size(); ++p)
            if (list->entries[i].processId == static_cast<USHORT>(pids[p])) ++counts[p];
    return counts;
}

struct WindowCount {
    DWORD pid;
    unsigned count;
};

BOOL CALLBACK CountWindow(HWND window, LPARAM param) {
    auto* counting = reinterpret_cast<WindowCount*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == counting->pid) ++counting->count;
    return TRUE;
}

std::string Figure(bool known, unsigned long long value) { return known ? std::to_string(value) : std::string("n/a"); }

void Report(const char* name, DWORD pid, unsigned listed, bool listKnown) {
    std::string line = std::string(name) + " pid " + std::to_string(pid);
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    const bool memoryKnown =
        process && GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
    DWORD handles = 0;
    const bool handlesKnown = process && GetProcessHandleCount(process, &handles);
    // GetGuiResources gives 0 for failure as well as for none; both are reported as 0.
    const DWORD gdi = process ? GetGuiResources(process, GR_GDIOBJECTS) : 0;
    const DWORD user = process ? GetGuiResources(process, GR_USEROBJECTS) : 0;
    WindowCount windows{pid, 0};
    EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&windows));
    line += " working-set-kb " + Figure(memoryKnown, memory.WorkingSetSize / 1024);
    line += " peak-working-set-kb " + Figure(memoryKnown, memory.PeakWorkingSetSize / 1024);
    line += " private-kb " + Figure(memoryKnown, memory.PrivateUsage / 1024);
    line += " handles " + Figure(handlesKnown, handles);
    line += " listed-handles " + Figure(listKnown, listed);
    line += " gdi " + Figure(process != nullptr, gdi);
    line += " user " + Figure(process != nullptr, user);
    line += " windows " + std::to_string(windows.count);
    if (process) CloseHandle(process);
    std::printf("%s\n", line.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: procstat.exe NAME...\n");
        return 2;
    }
    std::vector<const char*> names;
    std::vector<DWORD> pids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "procstat: no process list (error %lu)\n", GetLastError());
        return 1;
    }
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        for (int i = 1; i < argc; ++i)
            if (lstrcmpiA(entry.szExeFile, argv[i]) == 0) {
                names.push_back(argv[i]);
                pids.push_back(entry.th32ProcessID);
            }
    CloseHandle(snapshot);
    const std::vector<unsigned> listed = ListedHandles(pids);
    for (std::size_t p = 0; p < pids.size(); ++p)
        Report(names[p], pids[p], listed.empty() ? 0 : listed[p], !listed.empty());
    for (int i = 1; i < argc; ++i) {
        bool seen = false;
        for (const char* name : names) seen = seen || name == argv[i];
        if (!seen) std::printf("%s none\n", argv[i]);
    }
    std::fflush(stdout);
    return 0;
}

// Windows side of the files seam: CreateFileW with share mode 0 for "no sharing",
// FindFirstFileW for listings. Paths are converted from UTF-8 at this boundary.
// Left out: long-path (\\?\) prefixes; the paths used here are short.
#include <windows.h>

#include <vector>

#include "platform/files.h"
#include "platform/hooks/faults.h"
#include "platform/win32/win32_text.h"

namespace vtl {

using win32::Narrow;
using win32::Widen;
namespace {

HANDLE H(std::intptr_t native) { return reinterpret_cast<HANDLE>(native); }

FileHandle Wrap(HANDLE h) {
    if (h == INVALID_HANDLE_VALUE) return {};
    return FileHandle(reinterpret_cast<std::intptr_t>(h));
}

DWORD Attributes(const std::string& path) { return GetFileAttributesW(Widen(path).c_str()); }

// Win32 transfers at most 4 GiB - 1 per call.
constexpr std::size_t kMaxChunk = 0x40000000;

}  // namespace

std::size_t FileHandle::Read(void* buffer, std::size_t count) {
    std::size_t done = 0;
    auto* out = static_cast<char*>(buffer);
    while (IsOpen() && done < count) {
        const std::size_t want = count - done < kMaxChunk ? count - done : kMaxChunk;
        DWORD got = 0;
        if (!ReadFile(H(native_), out + done, static_cast<DWORD>(want), &got, nullptr) || got == 0) break;
        done += got;
    }
    return done;
}

bool FileHandle::Write(const void* buffer, std::size_t count) {
    if (FaultInjected("file-write")) return false;
    std::size_t done = 0;
    const auto* in = static_cast<const char*>(buffer);
    while (IsOpen() && done < count) {
        const std::size_t want = count - done < kMaxChunk ? count - done : kMaxChunk;
        DWORD put = 0;
        if (!WriteFile(H(native_), in + done, static_cast<DWORD>(want), &put, nullptr) || put == 0) return false;
        done += put;
    }
    return done == count;
}

std::int64_t FileHandle::Size() const {
    LARGE_INTEGER size{};
    if (!IsOpen() || !GetFileSizeEx(H(native_), &size)) return -1;
    return size.QuadPart;
}

void FileHandle::Close() {
    if (IsOpen()) CloseHandle(H(native_));
    native_ = kInvalid;
}

FileHandle OpenFileExclusive(const std::string& path) {
    return Wrap(
        CreateFileW(Widen(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

FileHandle OpenFileSharedRead(const std::string& path) {
    return Wrap(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
}

FileHandle CreateFileExclusive(const std::string& path) {
    if (FaultInjected("file-create")) return FileHandle();
    return Wrap(CreateFileW(Widen(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool FileExists(const std::string& path) {
    const DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool FolderExists(const std::string& path) {
    const DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsLink(const std::string& path) {
    const DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool CreateOneFolder(const std::string& path) { return CreateDirectoryW(Widen(path).c_str(), nullptr) != 0; }

bool DeleteOneFile(const std::string& path) {
    return !FaultInjected("file-delete") && DeleteFileW(Widen(path).c_str()) != 0;
}

bool RemoveOneFolder(const std::string& path) { return RemoveDirectoryW(Widen(path).c_str()) != 0; }

bool RemoveLink(const std::string& path) {
    const DWORD a = Attributes(path);
    if (a == INVALID_FILE_ATTRIBUTES || (a & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return false;
    // A junction or a link to a folder goes with RemoveDirectory, which removes the
    // reparse point and leaves its target alone; a link to a file with DeleteFile.
    const std::wstring wide = Widen(path);
    return (a & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryW(wide.c_str()) != 0 : DeleteFileW(wide.c_str()) != 0;
}

std::string NameFromCodePage(const std::string& bytes) {
    if (bytes.empty()) return {};
    const int size = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (size <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), size);
    return Narrow(wide);
}

std::vector<std::string> ListFolder(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found{};
    const HANDLE find = FindFirstFileW(Widen(folder + "\\*.*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        names.push_back(Narrow(found.cFileName));
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return names;
}

std::string PrivateTempFolder(const std::string& tempFolder) { return tempFolder; }

std::string ExecutablePath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    while (true) {
        const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) return Narrow(std::wstring(buffer.data(), n));
        buffer.resize(buffer.size() * 2);  // the path was cut to the buffer: ask again
    }
}

std::string ExecutableFolder() {
    const std::string path = ExecutablePath();
    return path.empty() ? std::string() : FolderOfProgram(path);
}

}  // namespace vtl

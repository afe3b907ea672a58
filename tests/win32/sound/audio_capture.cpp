#include "audio_capture.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cstdlib>
#include <fstream>

#include "platform/win32/win32_text.h"

namespace vtl::soundtest {

std::string CapturePath() {
    // The test bed names its capture WINEBED_CAPTURE; VTL_SOUND_CAPTURE serves runs by hand.
    const char* unixPath = std::getenv("VTL_SOUND_CAPTURE");
    if (!unixPath || !*unixPath) unixPath = std::getenv("WINEBED_CAPTURE");
    if (!unixPath || !*unixPath) return {};
    std::string path = std::string("Z:") + unixPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

std::uint64_t CaptureMark() {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(win32::Widen(CapturePath()).c_str(), GetFileExInfoStandard, &data)) return 0;
    return (std::uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

Capture ReadCapture(std::uint64_t from) {
    Capture capture;
    std::ifstream file(CapturePath(), std::ios::binary);
    file.seekg(static_cast<std::streamoff>(from - from % 8));
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const std::size_t frames = bytes.size() / 8;
    capture.left.resize(frames);
    capture.right.resize(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        std::memcpy(&capture.left[i], bytes.data() + 8 * i, 4);
        std::memcpy(&capture.right[i], bytes.data() + 8 * i + 4, 4);
    }
    return capture;
}

std::string TestFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"vtl_sound_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                                std::to_wstring(GetTickCount());
    CreateDirectoryW(folder.c_str(), nullptr);
    return win32::Narrow(folder);
}

std::string WriteWave(const std::string& folder, const std::string& name, const PcmWave& wave) {
    const std::string path = folder + "\\" + name;
    const std::vector<std::uint8_t> bytes = BuildPcmWave(wave);
    const HANDLE file = CreateFileW(win32::Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return path;
}

}  // namespace vtl::soundtest

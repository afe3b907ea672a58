#include "platform/win32/win32_wavefile.h"

#include <windows.h>

#include <cstdint>
#include <vector>

#include "platform/win32/win32_text.h"

namespace vtl {

namespace {

constexpr std::uint64_t kMaxFileBytes = 256u << 20;

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
    const HANDLE file = CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart >= 0 &&
              static_cast<std::uint64_t>(size.QuadPart) <= kMaxFileBytes;
    if (ok) {
        bytes.resize(static_cast<std::size_t>(size.QuadPart));
        DWORD got = 0;
        ok = bytes.empty() || (ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) &&
                               got == bytes.size());
    }
    CloseHandle(file);
    return ok;
}

}  // namespace

std::optional<PcmWave> ReadPcmWaveFile(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(path, bytes)) return std::nullopt;
    return ParsePcmWave(bytes.data(), bytes.size());
}

}  // namespace vtl

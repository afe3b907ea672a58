#include "audio_capture.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cstdlib>
#include <fstream>

#include "platform/win32/win32_text.h"

namespace vtl::soundtest {
namespace {

double Level(const std::vector<float>& samples, const std::vector<float>& other) {
    double sum = 0;
    std::size_t n = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (std::fabs(samples[i]) + std::fabs(other[i]) < 1e-4f) continue;
        sum += double(samples[i]) * samples[i];
        ++n;
    }
    return n ? std::sqrt(sum / n) : 0;
}

}  // namespace

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
    if (!GetFileAttributesExW(Widen(CapturePath()).c_str(), GetFileExInfoStandard, &data)) return 0;
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

double Capture::LevelLeft() const { return Level(left, right); }
double Capture::LevelRight() const { return Level(right, left); }

std::size_t Capture::SoundingFrames(float threshold) const {
    std::size_t n = 0;
    for (std::size_t i = 0; i < left.size(); ++i) n += std::fabs(left[i]) + std::fabs(right[i]) > threshold ? 1 : 0;
    return n;
}

double Capture::ToneFrequency() const {
    std::size_t first = left.size(), last = 0;
    for (std::size_t i = 0; i < left.size(); ++i) {
        if (std::fabs(left[i]) + std::fabs(right[i]) > 1e-3f) {
            first = std::min(first, i);
            last = i;
        }
    }
    if (first >= last) return 0;
    std::size_t crossings = 0, firstCrossing = 0, lastCrossing = 0;
    for (std::size_t i = first + 1; i <= last; ++i) {
        const float a = left[i - 1] + right[i - 1], b = left[i] + right[i];
        if ((a < 0) != (b < 0)) {
            if (!crossings) firstCrossing = i;
            lastCrossing = i;
            ++crossings;
        }
    }
    if (crossings < 3) return 0;
    return (crossings - 1) / 2.0 / ((lastCrossing - firstCrossing) / kCaptureRate);
}

PcmWave Tone(double frequency, double seconds, std::uint32_t rate, double amplitude) {
    PcmWave wave;
    wave.channels = 1;
    wave.bitsPerSample = 16;
    wave.sampleRate = rate;
    const auto frames = static_cast<std::size_t>(seconds * rate);
    wave.data.resize(frames * 2);
    for (std::size_t i = 0; i < frames; ++i) {
        const auto v = static_cast<std::int16_t>(std::lround(amplitude * 32767 * std::sin(2 * 3.14159265358979323846 * frequency * i / rate)));
        wave.data[2 * i] = static_cast<std::uint8_t>(v);
        wave.data[2 * i + 1] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(v) >> 8);
    }
    return wave;
}

std::string TestFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder =
        std::wstring(temp) + L"vtl_sound_" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(GetTickCount());
    CreateDirectoryW(folder.c_str(), nullptr);
    return Narrow(folder);
}

std::string WriteWave(const std::string& folder, const std::string& name, const PcmWave& wave) {
    const std::string path = folder + "\\" + name;
    const std::vector<std::uint8_t> bytes = BuildPcmWave(wave);
    const HANDLE file = CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return path;
}

}  // namespace vtl::soundtest

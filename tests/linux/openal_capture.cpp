#include "openal_capture.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace vtl::altest {
namespace {

constexpr std::size_t kFrameBytes = 8;  // two 32-bit floats
// The writer keeps up with real time only roughly on a busy machine: waits are long
// and bounded, and never part of a measurement.
constexpr auto kPatience = std::chrono::seconds(30);
constexpr auto kPoll = std::chrono::milliseconds(10);

std::vector<std::string>& FoldersToRemove() {
    static std::vector<std::string> folders;
    return folders;
}

void RemoveFolders() {
    std::error_code ignored;
    for (const std::string& folder : FoldersToRemove()) std::filesystem::remove_all(folder, ignored);
}

std::string MakeTempFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/vtl_openal_XXXXXX";
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a folder for the capture");
    // The list is made before the clean-up is registered, so it is still there when
    // the clean-up runs at exit.
    std::vector<std::string>& folders = FoldersToRemove();
    static std::once_flag registered;
    std::call_once(registered, [] { std::atexit(RemoveFolders); });
    folders.push_back(pattern);
    return pattern;
}

std::string& CapturePath() {
    static std::string path;
    return path;
}

std::uint64_t FileSize(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
}

std::uint32_t Le32(const std::vector<char>& b, std::size_t at) {
    return std::uint32_t(std::uint8_t(b[at])) | std::uint32_t(std::uint8_t(b[at + 1])) << 8 |
           std::uint32_t(std::uint8_t(b[at + 2])) << 16 | std::uint32_t(std::uint8_t(b[at + 3])) << 24;
}

// Where the samples start in the writer's file; 0 while its header is not on disk yet
// or when it is not the float stereo the capture asked for. The data chunk's size is
// only filled in when the device closes, so the samples run to the file's end.
std::size_t DataStart(const std::vector<char>& bytes) {
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(bytes.data() + 8, "WAVE", 4) != 0)
        return 0;
    bool floatStereo = false;
    for (std::size_t at = 12; at + 8 <= bytes.size();) {
        const std::uint32_t size = Le32(bytes, at + 4);
        if (std::memcmp(bytes.data() + at, "data", 4) == 0) return floatStereo ? at + 8 : 0;
        if (std::memcmp(bytes.data() + at, "fmt ", 4) == 0 && at + 8 + 16 <= bytes.size()) {
            const auto tag = std::uint16_t(std::uint8_t(bytes[at + 8]) | std::uint8_t(bytes[at + 9]) << 8);
            const auto channels = std::uint16_t(std::uint8_t(bytes[at + 10]) | std::uint8_t(bytes[at + 11]) << 8);
            const std::uint32_t rate = Le32(bytes, at + 12);
            const auto bits = std::uint16_t(std::uint8_t(bytes[at + 22]) | std::uint8_t(bytes[at + 23]) << 8);
            // 3: IEEE float; 0xFFFE: extensible, whose sub-format the writer sets to float
            // for float samples.
            floatStereo = (tag == 3 || tag == 0xFFFE) && channels == 2 && bits == 32 && rate == kCaptureRate;
        }
        at += 8 + size + (size & 1);
    }
    return 0;
}

}  // namespace

std::string WriteAlsoftConfig(const std::string& folder, const std::string& waveFile) {
    // Every setting that shapes what is measured is given, so a user's or the
    // system's own configuration cannot change it.
    const std::string text =
        "[general]\n"
        "drivers = wave\n"
        "channels = stereo\n"
        "sample-type = float32\n"
        "frequency = 48000\n"
        "period_size = 512\n"
        "periods = 3\n"
        "stereo-mode = speakers\n"
        "stereo-encoding = panpot\n"
        "hrtf = false\n"
        "cf_level = 0\n"
        "output-limiter = false\n"
        "dither = false\n"
        "volume-adjust = 0\n"
        "resampler = linear\n"
        "default-reverb = None\n"
        "[wave]\n"
        "file = " +
        waveFile +
        "\n"
        "bformat = false\n";
    const std::string path = folder + "/alsoft.conf";
    std::ofstream(path) << text;
    return path;
}

const std::string& UseCaptureDevice() {
    std::string& path = CapturePath();
    if (path.empty()) {
        const std::string folder = MakeTempFolder();
        path = folder + "/capture.wav";
        setenv("ALSOFT_CONF", WriteAlsoftConfig(folder, path).c_str(), 1);
        // The driver list from the environment outranks every configuration file.
        setenv("ALSOFT_DRIVERS", "wave", 1);
    }
    return path;
}

std::uint64_t CaptureMark() { return FileSize(UseCaptureDevice()); }

bool WaitForFrames(std::uint64_t mark, double frames) {
    // Until the header is out (the writer's first flush) the mark may lie before it.
    const std::uint64_t target = std::max<std::uint64_t>(mark, 4096) + std::uint64_t(frames) * kFrameBytes;
    const auto end = std::chrono::steady_clock::now() + kPatience;
    while (FileSize(UseCaptureDevice()) < target) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(kPoll);
    }
    return true;
}

Capture ReadCapture(std::uint64_t mark) {
    Capture capture;
    std::ifstream file(UseCaptureDevice(), std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const std::size_t start = DataStart(bytes);
    if (!start) return capture;
    std::size_t from = std::max<std::size_t>(start, static_cast<std::size_t>(mark));
    from = start + (from - start + kFrameBytes - 1) / kFrameBytes * kFrameBytes;
    const std::size_t frames = from < bytes.size() ? (bytes.size() - from) / kFrameBytes : 0;
    capture.left.resize(frames);
    capture.right.resize(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        std::memcpy(&capture.left[i], bytes.data() + from + kFrameBytes * i, 4);
        std::memcpy(&capture.right[i], bytes.data() + from + kFrameBytes * i + 4, 4);
    }
    return capture;
}

Capture ReadAfterItEnds(std::uint64_t mark, double quietFrames) {
    const auto end = std::chrono::steady_clock::now() + kPatience;
    for (;;) {
        Capture capture = ReadCapture(mark);
        std::size_t last = 0;
        bool sounded = false;
        for (std::size_t i = 0; i < capture.left.size(); ++i)
            if (std::fabs(capture.left[i]) + std::fabs(capture.right[i]) > 1e-3f) last = i, sounded = true;
        if ((sounded && double(capture.left.size() - last) >= quietFrames) || std::chrono::steady_clock::now() > end)
            return capture;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

std::string TestFolder() { return MakeTempFolder(); }

std::string WriteFile(const std::string& folder, const std::string& name, const std::vector<std::uint8_t>& bytes) {
    const std::string path = folder + "/" + name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::string WriteWave(const std::string& folder, const std::string& name, const PcmWave& wave) {
    return WriteFile(folder, name, BuildPcmWave(wave));
}

}  // namespace vtl::altest

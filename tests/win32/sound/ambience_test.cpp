// The whole ambience on Windows: the real sound system on the best back end, with
// message timers and wave files in a scratch folder, heard through the capture file.
#include <windows.h>

#include <gtest/gtest.h>

#include "pack/assetnames.h"
#include "audio_capture.h"
#include "platform/win32/dmusic_audio.h"
#include "platform/win32/win32_msgtimers.h"
#include "platform/win32/win32_text.h"
#include "win32/message_pump.h"
#include "sound/qvsound.h"

namespace vtl {
namespace {

using testing::PumpMessages;

void RemoveFolder(const std::string& folder) {
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(win32::Widen(folder + "\\*.*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            DeleteFileW((win32::Widen(folder) + L"\\" + found.cFileName).c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(win32::Widen(folder).c_str());
}

TEST(Ambience, StartsPlaysAndCleansUpOnTheBestBackEnd) {
    const std::string folder = soundtest::TestFolder();
    for (const char* name : kSoundPackEntries) {
        const std::string entry = name;
        if (entry == kBackgroundLoopFile)
            soundtest::WriteWave(folder, name, soundtest::Tone(220, 0.5));
        else if (entry == kHelicopterLoopFile)
            soundtest::WriteWave(folder, name, soundtest::Tone(330, 0.5));
        else
            soundtest::WriteWave(folder, name, soundtest::Tone(880, 0.2));
    }

    std::vector<std::string> errors;
    win32::Win32MessageTimers timers([&](const std::exception& e) { errors.push_back(e.what()); });
    auto random = CreateClockRandom();
    int clears = 0;
    SoundHost host;
    host.services = {win32::CreateBestAudioBackend, &timers, random.get()};
    host.unpackToTemp = [&](const std::string&) { return folder; };
    host.clearFolder = [&](const std::string& path) {
        ++clears;
        RemoveFolder(path);
    };
    SetSoundHost(host);

    const std::uint64_t mark = soundtest::CaptureMark();
    StartSound();
    if (soundtest::CapturePath().empty()) {
        // No device: the saver runs silent, and the sounds it unpacked go at once.
        EXPECT_EQ(SoundSystem(), nullptr);
        EXPECT_EQ(clears, 1);
        EXPECT_EQ(GetFileAttributesW(win32::Widen(folder).c_str()), INVALID_FILE_ATTRIBUTES);
        StopSound();
        EXPECT_TRUE(errors.empty());
        SetSoundHost({});
        return;
    }
    ASSERT_NE(SoundSystem(), nullptr);
    const float startX = SoundSystem()->HeliX();
    PumpMessages(1500);
    EXPECT_NE(SoundSystem()->HeliX(), startX);  // the move timer ran
    StopSound();
    EXPECT_EQ(SoundSystem(), nullptr);
    EXPECT_EQ(clears, 2);
    EXPECT_EQ(GetFileAttributesW(win32::Widen(folder).c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(errors.empty());
    if (!soundtest::CapturePath().empty()) {
        Sleep(150);
        const soundtest::Capture heard = soundtest::ReadCapture(mark);
        EXPECT_GT(heard.SoundingFrames(), 10000u);
    }
    SetSoundHost({});
}

}  // namespace
}  // namespace vtl

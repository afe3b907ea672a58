// The readers of outside bytes read through the files seam: what they take while
// another holder has the file open, and that a pipe named as a file never blocks them.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "formats/bmpfile.h"
#include "formats/wavefile.h"
#include "platform/files.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace vtl {
namespace {

namespace fs = std::filesystem;

class ReadingFiles : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  (std::string("vtl_reading_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }
    std::string Path(const char* name) const { return (folder_ / name).string(); }
    std::string WriteWave() const {
        PcmWave wave;
        wave.data.assign(400, 0x10);
        const auto bytes = BuildPcmWave(wave);
        const std::string path = Path("tone.wav");
        FileHandle file = CreateFileExclusive(path);
        EXPECT_TRUE(file.Write(bytes.data(), bytes.size()));
        return path;
    }

private:
    fs::path folder_;
};

// A platform loader may hold a wave open for reading while the back end reads it too;
// a holder that allows no one else keeps it to itself.
TEST_F(ReadingFiles, AWaveIsReadBesideOtherReadersButNotBesideAnExclusiveHolder) {
    const std::string path = WriteWave();
    {
        FileHandle reader = OpenFileSharedRead(path);
        ASSERT_TRUE(reader);
        const auto wave = ReadPcmWaveFile(path);
        ASSERT_TRUE(wave);
        EXPECT_EQ(wave->data.size(), 400u);
        EXPECT_TRUE(ReadWholeFile(path, 1 << 20, ReadSharing::ReadersAllowed));
        EXPECT_FALSE(OpenFileExclusive(path)) << "an exclusive open beside a reader";
    }
    {
        FileHandle holder = OpenFileExclusive(path);
        ASSERT_TRUE(holder);
        EXPECT_FALSE(ReadPcmWaveFile(path));
        EXPECT_FALSE(OpenFileSharedRead(path));
    }
    EXPECT_TRUE(ReadPcmWaveFile(path)) << "readable again once the holder let go";
}

TEST_F(ReadingFiles, LimitsAndMissingFilesGiveNothing) {
    const std::string path = WriteWave();
    const auto size = static_cast<std::uint64_t>(fs::file_size(path));
    EXPECT_TRUE(ReadWholeFile(path, size, ReadSharing::ReadersAllowed));
    EXPECT_FALSE(ReadWholeFile(path, size - 1, ReadSharing::ReadersAllowed));
    EXPECT_FALSE(ReadPcmWaveFile(Path("missing.wav")));
    EXPECT_FALSE(ReadBmpFile(Path("missing.bmp")));
    EXPECT_FALSE(ReadBmpFile(path)) << "a wave is no picture";
}

#ifndef _WIN32
// Nobody writes into a pipe named like an asset: a reader that waited for it would
// hang the saver for ever.
TEST_F(ReadingFiles, APipeNamedAsAnAssetIsRefusedAtOnce) {
    for (const char* name : {"pipe.wav", "pipe.bmp"}) {
        ASSERT_EQ(mkfifo(Path(name).c_str(), 0600), 0);
    }
    EXPECT_FALSE(ReadPcmWaveFile(Path("pipe.wav")));
    EXPECT_FALSE(ReadBmpFile(Path("pipe.bmp")));
}
#endif

}  // namespace
}  // namespace vtl

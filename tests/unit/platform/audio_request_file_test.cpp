// The request recording a long run under test reads while the program still runs: each
// line must be in the file as soon as it is recorded, after what the file held, and a
// file that cannot be opened must leave the program recording nothing, not failing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/hooks/audio_requests.h"

namespace vtl {
namespace {

namespace fs = std::filesystem;

class AudioRequestFile : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  (std::string("vtl_requests_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override {
        SetAudioRequestSink({});
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }
    std::string Path(const char* name) const { return (folder_ / name).string(); }
    static std::vector<std::string> Lines(const std::string& path) {
        std::ifstream in(path);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(line);
        }
        return lines;
    }

private:
    fs::path folder_;
};

TEST_F(AudioRequestFile, EachLineIsInTheFileWhileTheSinkLives) {
    const std::string path = Path("requests.txt");
    { std::ofstream(path) << "earlier run\n"; }
    SetAudioRequestSink(AudioRequestFileSink(path));
    ASSERT_TRUE(AudioRequestsRecorded());
    RecordAudioRequest(AudioRequestLine(1, "play") + " background.wav loop");
    EXPECT_EQ(Lines(path), (std::vector<std::string>{"earlier run", "ch1 play background.wav loop"}));
    RecordAudioRequest(AudioRequestLine(2, "position", {-24.98, 1, 0}));
    RecordAudioRequest(AudioRequestLine(3, "play") + " Street2.wav copies 3");
    EXPECT_EQ(Lines(path), (std::vector<std::string>{"earlier run", "ch1 play background.wav loop",
                                                     "ch2 position -24.98 1 0", "ch3 play Street2.wav copies 3"}));
}

TEST_F(AudioRequestFile, AFileThatCannotBeOpenedRecordsNothing) {
    const std::string path = Path("no such folder/requests.txt");
    AudioRequestSink sink = AudioRequestFileSink(path);
    EXPECT_FALSE(sink);
    SetAudioRequestSink(sink);
    EXPECT_FALSE(AudioRequestsRecorded());
    RecordAudioRequest("ch1 stop");  // nowhere to go, and no failure either
    EXPECT_FALSE(fs::exists(path));
}

}  // namespace
}  // namespace vtl

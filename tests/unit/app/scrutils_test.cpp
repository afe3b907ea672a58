#include <gtest/gtest.h>

#include "app/saver/scrutils.h"

namespace vtl {
namespace {

struct ModeCase {
    const char* commandLine;
    RunMode mode;
    std::int32_t hostWindow;
};

class ParseRunModeTest : public ::testing::TestWithParam<ModeCase> {};

TEST_P(ParseRunModeTest, MapsCommandLine) {
    const auto& c = GetParam();
    const auto parsed = ParseRunMode(c.commandLine);
    EXPECT_EQ(parsed.mode, c.mode) << c.commandLine;
    EXPECT_EQ(parsed.hostWindow, c.hostWindow) << c.commandLine;
}

INSTANTIATE_TEST_SUITE_P(
    Grammar, ParseRunModeTest,
    ::testing::Values(ModeCase{"vtl3d.scr", rmConfigure, 0}, ModeCase{"", rmConfigure, 0},
                      ModeCase{"vtl3d.scr /S", rmSaver, 0}, ModeCase{"vtl3d.scr /s", rmSaver, 0},
                      ModeCase{"vtl3d.scr -s", rmSaver, 0}, ModeCase{"vtl3d.scr /save", rmSaver, 0},
                      ModeCase{"vtl3d.scr xs", rmSaver, 0}, ModeCase{"vtl3d.scr /c:4711", rmConfigure, 0},
                      ModeCase{"vtl3d.scr /c 4711", rmConfigure, 0}, ModeCase{"vtl3d.scr /p 4711", rmPreview, 4711},
                      ModeCase{"vtl3d.scr -Preview 12", rmPreview, 12}, ModeCase{"vtl3d.scr /p", rmConfigure, 0},
                      ModeCase{"vtl3d.scr /p abc", rmPreview, 0}, ModeCase{"vtl3d.scr /a 4711", rmChangePassword, 4711},
                      ModeCase{"vtl3d.scr /a", rmConfigure, 0}, ModeCase{"vtl3d.scr /q", rmConfigure, 0},
                      // Runs of blanks, tabs and quotes, including a quoted program path with blanks.
                      ModeCase{"\"C:\\Program Files\\v\\vtl3d.scr\"   /p    -17", rmPreview, -17},
                      ModeCase{"vtl3d.scr \t/P\t\"99\"", rmPreview, 99}, ModeCase{"vtl3d.scr \"/s\"", rmSaver, 0},
                      ModeCase{"vtl3d.scr /p 12 extra args", rmPreview, 12},
                      // One character leaves no mode letter: the settings, never a guessed saver.
                      ModeCase{"vtl3d.scr /", rmConfigure, 0}, ModeCase{"vtl3d.scr s", rmConfigure, 0},
                      ModeCase{"vtl3d.scr \"\"", rmConfigure, 0},
                      // Handles that are not 32-bit signed decimal integers.
                      ModeCase{"vtl3d.scr /p 2147483647", rmPreview, 2147483647},
                      ModeCase{"vtl3d.scr /p -2147483648", rmPreview, INT32_MIN},
                      ModeCase{"vtl3d.scr /p 2147483648", rmPreview, 0},
                      ModeCase{"vtl3d.scr /p 99999999999999999999", rmPreview, 0},
                      ModeCase{"vtl3d.scr /p 12x", rmPreview, 0}, ModeCase{"vtl3d.scr /p -", rmPreview, 0},
                      ModeCase{"vtl3d.scr /p 0x10", rmPreview, 0}));

TEST(SplitCommandLine, QuotesGroupBlanksAndAreRemoved) {
    EXPECT_EQ(SplitCommandLine("a \"b c\"d  e\"\""), (std::vector<std::string>{"a", "b cd", "e"}));
    EXPECT_EQ(SplitCommandLine("   "), std::vector<std::string>{});
    EXPECT_EQ(SplitCommandLine("\"unterminated arg"), std::vector<std::string>{"unterminated arg"});
}

}  // namespace
}  // namespace vtl

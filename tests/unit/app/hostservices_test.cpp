#include <gtest/gtest.h>

#include "app/saver/hostservices.h"
#include "platform/fake/fake_registry.h"

namespace vtl {
namespace {

constexpr auto HKCU = RegistryRoot::CurrentUser;
constexpr auto HKLM = RegistryRoot::LocalMachine;

struct FakePasswordHost : IPasswordHost {
    std::optional<bool> answer;  // empty: no library
    int shown = 0, hidden = 0, calls = 0;
    std::intptr_t owner = 0;
    void ShowCursor(bool show) override { ++(show ? shown : hidden); }
    std::optional<bool> VerifyScreenSavePwd(std::intptr_t o) override {
        ++calls;
        owner = o;
        return answer;
    }
};

struct PasswordCase {
    const char* what;
    std::optional<FakeRegistry::Value> usePassword, isSecure;
    std::optional<bool> library;
    bool expected;
    bool dialogShown;
};

class VerifySaverPasswordTest : public ::testing::TestWithParam<PasswordCase> {};

TEST_P(VerifySaverPasswordTest, Decides) {
    const auto& c = GetParam();
    FakeRegistry registry;
    registry.CreateKey(HKCU, kDesktopKey);
    if (c.usePassword) registry.Set(HKCU, kDesktopKey, "ScreenSaveUsePassword", *c.usePassword);
    if (c.isSecure) registry.Set(HKCU, kDesktopKey, "ScreenSaverIsSecure", *c.isSecure);
    FakePasswordHost host;
    host.answer = c.library;
    EXPECT_EQ(VerifySaverPassword(registry, host, 77), c.expected) << c.what;
    EXPECT_EQ(host.calls, c.dialogShown ? 1 : 0) << c.what;
    // The cursor is shown and hidden exactly once whenever protection is in force.
    const int cursorMoves = c.dialogShown ? 1 : 0;
    EXPECT_EQ(host.shown, cursorMoves) << c.what;
    EXPECT_EQ(host.hidden, cursorMoves) << c.what;
    if (c.dialogShown) {
        EXPECT_EQ(host.owner, 77);
    }
}

using V = FakeRegistry::Value;
INSTANTIATE_TEST_SUITE_P(
    Flags, VerifySaverPasswordTest,
    ::testing::Values(PasswordCase{"no values", {}, {}, false, true, false},
                      PasswordCase{"secure text 0", {}, V{std::string("0")}, false, true, false},
                      PasswordCase{"use 0 decides over secure 1", V{0u}, V{std::string("1")}, false, true, false},
                      PasswordCase{"use 1, no library", V{1u}, {}, std::nullopt, true, true},
                      PasswordCase{"use 1, refused", V{1u}, {}, false, false, true},
                      PasswordCase{"use 1, accepted", V{1u}, {}, true, true, true},
                      PasswordCase{"secure text 1, refused", {}, V{std::string("1")}, false, false, true},
                      PasswordCase{"secure text ' 2 ', refused", {}, V{std::string(" 2 ")}, false, false, true},
                      // Values that cannot be read as integers never let a protected saver end freely.
                      PasswordCase{"secure text garbage, refused", {}, V{std::string("yes")}, false, false, true},
                      PasswordCase{"use as binary, refused", V{std::monostate{}}, {}, false, false, true},
                      PasswordCase{"use as text 0", V{std::string("0")}, V{std::string("1")}, false, true, false},
                      PasswordCase{"use as text garbage, refused", V{std::string("on")}, {}, false, false, true}));

TEST(VerifySaverPassword, MissingDesktopKeyAllowsTheEnd) {
    FakeRegistry registry;
    FakePasswordHost host;
    host.answer = false;
    EXPECT_TRUE(VerifySaverPassword(registry, host, 1));
    EXPECT_EQ(host.calls + host.shown + host.hidden, 0);
}

TEST(FolderOfProgram, CutsAtTheLastSeparator) {
    struct {
        const char* path;
        const char* folder;
    } cases[] = {{"D:\\Savers\\x.scr", "D:\\Savers"},
                 {"D:\\x.scr", "D:\\"},
                 {"C:\\a\\b\\c\\vtl3d.scr", "C:\\a\\b\\c"},
                 {"D:x.scr", "D:"},
                 {"\\\\server\\share\\x.scr", "\\\\server\\share"},
                 {"x.scr", "."}};
    for (const auto& c : cases) EXPECT_EQ(FolderOfProgram(c.path), c.folder) << c.path;
}

TEST(GetInstallFolder, MachineKeyThenUserKeyThenProgramFolder) {
    FakeRegistry registry;
    EXPECT_EQ(GetInstallFolder(registry, "D:\\Savers\\x.scr"), "D:\\Savers");
    registry.Set(HKCU, kUninstallKey, kAppPathValue, std::string("C:\\User\\V3D\\"));
    EXPECT_EQ(GetInstallFolder(registry, "D:\\Savers\\x.scr"), "C:\\User\\V3D\\");  // taken as found
    registry.Set(HKLM, kUninstallKey, kAppPathValue, 5u);                           // wrong type: skipped
    EXPECT_EQ(GetInstallFolder(registry, "D:\\Savers\\x.scr"), "C:\\User\\V3D\\");
    registry.Set(HKLM, kUninstallKey, kAppPathValue, std::string("C:\\Program Files\\V3D"));
    EXPECT_EQ(GetInstallFolder(registry, "D:\\Savers\\x.scr"), "C:\\Program Files\\V3D");
}

}  // namespace
}  // namespace vtl

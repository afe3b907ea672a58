// Saver-password verification through the real registry and stand-in libraries
// loaded by name from a folder, as the program loads the host's. Under Wine the
// change-password test needs WINEBED_EXTRA_OVERRIDES=mpr=n,b (set by the test driver).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/saver/hostservices.h"
#include "platform/files.h"
#include "platform/win32/win32_host.h"
#include "platform/win32/win32_registry.h"

namespace vtl {
namespace {

// The stand-ins lie in bin\standins beside this program.
std::string StandinFolder() {
    auto path = ExecutablePath();
    return path.substr(0, path.find_last_of('\\') + 1) + "standins\\";
}

struct CountingHost : IPasswordHost {
    win32::PasswordHost real;
    int shown = 0, hidden = 0;
    explicit CountingHost(std::string folder) : real(std::move(folder)) {}
    void ShowCursor(bool show) override {
        ++(show ? shown : hidden);
        real.ShowCursor(show);
    }
    std::optional<bool> VerifyScreenSavePwd(std::intptr_t owner) override { return real.VerifyScreenSavePwd(owner); }
};

class SaverPassword : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"ScreenSaveUsePassword");
        RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"ScreenSaverIsSecure");
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        answerFile = std::string(temp) + "vtl-password-answer.txt";
        SetEnvironmentVariableA("VTL_TEST_PASSWORD_FILE", answerFile.c_str());
        _putenv_s("VTL_TEST_PASSWORD_FILE", answerFile.c_str());
        std::remove((answerFile + ".calls").c_str());
    }
    void TearDown() override { SetUp(); }
    void Answer(const char* text) { std::ofstream(answerFile) << text; }
    void SetDword(const wchar_t* name, DWORD value) {
        RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", name, REG_DWORD, &value, sizeof value);
    }
    void SetText(const wchar_t* name, const wchar_t* text) {
        RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", name, REG_SZ, text,
                        static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
    }
    std::string Calls() {
        std::ifstream in(answerFile + ".calls");
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    win32::Win32Registry registry;
    std::string answerFile;
};

TEST_F(SaverPassword, NoFlagMeansNoDialog) {
    CountingHost host(StandinFolder());
    Answer("0");
    EXPECT_TRUE(VerifySaverPassword(registry, host, 0));
    SetText(L"ScreenSaverIsSecure", L"0");
    EXPECT_TRUE(VerifySaverPassword(registry, host, 0));
    EXPECT_EQ(host.shown + host.hidden, 0);
    EXPECT_EQ(Calls(), "");
}

TEST_F(SaverPassword, UsePasswordZeroDecidesOverSecureText) {
    CountingHost host(StandinFolder());
    Answer("0");
    SetDword(L"ScreenSaveUsePassword", 0);
    SetText(L"ScreenSaverIsSecure", L"1");
    EXPECT_TRUE(VerifySaverPassword(registry, host, 0));
    EXPECT_EQ(Calls(), "");
}

TEST_F(SaverPassword, FlagWithoutLibraryAllowsTheEndAndRestoresTheCursor) {
    CountingHost host("C:\\no-such-folder\\");
    SetDword(L"ScreenSaveUsePassword", 1);
    EXPECT_TRUE(VerifySaverPassword(registry, host, 0));
    EXPECT_EQ(host.shown, 1);
    EXPECT_EQ(host.hidden, 1);
}

TEST_F(SaverPassword, TheLibraryDecides) {
    CountingHost host(StandinFolder());
    SetDword(L"ScreenSaveUsePassword", 1);
    Answer("0");
    EXPECT_FALSE(VerifySaverPassword(registry, host, 0x1234));
    Answer("1");
    EXPECT_TRUE(VerifySaverPassword(registry, host, 0x1234));
    EXPECT_EQ(Calls(), "verify owner=set answer=0\nverify owner=set answer=1\n");
    EXPECT_EQ(host.shown, 2);
    EXPECT_EQ(host.hidden, 2);
}

TEST_F(SaverPassword, ChangePasswordGoesToTheHostLibrary) {
    win32::ChangeSaverPassword(reinterpret_cast<HWND>(static_cast<INT_PTR>(4711)), StandinFolder());
    EXPECT_EQ(Calls(), "change provider=SCRSAVE owner=4711 0 0\n");
    win32::ChangeSaverPassword(nullptr, "C:\\no-such-folder\\");  // nothing to call, nothing happens
}

}  // namespace
}  // namespace vtl

// The settings store against the real registry (Wine's, in the test prefix).
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/errors.h"
#include "platform/win32/win32_registry.h"
#include "settings/settingsstore.h"

namespace vtl {
namespace {

// Each test works on a key of its own so a left-over value cannot leak between runs.
class RealRegistry : public ::testing::Test {
protected:
    const std::string key = "Software\\VantorelTest\\Settings";
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VantorelTest"); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VantorelTest"); }
    void SetRaw(const wchar_t* name, DWORD type, const void* data, DWORD size) {
        HKEY k;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\VantorelTest\\Settings", 0, nullptr, 0, KEY_WRITE,
                                  nullptr, &k, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(k, name, 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(k);
    }
    win32::Win32Registry registry;
};

TEST_F(RealRegistry, EmptyHiveGivesDefaultsAndCreatesNoKey) {
    for (const auto& s : kAllSettings) EXPECT_EQ(ReadSettingInt(registry, key, s.name, s.defaultValue), s.defaultValue);
    HKEY k;
    EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\VantorelTest", 0, KEY_READ, &k), ERROR_SUCCESS);
}

TEST_F(RealRegistry, TextAndShortBinaryValuesReadAsDefault) {
    SetRaw(L"Speed", REG_SZ, L"9", 4);
    const unsigned char two[2] = {1, 0};
    SetRaw(L"TimingFPS", REG_BINARY, two, 2);
    EXPECT_EQ(ReadSettingInt(registry, key, "Speed", 6), 6);
    EXPECT_EQ(ReadSettingInt(registry, key, "TimingFPS", 50), 50);
}

TEST_F(RealRegistry, BooleansReadFromTheLowByte) {
    const DWORD two = 2, big = 256;
    SetRaw(L"ShowFPS", REG_DWORD, &two, 4);
    SetRaw(L"ShowGlasses", REG_DWORD, &big, 4);
    EXPECT_TRUE(IsOn(ReadSettingInt(registry, key, "ShowFPS", 0)));
    EXPECT_FALSE(IsOn(ReadSettingInt(registry, key, "ShowGlasses", 1)));
}

TEST_F(RealRegistry, WriteCreatesParentsAndStoresDword) {
    WriteSettingInt(registry, key, "VideoMode", -1);
    HKEY k;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\VantorelTest\\Settings", 0, KEY_READ, &k), ERROR_SUCCESS);
    DWORD type = 0, value = 0, size = 4;
    EXPECT_EQ(RegQueryValueExW(k, L"VideoMode", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size), ERROR_SUCCESS);
    RegCloseKey(k);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(value, 0xFFFFFFFFu);
    EXPECT_EQ(ReadSettingInt(registry, key, "VideoMode", 0), -1);
}

TEST_F(RealRegistry, FailingWriteNamesTheValue) {
    // The registry refuses a key name longer than 255 characters.
    try {
        WriteSettingInt(registry, "Software\\VantorelTest\\" + std::string(300, 'k'), "TimingFPS", 1);
        FAIL() << "write succeeded";
    } catch (const ERegistryException& e) {
        EXPECT_STREQ(e.what(), "Failed to set data for 'TimingFPS'");
    }
}

}  // namespace
}  // namespace vtl

#pragma once
// The registry seam's rules, as the settings store relies on them, written once and held
// against every store: the in-memory FakeRegistry, the hack's MemorySettingsStore and the
// real Windows registry. A test program instantiates the suite for the stores it can
// reach:
//
//   INSTANTIATE_TYPED_TEST_SUITE_P(Fake, RegistryContract, FakeStoreHarness);
//
// A harness owns one store and works on a key path of its own (Base()), empty at the
// start and removed when the harness goes. It says what its store can be made to do:
//   kHoldsOtherTypes   values that are not DWORDs can lie in the store
//   kCanRefuse         a key can be made to refuse writes
// and offers, where that is true, PlantString / PlantBinary (a value of another type
// written behind the seam's back) and Refuse (the key exists and refuses writes from
// now on). StoredDword reads a value behind the seam's back where the harness can.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/registry.h"
#include "settings/settingsstore.h"

namespace vtl::contract {

template <typename Harness>
class RegistryContract : public ::testing::Test {
protected:
    IRegistry& Store() { return harness_.Store(); }
    std::string Key(const std::string& below = "") const {
        return below.empty() ? harness_.Base() : harness_.Base() + "\\" + below;
    }
    bool Exists(const std::string& path) { return Store().OpenKey(RegistryRoot::CurrentUser, path) != nullptr; }

    Harness harness_;
};

TYPED_TEST_SUITE_P(RegistryContract);

TYPED_TEST_P(RegistryContract, AMissingKeyGivesNothingAndReadingCreatesNothing) {
    const std::string settings = this->Key("Settings");
    EXPECT_FALSE(this->Exists(settings));
    for (const auto& s : kAllSettings)
        EXPECT_EQ(ReadSettingInt(this->Store(), settings, s.name, s.defaultValue), s.defaultValue) << s.name;
    // Neither the key nor any parent came into being by being looked for.
    EXPECT_FALSE(this->Exists(settings));
    EXPECT_FALSE(this->Exists(this->Key()));
    // A key under the current user is not one under the machine.
    auto made = this->Store().CreateKey(RegistryRoot::CurrentUser, settings);
    ASSERT_TRUE(made);
    ASSERT_TRUE(made->WriteDword("Speed", 9));
    EXPECT_FALSE(this->Store().OpenKey(RegistryRoot::LocalMachine, settings));
    // A missing value of an existing key gives nothing either.
    auto opened = this->Store().OpenKey(RegistryRoot::CurrentUser, settings);
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->KindOf("TimingFPS"), ValueKind::Missing);
    EXPECT_FALSE(opened->ReadDword("TimingFPS"));
    EXPECT_EQ(ReadSettingInt(this->Store(), settings, "TimingFPS", 50), 50);
}

TYPED_TEST_P(RegistryContract, AValueOfAnotherTypeReadsAsNoDword) {
    if constexpr (!TypeParam::kHoldsOtherTypes) {
        GTEST_SKIP() << TypeParam::kWhyNoOtherTypes;
    } else {
        const std::string settings = this->Key("Settings");
        this->harness_.PlantString(settings, "Speed", "9");
        this->harness_.PlantBinary(settings, "TimingFPS", {1, 0});
        // Four bytes, the size of a DWORD, are still not one.
        this->harness_.PlantBinary(settings, "VideoMode", {3, 0, 0, 0});
        auto key = this->Store().OpenKey(RegistryRoot::CurrentUser, settings);
        ASSERT_TRUE(key);
        EXPECT_EQ(key->KindOf("Speed"), ValueKind::String);
        EXPECT_EQ(key->ReadString("Speed"), std::optional<std::string>("9"));
        for (const char* name : {"Speed", "TimingFPS", "VideoMode"}) {
            EXPECT_FALSE(key->ReadDword(name)) << name;
            EXPECT_NE(key->KindOf(name), ValueKind::Dword) << name;
        }
        EXPECT_EQ(key->KindOf("TimingFPS"), ValueKind::Other);
        EXPECT_EQ(ReadSettingInt(this->Store(), settings, "Speed", 6), 6);
        EXPECT_EQ(ReadSettingInt(this->Store(), settings, "TimingFPS", 50), 50);
        EXPECT_EQ(ReadSettingInt(this->Store(), settings, "VideoMode", 0), 0);
        // A DWORD written over a value of another type replaces it.
        auto writable = this->Store().CreateKey(RegistryRoot::CurrentUser, settings);
        ASSERT_TRUE(writable);
        ASSERT_TRUE(writable->WriteDword("Speed", 11));
        EXPECT_EQ(ReadSettingInt(this->Store(), settings, "Speed", 6), 11);
    }
}

TYPED_TEST_P(RegistryContract, KeyAndValueNamesAreCaseInsensitive) {
    auto key = this->Store().CreateKey(RegistryRoot::CurrentUser, this->Key("Settings"));
    ASSERT_TRUE(key);
    ASSERT_TRUE(key->WriteDword("VideoMode", 3));
    std::string shouting = this->Key("SETTINGS");
    for (char& c : shouting) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    auto again = this->Store().OpenKey(RegistryRoot::CurrentUser, shouting);
    ASSERT_TRUE(again) << shouting;
    for (const char* name : {"VideoMode", "videomode", "VIDEOMODE", "vIdEoMoDe"}) {
        EXPECT_EQ(again->ReadDword(name), std::optional<std::uint32_t>(3)) << name;
        EXPECT_EQ(again->KindOf(name), ValueKind::Dword) << name;
    }
    // A write under another spelling replaces the value; it does not add a second one.
    auto writable = this->Store().CreateKey(RegistryRoot::CurrentUser, shouting);
    ASSERT_TRUE(writable);
    ASSERT_TRUE(writable->WriteDword("VIDEOMODE", 4));
    EXPECT_EQ(ReadSettingInt(this->Store(), this->Key("Settings"), "VideoMode", 0), 4);
}

TYPED_TEST_P(RegistryContract, CreatingAKeyMakesEveryMissingParent) {
    const std::string deep = this->Key("a\\b\\c");
    {
        auto key = this->Store().CreateKey(RegistryRoot::CurrentUser, deep);
        ASSERT_TRUE(key);
        ASSERT_TRUE(key->WriteDword("Speed", 11));
    }
    for (const std::string& path : {this->Key(), this->Key("a"), this->Key("a\\b"), deep})
        EXPECT_TRUE(this->Exists(path)) << path;
    EXPECT_EQ(ReadSettingInt(this->Store(), deep, "Speed", 6), 11);
    // The settings writer does the same for a key that is not there yet.
    WriteSettingInt(this->Store(), this->Key("x\\y"), "ShowFPS", 1);
    EXPECT_TRUE(this->Exists(this->Key("x")));
    EXPECT_EQ(ReadSettingInt(this->Store(), this->Key("x\\y"), "ShowFPS", 0), 1);
    // Creating a key that exists opens it with its values.
    auto existing = this->Store().CreateKey(RegistryRoot::CurrentUser, deep);
    ASSERT_TRUE(existing);
    EXPECT_EQ(existing->ReadDword("Speed"), std::optional<std::uint32_t>(11));
}

TYPED_TEST_P(RegistryContract, EveryDwordRoundTrips) {
    const std::string settings = this->Key("Settings");
    const std::uint32_t values[] = {0, 1, 2, 255, 256, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFEu, 0xFFFFFFFFu};
    for (std::uint32_t value : values) {
        {
            auto key = this->Store().CreateKey(RegistryRoot::CurrentUser, settings);
            ASSERT_TRUE(key);
            ASSERT_TRUE(key->WriteDword("Value", value)) << value;
        }
        auto key = this->Store().OpenKey(RegistryRoot::CurrentUser, settings);
        ASSERT_TRUE(key);
        EXPECT_EQ(key->ReadDword("Value"), std::optional<std::uint32_t>(value));
        EXPECT_EQ(key->KindOf("Value"), ValueKind::Dword);
        EXPECT_EQ(this->harness_.StoredDword(settings, "Value"), std::optional<std::uint32_t>(value));
    }
    // Signed settings go through the same 32 bits: -1 is stored as 0xFFFFFFFF.
    WriteSettingInt(this->Store(), settings, "VideoMode", -1);
    EXPECT_EQ(ReadSettingInt(this->Store(), settings, "VideoMode", 0), -1);
    EXPECT_EQ(this->harness_.StoredDword(settings, "VideoMode"), std::optional<std::uint32_t>(0xFFFFFFFFu));
    WriteSettingInt(this->Store(), settings, "Speed", INT32_MIN);
    EXPECT_EQ(ReadSettingInt(this->Store(), settings, "Speed", 6), INT32_MIN);
}

TYPED_TEST_P(RegistryContract, BooleansLookAtTheLowEightBits) {
    const std::string settings = this->Key("Settings");
    struct {
        std::uint32_t stored;
        bool on;
    } cases[] = {{0, false},           {1, true},          {2, true}, {256, false}, {257, true},
                 {0xFFFFFF00u, false}, {0xFFFFFFFFu, true}};
    auto key = this->Store().CreateKey(RegistryRoot::CurrentUser, settings);
    ASSERT_TRUE(key);
    for (const auto& c : cases) {
        ASSERT_TRUE(key->WriteDword("ShowFPS", c.stored));
        EXPECT_EQ(IsOn(ReadSettingInt(this->Store(), settings, "ShowFPS", 0)), c.on) << c.stored;
    }
}

TYPED_TEST_P(RegistryContract, ARefusedWriteIsReportedAndStoresNothing) {
    if constexpr (!TypeParam::kCanRefuse) {
        GTEST_SKIP() << TypeParam::kWhyNoRefusal;
    } else {
        const std::string settings = this->Key("Settings");
        {
            auto key = this->Store().CreateKey(RegistryRoot::CurrentUser, settings);
            ASSERT_TRUE(key);
            ASSERT_TRUE(key->WriteDword("Speed", 3));
        }
        this->harness_.Refuse(settings);
        // Reading a refusing key still works.
        EXPECT_EQ(ReadSettingInt(this->Store(), settings, "Speed", 6), 3);
        // The key cannot be had for writing.
        EXPECT_FALSE(this->Store().CreateKey(RegistryRoot::CurrentUser, settings));
        try {
            WriteSettingInt(this->Store(), settings, "ShowGlasses", 1);
            ADD_FAILURE() << "no error";
        } catch (const ERegistryException& e) {
            EXPECT_STREQ(e.what(), "Failed to set data for 'ShowGlasses'");
            EXPECT_STREQ(e.TypeName(), "ERegistryException");
        }
        EXPECT_EQ(ReadSettingInt(this->Store(), settings, "Speed", 6), 3);
        EXPECT_EQ(ReadSettingInt(this->Store(), settings, "ShowGlasses", 7), 7);
    }
}

REGISTER_TYPED_TEST_SUITE_P(RegistryContract, AMissingKeyGivesNothingAndReadingCreatesNothing,
                            AValueOfAnotherTypeReadsAsNoDword, KeyAndValueNamesAreCaseInsensitive,
                            CreatingAKeyMakesEveryMissingParent, EveryDwordRoundTrips, BooleansLookAtTheLowEightBits,
                            ARefusedWriteIsReportedAndStoresNothing);

}  // namespace vtl::contract

// The guard that keeps the product a program every supported Windows can start:
// 32-bit, the right subsystem and version, and imports only from DLLs that every
// supported Windows ships. Reads the Windows tree named by VTL_PRODUCT_BIN.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "shipcheck/pe_image.h"

namespace vtl::shipcheck {
namespace {

namespace fs = std::filesystem;

// The oldest Windows the build supports, as README states it.
constexpr std::uint16_t kOldestMajor = 6, kOldestMinor = 1;
constexpr const char* kOldestName = "Windows 7";

// DLLs that Windows 7 and every later Windows ship in the system folder, 32-bit.
const std::set<std::string> kSystemDlls = {
    "advapi32.dll", "comctl32.dll", "gdi32.dll",   "kernel32.dll", "msvcrt.dll",
    "ole32.dll",    "oleaut32.dll", "shell32.dll", "user32.dll",   "winmm.dll",
};

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

fs::path ProductBin() {
    const char* bin = std::getenv("VTL_PRODUCT_BIN");
    return bin ? fs::path(bin) : fs::path();
}

PeImage Read(const fs::path& file) {
    std::string error;
    const auto image = ReadPeImage(file.string(), error);
    if (!image) ADD_FAILURE() << file << ": " << error;
    return image.value_or(PeImage{});
}

TEST(ShippedBinaries, EveryWindowsBinaryIs32Bit) {
    const fs::path bin = ProductBin();
    ASSERT_FALSE(bin.empty()) << "VTL_PRODUCT_BIN is not set";
    ASSERT_TRUE(fs::is_directory(bin)) << bin;
    int seen = 0;
    for (const auto& entry : fs::recursive_directory_iterator(bin)) {
        const std::string ext = Lower(entry.path().extension().string());
        if (!entry.is_regular_file() || (ext != ".exe" && ext != ".dll" && ext != ".scr" && ext != ".cpl")) continue;
        const PeImage image = Read(entry.path());
        EXPECT_EQ(image.machine, kMachineI386) << entry.path() << " is not an i386 program";
        EXPECT_FALSE(image.pe32Plus) << entry.path();
        ++seen;
    }
    EXPECT_GE(seen, 4) << "the Windows tree holds fewer programs than it should";
}

TEST(ShippedBinaries, SaverAndLoaderStartOnTheOldestSupportedWindows) {
    const fs::path bin = ProductBin();
    ASSERT_FALSE(bin.empty()) << "VTL_PRODUCT_BIN is not set";
    struct {
        const char* file;
        bool dll;
        std::set<std::string> extraDlls;
    } shipped[] = {
        {"vtl3d.scr", false, {}},
        // The texture loader decodes pictures through the Windows Imaging Component.
        {"d3d8ex.dll", true, {"windowscodecs.dll"}},
    };
    for (const auto& s : shipped) {
        SCOPED_TRACE(s.file);
        const PeImage image = Read(bin / s.file);
        EXPECT_EQ(image.machine, kMachineI386);
        EXPECT_EQ(image.subsystem, kSubsystemGui) << "a console window would open with the saver";
        EXPECT_EQ(image.subsystemMajor, kOldestMajor);
        EXPECT_EQ(image.subsystemMinor, kOldestMinor);
        EXPECT_EQ(image.osMajor, kOldestMajor);
        EXPECT_EQ(image.osMinor, kOldestMinor);
        EXPECT_EQ((image.characteristics & kDll) != 0, s.dll);
        if (!s.dll) {
            EXPECT_TRUE(image.characteristics & kLargeAddressAware);
        }
        EXPECT_FALSE(image.imports.empty());
        for (const auto& dll : image.imports) {
            const std::string name = Lower(dll);
            EXPECT_TRUE(kSystemDlls.count(name) || s.extraDlls.count(name))
                << "imports " << dll << ", which not every supported Windows ships";
        }
    }
}

// Users get the programs without their debug information (several megabytes of it);
// it is kept beside the build, under .debug/, for crash reports.
TEST(ShippedBinaries, NoShippedBinaryCarriesDebugInformation) {
    const fs::path bin = ProductBin();
    ASSERT_FALSE(bin.empty()) << "VTL_PRODUCT_BIN is not set";
    for (const char* file : {"vtl3d.scr", "d3d8ex.dll", "vtl3d-setup.exe"}) {
        SCOPED_TRACE(file);
        if (!fs::exists(bin / file) && std::string(file) == "vtl3d-setup.exe") continue;  // makensis missing
        const PeImage image = Read(bin / file);
        EXPECT_FALSE(image.sections.empty());
        for (const std::string& section : image.sections)
            EXPECT_NE(section.rfind(".debug", 0), 0u) << file << " carries " << section;
        if (std::string(file) != "vtl3d-setup.exe") {
            const fs::path debugFile = bin / ".debug" / (std::string(file) + ".debug");
            EXPECT_TRUE(fs::exists(debugFile)) << "no debug file " << debugFile << " kept for crash reports";
            EXPECT_NE(std::find(image.sections.begin(), image.sections.end(), ".gnu_debuglink"), image.sections.end())
                << "no link to its debug file";
        }
    }
}

TEST(ShippedBinaries, InstallerIs32Bit) {
    const fs::path setup = ProductBin() / "vtl3d-setup.exe";
    if (!fs::exists(setup)) GTEST_SKIP() << "no installer in this tree (makensis missing)";
    const PeImage image = Read(setup);
    EXPECT_EQ(image.machine, kMachineI386);
    EXPECT_EQ(image.subsystem, kSubsystemGui);
}

TEST(ShippedBinaries, ReadmeStatesTheOldestSupportedWindows) {
    std::ifstream readme(fs::path(VTL_SOURCE_DIR) / "README.md");
    std::stringstream text;
    text << readme.rdbuf();
    std::ostringstream expected;
    expected << kOldestName << " (" << kOldestMajor << "." << kOldestMinor << ")";
    EXPECT_NE(text.str().find(expected.str()), std::string::npos) << "README does not say \"" << expected.str() << "\"";
}

}  // namespace
}  // namespace vtl::shipcheck

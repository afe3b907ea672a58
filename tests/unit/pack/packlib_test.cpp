#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "pack/packlib.h"
#include "platform/errors.h"
#include "unit/pack/packbytes.h"

namespace vtl {
namespace {

namespace fs = std::filesystem;
using test::PackBytes;
using test::ReadWhole;
using Files = std::map<std::string, std::string>;

class TempDir {
public:
    TempDir() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("vtl_pack_") + info->test_suite_name() + "_" + info->name();
        std::replace(name.begin(), name.end(), '/', '_');
        path_ = fs::temp_directory_path() / name;
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path_, ec);
    }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    std::string str() const { return path_.string(); }

private:
    fs::path path_;
};

// Every regular file directly in folder with its contents; empty when it is missing.
Files FilesIn(const std::string& folder) {
    Files files;
    if (!fs::is_directory(folder)) return files;
    for (const auto& e : fs::directory_iterator(folder))
        files[e.path().filename().string()] = e.is_regular_file() ? ReadWhole(e.path().string()) : "<folder>";
    return files;
}

struct ExtractCase {
    const char* what;
    PackBytes pack;
    std::int32_t result;
    Files files;  // what the target folder holds afterwards
    bool folderCreated;
};

class ExtractPackTest : public ::testing::TestWithParam<ExtractCase> {};

TEST_P(ExtractPackTest, ResultAndFiles) {
    const auto& c = GetParam();
    TempDir dir;
    const std::string pack = dir / "p.pak";
    const std::string target = dir / "out";
    c.pack.WriteTo(pack);
    EXPECT_EQ(ExtractPack(pack, target), c.result) << c.what;
    EXPECT_EQ(fs::is_directory(target), c.folderCreated) << c.what;
    EXPECT_EQ(FilesIn(target), c.files) << c.what;
}

std::string Big(std::size_t n) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>(i * 7 + i / 251);
    return s;
}

INSTANTIATE_TEST_SUITE_P(
    Packs, ExtractPackTest,
    ::testing::Values(
        ExtractCase{"no entries", PackBytes().Header(0), 0, {}, true},
        ExtractCase{"negative count", PackBytes().Header(-5), 0, {}, true},
        ExtractCase{"two entries of 3 and 5 bytes",
                    PackBytes::Of({{"a.txt", "abc"}, {"b.bin", "12345"}}),
                    2,
                    {{"a.txt", "abc"}, {"b.bin", "12345"}},
                    true},
        ExtractCase{"reserved bytes are not read",
                    PackBytes().Header(1, "VOXAPACK", 1, 0xEE).Entry("r", 2).Text("xy"),
                    1,
                    {{"r", "xy"}},
                    true},
        ExtractCase{"empty entry takes no bytes",
                    PackBytes().Header(3).Entry("e", 0).Entry("f", 2).Entry("g", 0).Text("hi"),
                    3,
                    {{"e", ""}, {"f", "hi"}, {"g", ""}},
                    true},
        ExtractCase{"same name twice: the later wins, both count",
                    PackBytes::Of({{"d.txt", "first"}, {"d.txt", "second"}}),
                    2,
                    {{"d.txt", "second"}},
                    true},
        ExtractCase{"bytes after the last entry are ignored",
                    PackBytes::Of({{"t", "ok"}}).Text("trailing"),
                    1,
                    {{"t", "ok"}},
                    true},
        ExtractCase{"entries larger than the copy buffer",
                    PackBytes::Of({{"big1", Big(61440 * 2 + 1)}, {"big2", Big(61439)}, {"small", "s"}}),
                    3,
                    {{"big1", Big(61440 * 2 + 1)}, {"big2", Big(61439)}, {"small", "s"}},
                    true},
        ExtractCase{"name of 27 characters",
                    PackBytes::Of({{std::string(27, 'n'), "z"}}),
                    1,
                    {{std::string(27, 'n'), "z"}},
                    true},
        ExtractCase{"name bytes past the length are ignored",
                    PackBytes().Header(1).Entry("keep.txt-and-junk", 1, 8).Text("k"),
                    1,
                    {{"keep.txt", "k"}},
                    true},
        // Refused before anything is created.
        ExtractCase{"lower-case magic", PackBytes().Header(1, "voxapack").Entry("a", 1).Text("1"), -1, {}, false},
        ExtractCase{"zero byte inside the magic", PackBytes().Header(0, "VOXA\0ACK"), -1, {}, false},
        ExtractCase{"version 2", PackBytes().Header(0, "VOXAPACK", 2), 0, {}, false},
        ExtractCase{"empty file", PackBytes(), -1, {}, false},
        ExtractCase{"5 bytes", PackBytes().Text("VOXAP"), -1, {}, false},
        ExtractCase{"magic only", PackBytes().Text("VOXAPACK"), 0, {}, false},
        ExtractCase{"header without the count", PackBytes().Text("VOXAPACK").I32(1), 0, {}, false},
        ExtractCase{"header without reserved bytes", PackBytes().Text("VOXAPACK").I32(1).I32(0).Fill(4), 0, {}, false},
        ExtractCase{
            "name length above 27", PackBytes().Header(2).Entry("ok", 1).Entry("x", 1, 28).Text("ab"), -1, {}, false},
        ExtractCase{"directory cut short", PackBytes().Header(2).Entry("a", 0).Fill(31), -1, {}, false},
        ExtractCase{"count far beyond the file", PackBytes().Header(0x7fffffff).Entry("a", 0), -1, {}, false},
        ExtractCase{
            "negative entry size", PackBytes().Header(2).Entry("a", 1).Entry("b", -1).Text("a"), -1, {}, false}));

// Errors raised part-way keep the files written before them.
struct FailCase {
    const char* what;
    PackBytes pack;
    const char* errorType;
    std::string badName;  // the message names target + separator + this
    Files files;
};

class ExtractPackFailTest : public ::testing::TestWithParam<FailCase> {};

TEST_P(ExtractPackFailTest, RaisesAndKeepsEarlierFiles) {
    const auto& c = GetParam();
    TempDir dir;
    const std::string pack = dir / "p.pak";
    const std::string target = dir / "out";
    c.pack.WriteTo(pack);
    try {
        ExtractPack(pack, target);
        ADD_FAILURE() << c.what << ": no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.TypeName(), c.errorType) << c.what;
        if (std::string(c.errorType) == "EFCreateError")
            EXPECT_EQ(std::string(e.what()), "Cannot create file " + target + kPathSeparator + c.badName) << c.what;
        else
            EXPECT_STREQ(e.what(), "Stream read error") << c.what;
    }
    EXPECT_EQ(FilesIn(target), c.files) << c.what;
    // Nothing may escape the target folder, whatever the name said.
    for (const auto& e : fs::directory_iterator(dir.str())) {
        const auto n = e.path().filename().string();
        EXPECT_TRUE(n == "p.pak" || n == "out") << c.what << ": " << n;
    }
}

FailCase BadName(const char* what, const std::string& name) {
    return FailCase{what,
                    PackBytes::Of({{"first.txt", "1"}, {name, "evil"}, {"last.txt", "3"}}),
                    "EFCreateError",
                    name,
                    {{"first.txt", "1"}}};
}

INSTANTIATE_TEST_SUITE_P(
    Packs, ExtractPackFailTest,
    ::testing::Values(BadName("empty name", ""), BadName("backslash", "..\\up.txt"), BadName("slash", "../up.txt"),
                      BadName("slash inside", "sub/x.txt"), BadName("absolute", "/etc"), BadName("drive", "C:x.txt"),
                      BadName("stream", "a.txt:alt"), BadName("dot", "."), BadName("dot dot", ".."),
                      BadName("newline", "a\nb"), BadName("tab", "a\tb"), BadName("escape", "\x1b"),
                      BadName("wildcard", "*.txt"), BadName("quote", "a\"b"), BadName("device", "CON"),
                      BadName("device lower case", "nul"), BadName("device with extension", "Con.txt"),
                      BadName("device with two extensions", "aux.tar.gz"), BadName("device before a blank", "PRN .txt"),
                      BadName("serial port", "COM1"), BadName("printer port", "lpt9.log"),
                      BadName("console input", "CONIN$"), BadName("trailing dot", "x."),
                      BadName("trailing blank", "x "),
                      FailCase{"sizes run past the end",
                               PackBytes().Header(3).Entry("a", 2).Entry("b", 10).Entry("c", 1).Text("aa").Text("bbbb"),
                               "EReadError",
                               "",
                               {{"a", "aa"}, {"b", "bbbb"}}},
                      FailCase{"short entry larger than the buffer",
                               PackBytes().Header(1).Entry("big", 200000).Text(Big(100000)),
                               "EReadError",
                               "",
                               {{"big", Big(100000)}}}));

TEST(IsPlainFileName, KeepsOrdinaryNames) {
    for (const char* name : {"qv_skull.msh", "envtex01.jpg", "a", ".hidden", "CONSOLE.txt", "COM10", "LPT0", "nul_",
                             "x.con", "a b.wav", "tilde~1.txt", "\xe9t\xe9.bmp"})
        EXPECT_TRUE(IsPlainFileName(name)) << name;
}

TEST(ExtractPackErrors, MissingPackRaisesOpenErrorAndCreatesNothing) {
    TempDir dir;
    try {
        ExtractPack(dir / "none.pak", dir / "out");
        FAIL() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file " + (dir / "none.pak"));
    }
    EXPECT_FALSE(fs::exists(dir / "out"));
}

TEST(ExtractPackErrors, PackHeldOpenExclusivelyCannotBeOpened) {
    TempDir dir;
    PackBytes::Of({{"a", "1"}}).WriteTo(dir / "p.pak");
    FileHandle holder = OpenFileExclusive(dir / "p.pak");
    ASSERT_TRUE(holder);
    EXPECT_THROW(ExtractPack(dir / "p.pak", dir / "out"), EFOpenError);
    holder.Close();
    EXPECT_EQ(ExtractPack(dir / "p.pak", dir / "out"), 1);
}

TEST(ExtractPackErrors, EmptyTargetFolderCannotBeCreated) {
    TempDir dir;
    PackBytes::Of({{"a", "1"}}).WriteTo(dir / "p.pak");
    try {
        ExtractPack(dir / "p.pak", "");
        FAIL() << "no error";
    } catch (const EInOutError& e) {
        EXPECT_STREQ(e.what(), "Unable to create directory");
    }
    // The pack is closed on the way out.
    EXPECT_TRUE(OpenFileExclusive(dir / "p.pak"));
}

TEST(ExtractPackErrors, FolderInTheWayOfAnEntryRaisesCreateError) {
    TempDir dir;
    PackBytes::Of({{"a", "1"}, {"sub", "2"}}).WriteTo(dir / "p.pak");
    fs::create_directories(dir / "out/sub");
    EXPECT_THROW(ExtractPack(dir / "p.pak", dir / "out"), EFCreateError);
    EXPECT_EQ(ReadWhole(dir / "out/a"), "1");
    EXPECT_TRUE(OpenFileExclusive(dir / "p.pak"));
}

TEST(ExtractPack, CreatesMissingParentsAndReplacesExistingFiles) {
    TempDir dir;
    PackBytes::Of({{"a", "new"}}).WriteTo(dir / "p.pak");
    const std::string target = JoinPath(JoinPath(dir / "x", "y"), "z");
    EXPECT_EQ(ExtractPack(dir / "p.pak", target + kPathSeparator), 1);
    EXPECT_EQ(ReadWhole(JoinPath(target, "a")), "new");
    test::PackBytes().Text(std::string(1000, 'o')).WriteTo(JoinPath(target, "a"));
    EXPECT_EQ(ExtractPack(dir / "p.pak", target), 1);
    EXPECT_EQ(ReadWhole(JoinPath(target, "a")), "new");
}

#ifndef _WIN32
TEST(ExtractPack, NeverWritesThroughAPlantedLink) {
    TempDir dir;
    PackBytes::Of({{"victim", "pack data"}}).WriteTo(dir / "p.pak");
    fs::create_directories(dir / "out");
    test::PackBytes().Text("precious").WriteTo(dir / "precious");
    fs::create_symlink(dir / "precious", dir / "out/victim");
    EXPECT_EQ(ExtractPack(dir / "p.pak", dir / "out"), 1);
    EXPECT_EQ(ReadWhole(dir / "precious"), "precious");
    EXPECT_FALSE(fs::is_symlink(dir / "out/victim"));
    EXPECT_EQ(ReadWhole(dir / "out/victim"), "pack data");
}
#endif

// Names are stored as code-page bytes: two names that differ only above 0x7F are two
// files, whatever the system makes of the bytes.
TEST(ExtractPack, CodePageNamesThatDifferAboveAsciiAreTwoFiles) {
    TempDir dir;
    PackBytes::Of({{"a\xe9.txt", "first"}, {"a\xe8.txt", "second!"}}).WriteTo(dir / "p.pak");
    EXPECT_EQ(ExtractPack(dir / "p.pak", dir / "out"), 2);
    std::vector<std::uintmax_t> sizes;
    for (const auto& e : fs::directory_iterator(dir / "out")) sizes.push_back(e.file_size());
    std::sort(sizes.begin(), sizes.end());
    EXPECT_EQ(sizes, (std::vector<std::uintmax_t>{5, 7}));
#ifndef _WIN32
    EXPECT_EQ(ReadWhole(dir / "out/a\xc3\xa9.txt"), "first");    // é
    EXPECT_EQ(ReadWhole(dir / "out/a\xc3\xa8.txt"), "second!");  // è
#endif
}

#ifndef _WIN32
TEST(NameFromCodePage, EveryByteIsACharacterOfItsOwn) {
    const std::pair<std::string, std::string> cases[] = {
        {"Near1.wav", "Near1.wav"},
        {"\x80", "\xe2\x82\xac"},          // euro sign
        {"\x81\x8d", "\xc2\x81\xc2\x8d"},  // undefined in the code page: kept as themselves
        {"\x9f", "\xc5\xb8"},              // Y with diaeresis
        {"caf\xe9", "caf\xc3\xa9"},
        {"\xff", "\xc3\xbf"},
        {"", ""},
    };
    for (const auto& [bytes, utf8] : cases) EXPECT_EQ(NameFromCodePage(bytes), utf8) << bytes;
}

TEST(ClearFolder, ALinkAtTheFolderNameGoesAndWhatItPointsToStays) {
    TempDir dir;
    fs::create_directories(dir / "elsewhere");
    PackBytes().Text("precious").WriteTo(dir / "elsewhere/precious");
    fs::create_directory_symlink(dir / "elsewhere", dir / "s");
    EXPECT_EQ(ClearFolder(dir / "s"), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir / "s")));
    EXPECT_EQ(ReadWhole(dir / "elsewhere/precious"), "precious");
}

#endif

TEST(ClearFolder, DeletesFilesCountsEveryNameAndKeepsAFolderThatIsNotEmpty) {
    TempDir dir;
    const std::string folder = dir / "s";
    fs::create_directories(JoinPath(folder, "sub"));
    for (const char* name : {"a.jpg", ".hidden", "c"}) PackBytes().Text(name).WriteTo(JoinPath(folder, name));
    PackBytes().Text("inner").WriteTo(JoinPath(JoinPath(folder, "sub"), "inner"));
    EXPECT_EQ(ClearFolder(folder), 4);
    EXPECT_EQ(FilesIn(folder), (Files{{"sub", "<folder>"}}));
    EXPECT_EQ(ClearFolder(folder), 1);  // the sub-folder is counted again and kept
}

TEST(ClearFolder, AnEmptyNameClearsNothing) {
    TempDir dir;
    const fs::path previous = fs::current_path();
    fs::current_path(dir.str());
    PackBytes().Text("keep").WriteTo("keep");
    EXPECT_EQ(ClearFolder(""), 0);
    EXPECT_TRUE(fs::exists("keep"));
    fs::current_path(previous);
}

TEST(ClearFolder, RemovesTheFolderOnceEmptyAndAnswersZeroWhenMissing) {
    TempDir dir;
    const std::string folder = dir / "s";
    fs::create_directories(folder);
    PackBytes().Text("x").WriteTo(JoinPath(folder, "x"));
    EXPECT_EQ(ClearFolder(folder), 1);
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_EQ(ClearFolder(folder), 0);
}

class FakeFolders : public IHostFolders {
public:
    FakeFolders(std::string install, std::string temp) : install_(std::move(install)), temp_(std::move(temp)) {}
    std::string InstallFolder() override { return install_; }
    std::string TempFolder() override { return temp_; }

private:
    std::string install_, temp_;
};

struct UnpackCase {
    const char* what;
    bool installKnown;
    bool packInInstall;
    std::string expected;  // contents of the one entry that lands in the scratch folder
};

class UnpackToTempTest : public ::testing::TestWithParam<UnpackCase> {};

TEST_P(UnpackToTempTest, FindsThePackAndUnpacksIt) {
    const auto& c = GetParam();
    TempDir dir;
    fs::create_directories(dir / "install");
    fs::create_directories(dir / "program");
    fs::create_directories(dir / "temp");
    if (c.packInInstall) PackBytes::Of({{"asset", "from install"}}).WriteTo(JoinPath(dir / "install", "s.pak"));
    PackBytes::Of({{"asset", "from program"}}).WriteTo(JoinPath(dir / "program", "s.pak"));
    FakeFolders folders(c.installKnown ? dir / "install" : "", (dir / "temp") + kPathSeparator);

    const std::string scratch = UnpackToTemp("s.pak", folders, dir / "program");
    EXPECT_EQ(ReadWhole(JoinPath(scratch, "asset")), c.expected) << c.what;
    EXPECT_EQ(fs::path(scratch).filename().string(), "qvtmptxt.$$$");
    EXPECT_EQ(scratch.rfind(dir / "temp", 0), 0u) << scratch;
    EXPECT_EQ(ClearFolder(scratch), 1);
    EXPECT_FALSE(fs::exists(scratch));
}

INSTANTIATE_TEST_SUITE_P(Lookups, UnpackToTempTest,
                         ::testing::Values(UnpackCase{"pack in the install folder", true, true, "from install"},
                                           UnpackCase{"install folder unknown", false, true, "from program"},
                                           UnpackCase{"pack missing in the install folder", true, false,
                                                      "from program"}));

TEST(UnpackToTemp, APackCutShortRaisesAndLeavesNoScratchFolder) {
    TempDir dir;
    fs::create_directories(dir / "program");
    PackBytes::Of({{"first", "written"}, {"second", std::string(500, 'x')}}).Cut(100).WriteTo(dir / "program/s.pak");
    FakeFolders folders("", dir.str() + kPathSeparator);
    EXPECT_THROW(UnpackToTemp("s.pak", folders, dir / "program"), EReadError);
    EXPECT_FALSE(fs::exists(ScratchFolder(folders))) << "the first entry's file was left behind";
}

TEST(UnpackToTemp, PackFoundNowhereRaisesOpenErrorForTheProgramFolder) {
    TempDir dir;
    FakeFolders folders(dir.str(), dir.str());  // no trailing separator: one is added
    try {
        UnpackToTemp("vtl3d.pak", folders, dir / "program");
        FAIL() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file " + JoinPath(dir / "program", "vtl3d.pak"));
    }
}

#ifndef _WIN32
TEST(UnpackToTemp, ALinkPlantedAtTheScratchNameIsNotFollowed) {
    TempDir dir;
    fs::create_directories(dir / "program");
    fs::create_directories(dir / "elsewhere");
    PackBytes().Text("precious").WriteTo(dir / "elsewhere/precious");
    PackBytes::Of({{"asset", "from program"}}).WriteTo(dir / "program/s.pak");
    FakeFolders folders("", dir.str() + "/");
    const std::string scratch = ScratchFolder(folders);
    fs::create_directory_symlink(dir / "elsewhere", scratch);

    EXPECT_EQ(UnpackToTemp("s.pak", folders, dir / "program"), scratch);
    EXPECT_FALSE(fs::is_symlink(scratch));
    EXPECT_EQ(ReadWhole(JoinPath(scratch, "asset")), "from program");
    EXPECT_EQ(FilesIn(dir / "elsewhere"), (Files{{"precious", "precious"}}));
    ClearFolder(scratch);
}
#endif

#ifndef _WIN32
// /tmp is shared: another user could plant the scratch folder, or links inside it.
TEST(ScratchFolder, LivesInAPrivateFolderOfTheUser) {
    TempDir dir;
    FakeFolders folders("", dir.str() + "/");
    const std::string scratch = ScratchFolder(folders);
    const fs::path root = fs::path(scratch).parent_path();
    EXPECT_EQ(root.parent_path().string(), dir.str());
    EXPECT_EQ(fs::status(root).permissions() & fs::perms::all, fs::perms::owner_all);

    // Found with loose permissions: tightened.
    fs::permissions(root, fs::perms::all);
    EXPECT_EQ(ScratchFolder(folders), scratch);
    EXPECT_EQ(fs::status(root).permissions() & fs::perms::all, fs::perms::owner_all);

    // Found as a link (to a folder someone else controls): refused.
    fs::remove(root);
    fs::create_directories(dir / "elsewhere");
    fs::create_directory_symlink(dir / "elsewhere", root);
    EXPECT_THROW(ScratchFolder(folders), EInOutError);
    EXPECT_THROW(UnpackToTemp("x.pak", folders, dir.str()), EInOutError);
    EXPECT_TRUE(fs::is_empty(dir / "elsewhere"));
}
#endif

}  // namespace
}  // namespace vtl

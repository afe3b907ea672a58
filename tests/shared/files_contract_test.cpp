// The files seam's rules (platform/files.h), held against the implementation the test
// program links: POSIX natively, Win32 in the Windows build of the same unit tests. The
// pack and mesh readers' own tests (unit/pack, win32/pack) build on these; here each
// operation is checked by itself, on real folders, with the same expectations on both
// systems. Where the systems differ by design (a file replaced while held, links), the
// case says so and checks each side for what the seam promises there.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/files.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace vtl {
namespace {

namespace fs = std::filesystem;

class FilesContract : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        root_ = fs::temp_directory_path() / (std::string("vtl_files_") + info->name());
        Clean();
        fs::create_directories(root_);
    }
    void TearDown() override { Clean(); }

    std::string At(const std::string& name) const { return root_.string() + kPathSeparator + name; }
    void Write(const std::string& path, const std::string& bytes) const {
        std::ofstream(fs::u8path(path), std::ios::binary | std::ios::trunc) << bytes;
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(fs::u8path(path), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // A listing without the "." and ".." that some systems report, in order.
    static std::vector<std::string> Names(const std::string& folder) {
        std::vector<std::string> names = ListFolder(folder);
        names.erase(
            std::remove_if(names.begin(), names.end(), [](const std::string& n) { return n == "." || n == ".."; }),
            names.end());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    void Clean() {
        std::error_code ec;
#ifdef _WIN32
        if (fs::exists(root_, ec))
            for (const auto& e : fs::recursive_directory_iterator(root_, ec))
                SetFileAttributesW(e.path().wstring().c_str(), FILE_ATTRIBUTE_NORMAL);
#endif
        fs::remove_all(root_, ec);
    }
    fs::path root_;
};

TEST_F(FilesContract, AFileOpenedWithoutSharingKeepsEveryOtherOpenerOut) {
    Write(At("held"), "0123456789");
    FileHandle holder = OpenFileExclusive(At("held"));
    ASSERT_TRUE(holder);
    EXPECT_FALSE(OpenFileExclusive(At("held")));
    EXPECT_FALSE(ReadWholeFile(At("held"), 100));
    // The holder reads what is there, in pieces, and says when the file ends.
    EXPECT_EQ(holder.Size(), 10);
    char bytes[16] = {};
    EXPECT_EQ(holder.Read(bytes, 4), 4u);
    EXPECT_TRUE(holder.ReadExact(bytes + 4, 6));
    EXPECT_EQ(std::string(bytes, 10), "0123456789");
    EXPECT_EQ(holder.Read(bytes, 1), 0u);
    EXPECT_FALSE(holder.ReadExact(bytes, 1));
    holder.Close();
    EXPECT_FALSE(holder);
    EXPECT_TRUE(OpenFileExclusive(At("held")));

    // A file being written is held the same way.
    FileHandle writer = CreateFileExclusive(At("new"));
    ASSERT_TRUE(writer);
    EXPECT_FALSE(OpenFileExclusive(At("new")));
    writer.Close();
    EXPECT_TRUE(OpenFileExclusive(At("new")));

    // What is not there, or is a folder, does not open.
    fs::create_directory(At("folder"));
    EXPECT_FALSE(OpenFileExclusive(At("missing")));
    EXPECT_FALSE(OpenFileExclusive(At("folder")));
}

TEST_F(FilesContract, CreatingAFileReplacesOneOfThatNameAndNeverAFolder) {
    {
        FileHandle file = CreateFileExclusive(At("a.bin"));
        ASSERT_TRUE(file);
        EXPECT_TRUE(file.Write("new", 3));
        EXPECT_EQ(file.Size(), 3);
    }
    EXPECT_EQ(Read(At("a.bin")), "new");
    Write(At("long.bin"), std::string(1000, 'o'));
    {
        FileHandle file = CreateFileExclusive(At("long.bin"));
        ASSERT_TRUE(file);
        EXPECT_TRUE(file.Write("x", 1));
    }
    EXPECT_EQ(Read(At("long.bin")), "x");
    {
        FileHandle empty = CreateFileExclusive(At("empty.bin"));
        EXPECT_TRUE(empty);
    }
    EXPECT_TRUE(FileExists(At("empty.bin")));
    EXPECT_EQ(fs::file_size(At("empty.bin")), 0u);

    fs::create_directories(At("sub") + kPathSeparator + "inner");
    EXPECT_FALSE(CreateFileExclusive(At("sub")));
    EXPECT_TRUE(FolderExists(At("sub") + kPathSeparator + "inner"));
    EXPECT_FALSE(CreateFileExclusive(At("nowhere") + kPathSeparator + "x"));
    EXPECT_FALSE(FolderExists(At("nowhere")));
}

TEST_F(FilesContract, FilesAndFoldersAreToldApart) {
    Write(At("file"), "f");
    Write(At("empty"), "");
    fs::create_directory(At("folder"));
    struct Case {
        const char* name;
        bool file, folder;
    } const cases[] = {
        {"file", true, false}, {"empty", true, false}, {"folder", false, true}, {"missing", false, false}};
    for (const Case& c : cases) {
        EXPECT_EQ(FileExists(At(c.name)), c.file) << c.name;
        EXPECT_EQ(FolderExists(At(c.name)), c.folder) << c.name;
        EXPECT_FALSE(IsLink(At(c.name))) << c.name;
    }
}

TEST_F(FilesContract, OneFolderIsMadeOnlyBelowAParentAndRemovedOnlyWhenEmpty) {
    const std::string folder = At("one");
    EXPECT_TRUE(CreateOneFolder(folder));
    EXPECT_TRUE(FolderExists(folder));
#ifndef _WIN32
    // Private to the user, whatever the umask lets through.
    struct stat st {};
    ASSERT_EQ(stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
#endif
    EXPECT_FALSE(CreateOneFolder(folder)) << "it exists";
    Write(At("file"), "f");
    EXPECT_FALSE(CreateOneFolder(At("file")));
    EXPECT_TRUE(FileExists(At("file")));
    EXPECT_FALSE(CreateOneFolder(At("no") + kPathSeparator + "parent"));
    EXPECT_FALSE(FolderExists(At("no")));

    Write(folder + kPathSeparator + "inside", "i");
    EXPECT_FALSE(RemoveOneFolder(folder)) << "not empty";
    EXPECT_TRUE(FileExists(folder + kPathSeparator + "inside"));
    EXPECT_TRUE(DeleteOneFile(folder + kPathSeparator + "inside"));
    EXPECT_TRUE(RemoveOneFolder(folder));
    EXPECT_FALSE(FolderExists(folder));
    EXPECT_FALSE(RemoveOneFolder(folder)) << "gone";
    EXPECT_FALSE(RemoveOneFolder(At("file")));
    EXPECT_TRUE(FileExists(At("file")));
}

TEST_F(FilesContract, DeletingTakesOneFileAndNothingElse) {
    Write(At("file"), "f");
    fs::create_directories(At("folder"));
    EXPECT_TRUE(DeleteOneFile(At("file")));
    EXPECT_FALSE(FileExists(At("file")));
    EXPECT_FALSE(DeleteOneFile(At("file"))) << "gone";
    EXPECT_FALSE(DeleteOneFile(At("folder")));
    EXPECT_TRUE(FolderExists(At("folder")));
    EXPECT_FALSE(RemoveLink(At("folder"))) << "not a link";
    EXPECT_TRUE(FolderExists(At("folder")));
}

TEST_F(FilesContract, AListingNamesEverythingWhateverItsAttributes) {
    const std::string folder = At("list");
    fs::create_directories(folder + kPathSeparator + "sub");
    // "é" in UTF-8, the text every path of the seam is in.
    const std::string accented = "caf\xc3\xa9.txt";
    for (const std::string name : {"a.txt", ".hidden", "read-only"}) Write(folder + kPathSeparator + name, name);
    {
        FileHandle file = CreateFileExclusive(folder + kPathSeparator + accented);
        ASSERT_TRUE(file);
    }
    fs::permissions(fs::u8path(folder + kPathSeparator + "read-only"), fs::perms::owner_read);
#ifdef _WIN32
    SetFileAttributesW(fs::u8path(folder + kPathSeparator + ".hidden").wstring().c_str(),
                       FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
#endif
    EXPECT_EQ(Names(folder), (std::vector<std::string>{".hidden", "a.txt", accented, "read-only", "sub"}));
    EXPECT_TRUE(FileExists(folder + kPathSeparator + accented));

    fs::create_directories(At("empty"));
    EXPECT_TRUE(Names(At("empty")).empty());
    EXPECT_TRUE(ListFolder(At("missing")).empty());
    EXPECT_TRUE(ListFolder(folder + kPathSeparator + "a.txt").empty()) << "a file is no folder";
}

TEST_F(FilesContract, AWholeFileIsReadOnlyWithinItsLimit) {
    std::string bytes(100, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 37);
    Write(At("data"), bytes);
    Write(At("empty"), "");
    fs::create_directory(At("folder"));

    const auto whole = ReadWholeFile(At("data"), 100);
    ASSERT_TRUE(whole);
    EXPECT_EQ(std::string(whole->begin(), whole->end()), bytes);
    EXPECT_TRUE(ReadWholeFile(At("data"), 1u << 30));
    EXPECT_FALSE(ReadWholeFile(At("data"), 99)) << "one byte over the limit";
    EXPECT_FALSE(ReadWholeFile(At("data"), 0));
    const auto empty = ReadWholeFile(At("empty"), 0);
    ASSERT_TRUE(empty) << "an empty file is read, as nothing";
    EXPECT_TRUE(empty->empty());
    EXPECT_FALSE(ReadWholeFile(At("missing"), 100));
    EXPECT_FALSE(ReadWholeFile(At("folder"), 100));
#ifndef _WIN32
    // A pipe in the place of a file would block a reader that waited for its end.
    ASSERT_EQ(mkfifo(At("pipe").c_str(), 0600), 0);
    EXPECT_FALSE(ReadWholeFile(At("pipe"), 100));
#endif
}

TEST_F(FilesContract, LinksAreRemovedThemselvesAndWhatTheyNameStays) {
    Write(At("precious"), "precious");
    fs::create_directories(At("elsewhere"));
    Write(At("elsewhere") + kPathSeparator + "kept", "kept");
#ifdef _WIN32
    // Without the privilege to make links, Windows 10 and later make them in developer mode.
    constexpr DWORD kUnprivileged = 0x2;  // SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
    // Some systems (Wine 8) say a link was made and make none: only one that is there counts.
    const auto link = [&](const char* name, const char* target, DWORD flags) {
        const std::wstring path = fs::u8path(At(name)).wstring(), to = fs::u8path(At(target)).wstring();
        const bool made = CreateSymbolicLinkW(path.c_str(), to.c_str(), flags | kUnprivileged) ||
                          CreateSymbolicLinkW(path.c_str(), to.c_str(), flags);
        return made && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    };
    if (!link("file-link", "precious", 0) || !link("folder-link", "elsewhere", SYMBOLIC_LINK_FLAG_DIRECTORY))
        GTEST_SKIP() << "no symbolic links can be made here (error " << GetLastError() << ")";
#else
    std::error_code ec;
    fs::create_symlink(At("precious"), At("file-link"), ec);
    if (!ec) fs::create_directory_symlink(At("elsewhere"), At("folder-link"), ec);
    if (ec) GTEST_SKIP() << "no symbolic links can be made here: " << ec.message();
#endif

    EXPECT_TRUE(IsLink(At("file-link")));
    EXPECT_TRUE(IsLink(At("folder-link")));
    EXPECT_TRUE(FolderExists(At("folder-link"))) << "a link to a folder counts as one";
    EXPECT_EQ(Names(At("folder-link")), (std::vector<std::string>{"kept"}));

    EXPECT_TRUE(RemoveLink(At("folder-link")));
    EXPECT_FALSE(IsLink(At("folder-link")));
    EXPECT_FALSE(FolderExists(At("folder-link")));
    EXPECT_EQ(Read(At("elsewhere") + kPathSeparator + "kept"), "kept");
    EXPECT_FALSE(RemoveLink(At("precious"))) << "not a link";

    EXPECT_TRUE(DeleteOneFile(At("file-link")));
    EXPECT_FALSE(IsLink(At("file-link")));
    EXPECT_EQ(Read(At("precious")), "precious");

#ifndef _WIN32
    // Where the temporary folder is shared, a link planted at a name the program writes
    // must not carry the write elsewhere. (Windows gives each user a temporary folder of
    // their own; there the system's own rule for links stands.)
    fs::create_symlink(At("precious"), At("planted"));
    {
        FileHandle file = CreateFileExclusive(At("planted"));
        ASSERT_TRUE(file);
        EXPECT_TRUE(file.Write("pack", 4));
    }
    EXPECT_FALSE(IsLink(At("planted")));
    EXPECT_EQ(Read(At("planted")), "pack");
    EXPECT_EQ(Read(At("precious")), "precious");
#endif
}

}  // namespace
}  // namespace vtl

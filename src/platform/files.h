#pragma once
// Files seam: the few file and folder operations the pack and mesh readers make.
// One implementation per platform is linked in (platform/win32 or platform/posix);
// tests use real temporary folders, so there is no fake. Paths are UTF-8 and use
// the platform's own separator (kPathSeparator). Failures are reported by results,
// never raised: the callers decide which error message a failure becomes.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vtl {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// An open file, closed when the object goes away. Move-only.
class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(std::intptr_t native) : native_(native) {}
    ~FileHandle() { Close(); }
    FileHandle(FileHandle&& other) noexcept : native_(other.native_) { other.native_ = kInvalid; }
    FileHandle& operator=(FileHandle&& other) noexcept {
        if (this != &other) {
            Close();
            native_ = other.native_;
            other.native_ = kInvalid;
        }
        return *this;
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool IsOpen() const { return native_ != kInvalid; }
    explicit operator bool() const { return IsOpen(); }

    // Reads up to count bytes; returns how many were read (fewer only at the end of
    // the file or on a read failure).
    std::size_t Read(void* buffer, std::size_t count);
    // True only when exactly count bytes were read.
    bool ReadExact(void* buffer, std::size_t count) { return Read(buffer, count) == count; }
    // True only when all count bytes were written.
    bool Write(const void* buffer, std::size_t count);
    // Size of the file in bytes, or -1 when it cannot be told.
    std::int64_t Size() const;
    void Close();

    static constexpr std::intptr_t kInvalid = -1;

private:
    std::intptr_t native_ = kInvalid;
};

// Opens an existing file for reading with no sharing: while it is open no one else
// may open it (Windows share mode 0; an advisory exclusive lock elsewhere). A file
// that another holder keeps open the same way cannot be opened.
FileHandle OpenFileExclusive(const std::string& path);
// Opens an existing regular file for reading while others may read it too (Windows
// share-read; an advisory shared lock elsewhere): for a file that a platform loader
// may hold open beside us. Never a pipe or device that would block.
FileHandle OpenFileSharedRead(const std::string& path);

// Creates a file for writing with no sharing, replacing a file of that name. Never
// writes through a link planted at that name: elsewhere than Windows an existing
// non-folder entry is removed first and the file is created anew.
FileHandle CreateFileExclusive(const std::string& path);

bool FileExists(const std::string& path);    // a file, not a folder
bool FolderExists(const std::string& path);  // a folder, or a link to one
bool IsLink(const std::string& path);        // a symbolic link or reparse point itself
// Creates one folder whose parent exists; false when it could not be made (also when
// it already exists). Elsewhere than Windows the folder is private to the user (0700).
bool CreateOneFolder(const std::string& path);
bool DeleteOneFile(const std::string& path);
bool RemoveOneFolder(const std::string& path);  // only an empty folder
// Removes a link (symbolic link, junction) itself, never what it points to; false when
// the path is not a link or the link could not be removed.
bool RemoveLink(const std::string& path);

// A name stored as single-byte text of the system's code page (as pack entry names
// are) in the UTF-8 the rest of the program uses: on Windows the ANSI code page, the
// one a program that passes the bytes unchanged to the system would get; elsewhere
// Windows-1252. Every byte stays a character of its own, so names that differ stay
// different.
std::string NameFromCodePage(const std::string& bytes);

// Every name in the folder, "." and ".." included where the system reports them,
// whatever its attributes (hidden, system, read-only, folder). Empty when the folder
// cannot be listed.
std::vector<std::string> ListFolder(const std::string& folder);

// The folder under which the program may keep its scratch files, given the user's
// temporary folder (with its trailing separator). On Windows the temporary folder is
// the user's own, so it is returned unchanged. Where the temporary folder is shared
// between users (/tmp), it is a per-user sub-folder that is created with mode 0700
// and refused when it is a link, is not owned by the user or cannot be made private;
// other users can then neither plant the scratch folder nor links inside it. Ends with
// a separator; empty when no safe folder can be had.
std::string PrivateTempFolder(const std::string& tempFolder);

// A whole file's bytes, read through OpenFileExclusive or OpenFileSharedRead (so
// never a pipe or device that would block); nothing when it cannot be opened or read,
// or is larger than `limit` bytes (checked before anything is allocated).
enum class ReadSharing { Exclusive, ReadersAllowed };
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path, std::uint64_t limit,
                                                       ReadSharing sharing = ReadSharing::Exclusive);

// The full path of the running program's file; empty when it cannot be told.
std::string ExecutablePath();

// The folder of the running program: its full path up to the last separator, without
// that separator unless it is a root. Empty when it cannot be told.
std::string ExecutableFolder();

// The part of a path after its last "/" or "\" (all of it when there is none).
std::string FileNameOfPath(const std::string& path);

// The folder of a Windows program path: up to the last "\" or ":", without that "\"
// unless the folder is a drive root (D:\x.scr lies in D:\). A bare name lies in ".".
std::string FolderOfProgram(const std::string& programPath);

}  // namespace vtl

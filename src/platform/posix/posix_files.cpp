// POSIX side of the files seam. "No sharing" is an advisory exclusive flock taken
// without waiting: it keeps two cooperating openers apart, not every program. Files
// are created without following links, since the scratch folder may sit under a
// temporary folder that other users can write to.
#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace vtl {
namespace {

int Fd(std::intptr_t native) { return static_cast<int>(native); }

FileHandle Locked(int fd, int lock = LOCK_EX) {
    if (fd < 0) return {};
    if (flock(fd, lock | LOCK_NB) != 0) {
        close(fd);
        return {};
    }
    return FileHandle(fd);
}

}  // namespace

std::size_t FileHandle::Read(void* buffer, std::size_t count) {
    std::size_t done = 0;
    auto* out = static_cast<char*>(buffer);
    while (IsOpen() && done < count) {
        const ssize_t n = ::read(Fd(native_), out + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

bool FileHandle::Write(const void* buffer, std::size_t count) {
    std::size_t done = 0;
    const auto* in = static_cast<const char*>(buffer);
    while (IsOpen() && done < count) {
        const ssize_t n = ::write(Fd(native_), in + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return done == count;
}

std::int64_t FileHandle::Size() const {
    struct stat st {};
    if (!IsOpen() || fstat(Fd(native_), &st) != 0) return -1;
    return static_cast<std::int64_t>(st.st_size);
}

void FileHandle::Close() {
    if (IsOpen()) ::close(Fd(native_));
    native_ = kInvalid;
}

namespace {

FileHandle OpenRegularFile(const std::string& path, int lock) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return {};
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return {};
    }
    // O_NONBLOCK only kept a FIFO from stalling the open; reads of a file never block.
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return Locked(fd, lock);
}

}  // namespace

FileHandle OpenFileExclusive(const std::string& path) { return OpenRegularFile(path, LOCK_EX); }

FileHandle OpenFileSharedRead(const std::string& path) { return OpenRegularFile(path, LOCK_SH); }

FileHandle CreateFileExclusive(const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return {};
        if (::unlink(path.c_str()) != 0) return {};
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    return Locked(fd);
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool FolderExists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsLink(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool CreateOneFolder(const std::string& path) { return ::mkdir(path.c_str(), 0700) == 0; }

bool DeleteOneFile(const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    return ::unlink(path.c_str()) == 0;
}

bool RemoveOneFolder(const std::string& path) { return ::rmdir(path.c_str()) == 0; }

bool RemoveLink(const std::string& path) { return IsLink(path) && ::unlink(path.c_str()) == 0; }

std::string NameFromCodePage(const std::string& bytes) {
    // Windows-1252's 0x80..0x9F; the five bytes it leaves undefined keep their own
    // code points, as Windows maps them.
    static constexpr char32_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                           0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                           0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                           0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    std::string utf8;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        const char32_t code = byte >= 0x80 && byte < 0xA0 ? kHigh[byte - 0x80] : byte;
        if (code < 0x80) {
            utf8 += static_cast<char>(code);
        } else if (code < 0x800) {
            utf8 += static_cast<char>(0xC0 | (code >> 6));
            utf8 += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            utf8 += static_cast<char>(0xE0 | (code >> 12));
            utf8 += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return utf8;
}

std::vector<std::string> ListFolder(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    if (!dir) return names;
    while (const dirent* entry = readdir(dir)) names.emplace_back(entry->d_name);
    closedir(dir);
    return names;
}

std::string PrivateTempFolder(const std::string& tempFolder) {
    std::string path = tempFolder;
    if (path.empty()) return {};
    if (path.back() != '/') path += '/';
    path += "vtl3d-" + std::to_string(geteuid());
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return {};
    // Whether we made it or found it, it must be a real folder of ours that no one
    // else can write into; a folder planted by another user is refused, not repaired.
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return {};
    struct stat st {};
    bool ok = fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid();
    if (ok && (st.st_mode & 077) != 0) ok = fchmod(fd, 0700) == 0;
    ::close(fd);
    return ok ? path + '/' : std::string();
}

std::string ExecutablePath() {
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return n <= 0 ? std::string() : std::string(buffer, static_cast<std::size_t>(n));
}

std::string ExecutableFolder() {
    const std::string path = ExecutablePath();
    const auto at = path.rfind('/');
    if (at == std::string::npos) return {};
    return at == 0 ? std::string("/") : path.substr(0, at);
}

}  // namespace vtl

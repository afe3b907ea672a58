#include "pack/packlib.h"

#include <algorithm>
#include <cstring>

#include "platform/errors.h"

namespace vtl {
namespace {

constexpr char kMagic[8] = {'V', 'O', 'X', 'A', 'P', 'A', 'C', 'K'};

std::int32_t LittleEndian32(const unsigned char* p) {
    return static_cast<std::int32_t>(std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
                                     std::uint32_t{p[3]} << 24);
}

bool IsSeparator(char c) {
#ifdef _WIN32
    return c == '\\' || c == '/';
#else
    return c == '/';
#endif
}

// The folder part of a path, without its trailing separator ("" when there is none).
std::string ParentOf(const std::string& path) {
    std::size_t at = path.size();
    while (at > 0 && !IsSeparator(path[at - 1])
#ifdef _WIN32
           && path[at - 1] != ':'
#endif
    )
        --at;
    std::string parent = path.substr(0, at);
    while (!parent.empty() && IsSeparator(parent.back())) parent.pop_back();
    return parent;
}

void CreateFolderChain(const std::string& folder) {
    // Short paths are roots ("C:", "C:\", "/"); nothing above them can be made.
    if (folder.size() < 3 || FolderExists(folder)) return;
    const std::string parent = ParentOf(folder);
    if (!parent.empty() && parent != folder) CreateFolderChain(parent);
    CreateOneFolder(folder);
}

bool IsDeviceName(std::string base) {
    while (!base.empty() && base.back() == ' ') base.pop_back();
    std::transform(base.begin(), base.end(), base.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; });
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL" || base == "CONIN$" || base == "CONOUT$")
        return true;
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) && base[3] >= '1' &&
           base[3] <= '9';
}

// Streams exactly size bytes from the pack's read position into out, through one
// buffer no larger than the entry.
void CopyEntry(FileHandle& pack, FileHandle& out, std::int32_t size) {
    auto left = static_cast<std::size_t>(size);
    std::vector<char> buffer(std::min(left, kPackCopyBufferMax));
    while (left > 0) {
        const std::size_t want = std::min(left, buffer.size());
        const std::size_t got = pack.Read(buffer.data(), want);
        if (got > 0 && !out.Write(buffer.data(), got)) throw Error("EWriteError", "Stream write error");
        if (got < want) throw EReadError("Stream read error");
        left -= got;
    }
}

}  // namespace

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && IsSeparator(folder.back())) return folder + name;
    return folder + kPathSeparator + name;
}

PackDirectoryResult ReadPackDirectory(FileHandle& pack, TPackList& list) {
    list.clear();
    unsigned char header[kPackHeaderSize] = {};
    const std::size_t got = pack.Read(header, sizeof header);
    // Unread bytes stay zero, and a zero byte ends the magic text early.
    if (std::memcmp(header, kMagic, sizeof kMagic) != 0) return PackDirectoryResult::badMagic;
    if (got < sizeof header || LittleEndian32(header + 8) != 1) return PackDirectoryResult::badVersion;
    const std::int32_t count = LittleEndian32(header + 12);
    if (count <= 0) return PackDirectoryResult::ok;

    // Refuse an impossible count before reserving anything for it.
    const std::int64_t size = pack.Size();
    if (size < 0 || std::int64_t{count} * static_cast<std::int64_t>(kPackEntrySize) >
                        size - static_cast<std::int64_t>(kPackHeaderSize))
        return PackDirectoryResult::badDirectory;
    list.reserve(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i) {
        unsigned char entry[kPackEntrySize];
        if (!pack.ReadExact(entry, sizeof entry)) return PackDirectoryResult::badDirectory;
        const std::size_t length = entry[0];
        const std::int32_t bytes = LittleEndian32(entry + 28);
        if (length > kPackNameMax || bytes < 0) return PackDirectoryResult::badDirectory;
        TPackItemObj item;
        item.Name.assign(reinterpret_cast<const char*>(entry + 1), length);
        item.Size = bytes;
        list.emplace_back(item.Name, std::move(item));
    }
    return PackDirectoryResult::ok;
}

bool IsPlainFileName(const std::string& name) {
    if (name.empty() || name.back() == '.' || name.back() == ' ') return false;  // also "." and ".."
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || std::strchr("\\/:*?\"<>|", c) != nullptr) return false;
    }
    return !IsDeviceName(name.substr(0, name.find('.')));
}

void ForceFolders(const std::string& folder) {
    std::string path = folder;
    if (!path.empty() && IsSeparator(path.back())) path.pop_back();
    if (path.empty()) throw EInOutError("Unable to create directory");
    CreateFolderChain(path);
}

std::int32_t ExtractPack(const std::string& packPath, const std::string& targetFolder) {
    FileHandle pack = OpenFileExclusive(packPath);
    if (!pack) throw EFOpenError(FormatMessage1("Cannot open file %s", packPath));

    TPackList list;
    switch (ReadPackDirectory(pack, list)) {
        case PackDirectoryResult::badMagic:
        case PackDirectoryResult::badDirectory: return -1;
        case PackDirectoryResult::badVersion: return 0;
        case PackDirectoryResult::ok: break;
    }

    ForceFolders(targetFolder);
    std::int32_t written = 0;
    for (const auto& [name, item] : list) {
        // Stored in the code page, not UTF-8: read as UTF-8, two names with different
        // bytes above 0x7F could come out as one file.
        const std::string path = targetFolder + kPathSeparator + NameFromCodePage(name);
        if (!IsPlainFileName(name)) throw EFCreateError(FormatMessage1("Cannot create file %s", path));
        FileHandle out = CreateFileExclusive(path);
        if (!out) throw EFCreateError(FormatMessage1("Cannot create file %s", path));
        CopyEntry(pack, out, item.Size);
        ++written;
    }
    return written;
}

std::int32_t ClearFolder(const std::string& folder) {
    // An empty name would list the current folder, on Windows the root of the current
    // drive: never clear anything but a named folder.
    if (folder.empty()) return 0;
    // A link planted at the folder's name is removed itself; what it points to is not
    // ours to empty.
    if (IsLink(folder)) {
        RemoveLink(folder);
        return 0;
    }
    std::int32_t tried = 0;
    for (const std::string& name : ListFolder(folder)) {
        if (name == "." || name == "..") continue;
        DeleteOneFile(folder + kPathSeparator + name);
        ++tried;
    }
    RemoveOneFolder(folder);
    return tried;
}

std::string ScratchFolder(IHostFolders& folders) {
    std::string temp = folders.TempFolder();
    if (!temp.empty() && !IsSeparator(temp.back())) temp += kPathSeparator;
    const std::string root = PrivateTempFolder(temp);
    if (root.empty()) throw EInOutError("Unable to create directory");
    return root + kScratchFolderName;
}

std::string FindPack(const std::string& packFileName, IHostFolders& folders, const std::string& programFolder) {
    std::string folder = folders.InstallFolder();
    if (folder.empty() || !FileExists(JoinPath(folder, packFileName))) folder = programFolder;
    return JoinPath(folder, packFileName);
}

namespace {

// The scratch folder, with a link planted at its name taken away: unpacking through it
// would write the files, and later clear them, wherever it points.
std::string SafeScratchFolder(IHostFolders& folders) {
    const std::string scratch = ScratchFolder(folders);
    if (IsLink(scratch) && !RemoveLink(scratch)) throw EInOutError("Unable to create directory");
    return scratch;
}

}  // namespace

std::string UnpackToTemp(const std::string& packFileName, IHostFolders& folders, const std::string& programFolder) {
    const std::string packPath = FindPack(packFileName, folders, programFolder);
    const std::string scratch = SafeScratchFolder(folders);
    // The result is not looked at: a pack that is not a pack leaves the folder
    // empty, and the loaders report the files they miss. An error passes through, but
    // not before the files already written are gone: nobody else would clear them.
    try {
        ExtractPack(packPath, scratch);
    } catch (const EReadError&) {
        ClearFolder(scratch);
        // The bare stream message would not say which of the two packs is short.
        throw EReadError(FormatMessage1("Stream read error in file %s", packPath));
    } catch (...) {
        ClearFolder(scratch);
        throw;
    }
    return scratch;
}

std::string UnpackToTemp(const std::string& packFileName, IHostFolders& folders) {
    return UnpackToTemp(packFileName, folders, ExecutableFolder());
}

std::string UnpackWholeToTemp(const std::string& packFileName, IHostFolders& folders) {
    const std::string packPath = FindPack(packFileName, folders, ExecutableFolder());
    const std::string scratch = SafeScratchFolder(folders);
    UnpackWholePack(packPath, scratch);
    return scratch;
}

}  // namespace vtl

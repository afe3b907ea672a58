// vtlpack: the pack builder and inspector.
//   vtlpack create OUT.pak FILE...   entries in the order given, named by base name
//   vtlpack list PAK                 name, size and data offset of every entry
//   vtlpack extract PAK DIR          what the program itself does with a pack
//   vtlpack check PAK                every entry inside the file, every name usable
// Exit codes: 0 done, 1 bad input or a failed file operation, 2 wrong usage.
#include <cinttypes>
#include <cstdio>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "pack/packlib.h"
#include "platform/errors.h"
#include "platform/files.h"

namespace {

using namespace vtl;

constexpr int kOk = 0;
constexpr int kBad = 1;
constexpr int kUsage = 2;

int Fail(const std::string& message) {
    std::fprintf(stderr, "vtlpack: %s\n", message.c_str());
    return kBad;
}

int Usage() {
    std::fputs(
        "usage: vtlpack create OUT.pak FILE...\n"
        "       vtlpack list PAK\n"
        "       vtlpack extract PAK DIR\n"
        "       vtlpack check PAK\n",
        stderr);
    return kUsage;
}

std::string BaseName(const std::string& path) {
    const auto at = path.find_last_of("/\\");
    return at == std::string::npos ? path : path.substr(at + 1);
}

std::string Upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

void PutLE32(unsigned char* p, std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(u >> (8 * i));
}

struct Input {
    std::string path;
    std::string name;
    std::int32_t size;
};

int Create(const std::string& out, const std::vector<std::string>& paths) {
    std::vector<Input> inputs;
    std::set<std::string> seen;  // case-folded: on Windows they would land in one file
    for (const auto& path : paths) {
        const std::string name = BaseName(path);
        if (!IsPlainFileName(name)) return Fail("'" + name + "' is not a plain file name");
        if (name.size() > kPackNameMax)
            return Fail("'" + name + "' is longer than " + std::to_string(kPackNameMax) + " characters");
        if (!seen.insert(Upper(name)).second) return Fail("two files are named '" + name + "'");
        FileHandle in = OpenFileExclusive(path);
        if (!in) return Fail("cannot open " + path);
        const std::int64_t size = in.Size();
        if (size < 0 || size > std::numeric_limits<std::int32_t>::max()) return Fail(path + " is too large");
        inputs.push_back({path, name, static_cast<std::int32_t>(size)});
    }
    if (inputs.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        return Fail("too many files");

    FileHandle pack = CreateFileExclusive(out);
    if (!pack) return Fail("cannot create " + out);
    unsigned char header[kPackHeaderSize] = {'V', 'O', 'X', 'A', 'P', 'A', 'C', 'K'};
    PutLE32(header + 8, 1);
    PutLE32(header + 12, static_cast<std::int32_t>(inputs.size()));
    bool ok = pack.Write(header, sizeof header);
    for (const auto& input : inputs) {
        unsigned char entry[kPackEntrySize] = {};
        entry[0] = static_cast<unsigned char>(input.name.size());
        input.name.copy(reinterpret_cast<char*>(entry + 1), input.name.size());
        PutLE32(entry + 28, input.size);
        ok = ok && pack.Write(entry, sizeof entry);
    }
    std::vector<char> buffer(1 << 16);
    for (const auto& input : inputs) {
        FileHandle in = OpenFileExclusive(input.path);
        std::int64_t left = input.size;
        while (ok && in && left > 0) {
            const auto want = static_cast<std::size_t>(std::min<std::int64_t>(left, std::int64_t(buffer.size())));
            const std::size_t got = in.Read(buffer.data(), want);
            if (got != want) return Fail(input.path + " changed while it was being packed");
            ok = pack.Write(buffer.data(), got);
            left -= static_cast<std::int64_t>(got);
        }
        if (!in) return Fail("cannot open " + input.path);
    }
    if (!ok) return Fail("cannot write " + out);
    std::printf("%s: %zu entries\n", out.c_str(), inputs.size());
    return kOk;
}

// Opens a pack and reads its directory; reports and returns false on a bad pack.
bool ReadDirectory(const std::string& path, FileHandle& pack, TPackList& list) {
    pack = OpenFileExclusive(path);
    if (!pack) {
        Fail("cannot open " + path);
        return false;
    }
    switch (ReadPackDirectory(pack, list)) {
        case PackDirectoryResult::ok: return true;
        case PackDirectoryResult::badMagic: Fail(path + ": not a pack file (wrong magic)"); break;
        case PackDirectoryResult::badVersion: Fail(path + ": unsupported version or header cut short"); break;
        case PackDirectoryResult::badDirectory:
            Fail(path + ": directory cut short, a name longer than 27 bytes or a negative size");
            break;
    }
    return false;
}

std::int64_t DataStart(const TPackList& list) {
    return static_cast<std::int64_t>(kPackHeaderSize + kPackEntrySize * list.size());
}

int List(const std::string& path) {
    FileHandle pack;
    TPackList list;
    if (!ReadDirectory(path, pack, list)) return kBad;
    std::int64_t offset = DataStart(list);
    for (const auto& [name, item] : list) {
        std::printf("%-27s %11" PRId32 " %12" PRId64 "\n", name.c_str(), item.Size, offset);
        offset += item.Size;
    }
    return kOk;
}

int Check(const std::string& path) {
    FileHandle pack;
    TPackList list;
    if (!ReadDirectory(path, pack, list)) return kBad;
    const std::int64_t fileSize = pack.Size();
    std::int64_t offset = DataStart(list);
    int problems = 0;
    for (const auto& [name, item] : list) {
        if (!IsPlainFileName(name)) {
            Fail(path + ": entry '" + name + "' is not a plain file name");
            ++problems;
        }
        offset += item.Size;
        if (offset > fileSize) {
            Fail(path + ": entry '" + name + "' runs " + std::to_string(offset - fileSize) + " bytes past the end");
            ++problems;
        }
    }
    if (problems) return kBad;
    std::printf("%s: %zu entries, ok\n", path.c_str(), list.size());
    return kOk;
}

int Extract(const std::string& path, const std::string& folder) {
    try {
        const std::int32_t written = ExtractPack(path, folder);
        if (written < 0) return Fail(path + ": not a pack file or a malformed directory");
        FileHandle pack = OpenFileExclusive(path);
        TPackList list;
        if (written == 0 && pack && ReadPackDirectory(pack, list) != PackDirectoryResult::ok)
            return Fail(path + ": unsupported version or header cut short");
        std::printf("%s: %" PRId32 " files written to %s\n", path.c_str(), written, folder.c_str());
        return kOk;
    } catch (const Error& e) {
        return Fail(std::string(e.TypeName()) + ": " + e.what());
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return Usage();
    const std::string& command = args[0];
    if (command == "create" && args.size() >= 3) return Create(args[1], {args.begin() + 2, args.end()});
    if (command == "list" && args.size() == 2) return List(args[1]);
    if (command == "check" && args.size() == 2) return Check(args[1]);
    if (command == "extract" && args.size() == 3) return Extract(args[1], args[2]);
    return Usage();
}

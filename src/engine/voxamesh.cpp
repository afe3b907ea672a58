#include "engine/voxamesh.h"

#include <cstring>
#include <limits>
#include <utility>

#include "platform/errors.h"
#include "platform/files.h"

namespace vtl {
namespace {

// The records are read and written as they lie in memory.
#if defined(__BYTE_ORDER__)
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "mesh files are little-endian");
#endif

constexpr char kMagic[8] = {'V', 'O', 'X', 'A', 'M', 'E', 'S', 'H'};
constexpr std::int64_t kHeaderSize = 32;

std::int64_t ExpectedSize(std::int32_t t, std::int32_t v, std::int32_t n, std::int32_t u) {
    // Four counts below 2^31 times at most 36 stay far inside 64 bits.
    return kHeaderSize + 36 * std::int64_t{t} + 12 * std::int64_t{v} + 12 * std::int64_t{n} + 8 * std::int64_t{u};
}

template <typename T>
bool ReadSection(FileHandle& file, std::vector<T>& out, std::int32_t count) {
    out.resize(static_cast<std::size_t>(count));
    return file.ReadExact(out.data(), out.size() * sizeof(T));
}

template <typename T>
bool WriteSection(FileHandle& file, const std::vector<T>& items) {
    return items.empty() || file.Write(items.data(), items.size() * sizeof(T));
}

}  // namespace

int LoadMeshFile(const std::string& path, std::int32_t& triangleCount, std::int32_t& vertexCount,
                 std::int32_t& normalCount, std::int32_t& texCoordCount, MeshData& mesh) {
    FileHandle file = OpenFileExclusive(path);
    if (!file) throw EFOpenError(FormatMessage1("Cannot open file %s", path));

    // Pre-set to values that fail the check, so a file too short to supply a field
    // is refused without looking at how much was read.
    char magic[8] = {'v', 'o', 'x', 'a', 'm', 'e', 's', 'h'};
    std::int32_t version = 0;
    std::int32_t reserved = 1;
    file.Read(magic, sizeof magic);
    file.Read(&version, sizeof version);
    file.Read(&reserved, sizeof reserved);
    if (std::memcmp(magic, kMagic, sizeof kMagic) != 0 || version != 1 || reserved != 0) return kMeshBadHeader;

    std::int32_t counts[4] = {0, 0, 0, 0};
    file.Read(counts, sizeof counts);
    triangleCount = counts[0];
    vertexCount = counts[1];
    normalCount = counts[2];
    texCoordCount = counts[3];
    if (counts[0] < 0 || counts[1] < 0 || counts[2] < 0 || counts[3] < 0 ||
        ExpectedSize(counts[0], counts[1], counts[2], counts[3]) != file.Size())
        return kMeshBadSize;

    // The size matched, so every allocation below is backed by bytes of the file.
    MeshData read;
    if (!ReadSection(file, read.triangles, counts[0]) || !ReadSection(file, read.positions, counts[1]) ||
        !ReadSection(file, read.normals, counts[2]) || !ReadSection(file, read.texCoords, counts[3]))
        throw EReadError("Stream read error");
    mesh = std::move(read);
    return kMeshOk;
}

bool SaveMeshFile(const std::string& path, const std::vector<TMeshTriangle>& triangles,
                  const std::vector<D3DVECTOR>& positions, const std::vector<D3DVECTOR>& normals,
                  const std::vector<TMeshTexCoord>& texCoords) {
    constexpr auto kMax = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
    if (triangles.size() > kMax || positions.size() > kMax || normals.size() > kMax || texCoords.size() > kMax)
        return false;
    FileHandle file = CreateFileExclusive(path);
    if (!file) return false;
    const std::int32_t header[6] = {1,
                                    0,
                                    static_cast<std::int32_t>(triangles.size()),
                                    static_cast<std::int32_t>(positions.size()),
                                    static_cast<std::int32_t>(normals.size()),
                                    static_cast<std::int32_t>(texCoords.size())};
    return file.Write(kMagic, sizeof kMagic) && file.Write(header, sizeof header) && WriteSection(file, triangles) &&
           WriteSection(file, positions) && WriteSection(file, normals) && WriteSection(file, texCoords);
}

}  // namespace vtl

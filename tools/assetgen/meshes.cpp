#include "meshes.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <map>
#include <stdexcept>
#include <vector>

#include "glasses.h"
#include "outfile.h"
#include "pack/assetnames.h"
#include "skull.h"

namespace vtl {

namespace {

using Key = std::array<std::uint32_t, 3>;

Key Bits(float a, float b, float c) {
    Key k{};
    std::memcpy(&k[0], &a, 4);
    std::memcpy(&k[1], &b, 4);
    std::memcpy(&k[2], &c, 4);
    return k;
}

// Index of a value in a pool, adding it the first time it is seen.
template <typename T>
std::int32_t Pooled(std::map<Key, std::int32_t>& index, std::vector<T>& pool, const Key& key, const T& value) {
    const auto found = index.find(key);
    if (found != index.end()) return found->second;
    const auto id = static_cast<std::int32_t>(pool.size());
    pool.push_back(value);
    index.emplace(key, id);
    return id;
}

void Save(const std::string& path, const MeshData& mesh) {
    if (!SaveMeshFile(path, mesh)) throw std::runtime_error("cannot write " + path);
}

}  // namespace

MeshData ToMeshData(const sdf::GenMesh& mesh) {
    MeshData out;
    std::map<Key, std::int32_t> posIndex, normIndex, uvIndex;
    // Pooled in the order the triangles use them; vertices no triangle uses are left out.
    std::vector<std::int32_t> pos(mesh.positions.size(), -1), norm(mesh.positions.size()), uv(mesh.positions.size());
    for (const auto& t : mesh.triangles)
        for (int i : t) {
            if (pos[i] >= 0) continue;
            const D3DVECTOR p{static_cast<float>(mesh.positions[i].x), static_cast<float>(mesh.positions[i].y),
                              static_cast<float>(mesh.positions[i].z)};
            pos[i] = Pooled(posIndex, out.positions, Bits(p.x, p.y, p.z), p);
            const D3DVECTOR n{static_cast<float>(mesh.normals[i].x), static_cast<float>(mesh.normals[i].y),
                              static_cast<float>(mesh.normals[i].z)};
            norm[i] = Pooled(normIndex, out.normals, Bits(n.x, n.y, n.z), n);
            const TMeshTexCoord c{static_cast<float>(mesh.uvs[i][0]), static_cast<float>(mesh.uvs[i][1])};
            uv[i] = Pooled(uvIndex, out.texCoords, Bits(c.u, c.v, 0), c);
        }
    for (const auto& t : mesh.triangles)
        out.triangles.push_back(
            {pos[t[0]], pos[t[1]], pos[t[2]], norm[t[0]], norm[t[1]], norm[t[2]], uv[t[0]], uv[t[1]], uv[t[2]]});
    return out;
}

const MeshData& SkullMeshData() {
    static const MeshData mesh = ToMeshData(BuildSkull());
    return mesh;
}

const MeshData& GlassesMeshData() {
    static const MeshData mesh = ToMeshData(BuildGlasses());
    return mesh;
}

void WriteMeshAssets(const std::string& outDir) {
    Save(OutPath(outDir, kSkullMeshFile), SkullMeshData());
    Save(OutPath(outDir, kGlassesMeshFile), GlassesMeshData());
}

}  // namespace vtl

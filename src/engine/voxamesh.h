#pragma once
// Mesh files: positions, normals and texture coordinates in three pools, and
// triangles that index into each pool per corner. Little-endian, no padding:
//   "VOXAMESH", version 1, reserved 0, T, V, N, U (signed 32-bit each),
//   T triangles, V positions, N normals, U texture coordinates.
// The loader validates the header and the exact file size only; index ranges are
// the concern of whoever turns the pools into vertices.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3d8types.h"

namespace vtl {

struct TMeshTriangle {
    std::int32_t V0, V1, V2;  // positions, corners 0..2
    std::int32_t N0, N1, N2;  // normals
    std::int32_t T0, T1, T2;  // texture coordinates (ignored when the file has none)
};

struct TMeshTexCoord {
    float u, v;
};

static_assert(sizeof(TMeshTriangle) == 36, "TMeshTriangle layout");
static_assert(sizeof(TMeshTexCoord) == 8, "TMeshTexCoord layout");

using PMeshTriangle = std::vector<TMeshTriangle>;
using PMeshVertex = std::vector<D3DVECTOR>;
using PMeshNormal = std::vector<D3DVECTOR>;
using PMeshTexCoords = std::vector<TMeshTexCoord>;

struct MeshData {
    PMeshTriangle triangles;
    PMeshVertex positions;
    PMeshNormal normals;
    PMeshTexCoords texCoords;
};

inline constexpr int kMeshOk = 0;
inline constexpr int kMeshBadHeader = -1;
inline constexpr int kMeshBadSize = -2;

// Reads a mesh file. Returns 0 with every out-value filled; -1 for a bad header,
// leaving counts and arrays untouched; -2 when the counts (negative ones included)
// do not match the file's size, with the counts set and the arrays untouched.
// Raises EFOpenError "Cannot open file %s" when the file cannot be opened.
int LoadMeshFile(const std::string& path, std::int32_t& triangleCount, std::int32_t& vertexCount,
                 std::int32_t& normalCount, std::int32_t& texCoordCount, MeshData& mesh);

// Writes a mesh file with the header above; false when it cannot be written whole.
bool SaveMeshFile(const std::string& path, const std::vector<TMeshTriangle>& triangles,
                  const std::vector<D3DVECTOR>& positions, const std::vector<D3DVECTOR>& normals,
                  const std::vector<TMeshTexCoord>& texCoords);
inline bool SaveMeshFile(const std::string& path, const MeshData& mesh) {
    return SaveMeshFile(path, mesh.triangles, mesh.positions, mesh.normals, mesh.texCoords);
}

}  // namespace vtl

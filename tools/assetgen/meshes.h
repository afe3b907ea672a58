// The generator's two mesh files, the skull and the sunglasses. Everything is computed
// from code, deterministically, so the same sources always produce byte-identical
// files.
#pragma once

#include <string>

#include "engine/voxamesh.h"
#include "genmesh.h"

namespace vtl {

// Welds a generated mesh into the file's three pools: positions, normals and
// texture coordinates that are bit-identical share one entry.
MeshData ToMeshData(const sdf::GenMesh& mesh);

// The two meshes as written to their files, built once per process.
const MeshData& SkullMeshData();
const MeshData& GlassesMeshData();

// Writes both mesh files into outDir under their names in the scene pack. Throws
// std::runtime_error when a file cannot be written.
void WriteMeshAssets(const std::string& outDir);

}  // namespace vtl

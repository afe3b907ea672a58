// Mesh reader: any bytes as a mesh file. A load that succeeds must agree with the
// file's size exactly; a refused one must leave the caller's arrays alone.
#include <cstdint>
#include <cstdlib>

#include "engine/voxamesh.h"
#include "fuzz_support.h"
#include "platform/errors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto path = vtl::fuzz::WorkFolder("fuzz_mesh") / "m.msh";
    vtl::fuzz::WriteFile(path, data, size);
    std::int32_t t = -7, v = -7, n = -7, u = -7;
    vtl::MeshData mesh;
    mesh.positions.resize(1);
    int result = 1;
    try {
        result = vtl::LoadMeshFile(path.string(), t, v, n, u, mesh);
    } catch (const vtl::Error&) {
        return 0;
    }
    if (result == 0) {
        if (mesh.triangles.size() != static_cast<std::size_t>(t) ||
            mesh.positions.size() != static_cast<std::size_t>(v) ||
            mesh.normals.size() != static_cast<std::size_t>(n) || mesh.texCoords.size() != static_cast<std::size_t>(u))
            std::abort();
        if (32 + 36 * mesh.triangles.size() + 12 * (mesh.positions.size() + mesh.normals.size()) +
                8 * mesh.texCoords.size() !=
            size)
            std::abort();
    } else if (result == -1 || result == -2) {
        if (mesh.positions.size() != 1) std::abort();
        if (result == -1 && t != -7) std::abort();
    } else {
        std::abort();
    }
    return 0;
}

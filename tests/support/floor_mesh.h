#pragma once
// The floor programs' mesh reading: a mesh file expanded into a non-indexed triangle
// list, as the saver expands it, without the engine (a floor measures the device, not
// our loader). One reader for both floors, so they draw the same vertices; Vertex is
// each floor's own 36-byte layout {x, y, z, nx, ny, nz, color, u, v}.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace vtl::floor {

template <class Vertex, class Color>
bool LoadFloorMesh(const std::string& path, Color color, std::vector<Vertex>& out) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    char magic[8];
    std::int32_t header[6];
    bool ok = std::fread(magic, 1, 8, file) == 8 && std::memcmp(magic, "VOXAMESH", 8) == 0 &&
              std::fread(header, 4, 6, file) == 6;
    const std::int32_t t = ok ? header[2] : 0, p = ok ? header[3] : 0, n = ok ? header[4] : 0, c = ok ? header[5] : 0;
    ok = ok && t > 0 && p > 0 && n > 0 && c >= 0 && t < (1 << 24) && p < (1 << 24) && n < (1 << 24) && c < (1 << 24);
    std::vector<std::int32_t> tris(ok ? std::size_t(t) * 9 : 0);
    std::vector<float> pos(ok ? std::size_t(p) * 3 : 0), nor(ok ? std::size_t(n) * 3 : 0),
        tex(ok ? std::size_t(c) * 2 : 0);
    ok = ok && std::fread(tris.data(), 4, tris.size(), file) == tris.size() &&
         std::fread(pos.data(), 4, pos.size(), file) == pos.size() &&
         std::fread(nor.data(), 4, nor.size(), file) == nor.size() &&
         std::fread(tex.data(), 4, tex.size(), file) == tex.size();
    std::fclose(file);
    if (!ok) return false;
    for (std::int32_t i = 0; i < t; ++i) {
        const std::int32_t* k = &tris[std::size_t(i) * 9];
        for (int corner = 0; corner < 3; ++corner) {
            const std::int32_t vi = k[corner], ni = k[3 + corner], ti = k[6 + corner];
            if (vi < 0 || vi >= p || ni < 0 || ni >= n || (c > 0 && (ti < 0 || ti >= c))) return false;
            Vertex v{pos[vi * 3],
                     pos[vi * 3 + 1],
                     pos[vi * 3 + 2],
                     nor[ni * 3],
                     nor[ni * 3 + 1],
                     nor[ni * 3 + 2],
                     color,
                     0.0f,
                     1.0f};
            if (c > 0) {
                v.u = tex[ti * 2];
                v.v = 1.0f - tex[ti * 2 + 1];
            }
            out.push_back(v);
        }
    }
    return true;
}

}  // namespace vtl::floor

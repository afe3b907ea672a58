#include "genmesh.h"

#include <algorithm>

namespace vtl::sdf {

void KeepLargestPiece(GenMesh& mesh) {
    std::vector<int> parent(mesh.positions.size());
    for (size_t i = 0; i < parent.size(); ++i) parent[i] = static_cast<int>(i);
    auto find = [&](int a) {
        while (parent[a] != a) a = parent[a] = parent[parent[a]];
        return a;
    };
    for (const auto& t : mesh.triangles) {
        parent[find(t[1])] = find(t[0]);
        parent[find(t[2])] = find(t[0]);
    }
    std::vector<int> size(parent.size(), 0);
    for (const auto& t : mesh.triangles) ++size[find(t[0])];
    const int largest = static_cast<int>(std::max_element(size.begin(), size.end()) - size.begin());
    std::vector<std::array<int, 3>> kept;
    for (const auto& t : mesh.triangles)
        if (find(t[0]) == largest) kept.push_back(t);
    mesh.triangles = std::move(kept);
    // Unused vertices stay in the arrays; the file writer only pools the used ones.
}

void Append(GenMesh& a, const GenMesh& b) {
    const int base = static_cast<int>(a.positions.size());
    a.positions.insert(a.positions.end(), b.positions.begin(), b.positions.end());
    a.normals.insert(a.normals.end(), b.normals.begin(), b.normals.end());
    a.uvs.insert(a.uvs.end(), b.uvs.begin(), b.uvs.end());
    for (const auto& t : b.triangles) a.triangles.push_back({t[0] + base, t[1] + base, t[2] + base});
}

}  // namespace vtl::sdf

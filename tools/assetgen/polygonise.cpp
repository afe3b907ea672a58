#include "polygonise.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>

namespace vtl::sdf {

namespace {

// The six tetrahedra of a cell share the diagonal from corner 0 to corner 7; each
// walks from corner 0 along the three axes in one of the six orders. Corner bit 0
// is +x, bit 1 +y, bit 2 +z. Neighbouring cells then split their common face along
// the same diagonal, which keeps the surface free of cracks.
constexpr int kTets[6][4] = {{0, 1, 3, 7}, {0, 1, 5, 7}, {0, 2, 3, 7}, {0, 2, 6, 7}, {0, 4, 5, 7}, {0, 4, 6, 7}};

class Polygoniser {
public:
    Polygoniser(const Field& field, Vec3 lo, Vec3 hi, int nx, int ny, int nz)
        : field_(field),
          lo_(lo),
          nx_(nx),
          ny_(ny),
          nz_(nz),
          step_{(hi.x - lo.x) / nx, (hi.y - lo.y) / ny, (hi.z - lo.z) / nz} {}

    GenMesh Run() {
        values_.resize(static_cast<size_t>(nx_ + 1) * (ny_ + 1) * (nz_ + 1));
        for (int k = 0; k <= nz_; ++k)
            for (int j = 0; j <= ny_; ++j)
                for (int i = 0; i <= nx_; ++i) values_[Index(i, j, k)] = field_(Point(i, j, k));
        for (int k = 0; k < nz_; ++k)
            for (int j = 0; j < ny_; ++j)
                for (int i = 0; i < nx_; ++i) Cell(i, j, k);
        const double h = 0.25 * std::min(step_.x, std::min(step_.y, step_.z));
        mesh_.normals.reserve(mesh_.positions.size());
        for (const Vec3& p : mesh_.positions) mesh_.normals.push_back(Gradient(field_, p, h));
        return std::move(mesh_);
    }

private:
    size_t Index(int i, int j, int k) const { return (static_cast<size_t>(k) * (ny_ + 1) + j) * (nx_ + 1) + i; }
    Vec3 Point(int i, int j, int k) const { return {lo_.x + i * step_.x, lo_.y + j * step_.y, lo_.z + k * step_.z}; }
    bool Inside(size_t idx) const { return values_[idx] < 0; }

    // The surface vertex on the grid edge between points a and b (one inside, one
    // outside), created once and shared by every tetrahedron around that edge.
    int EdgeVertex(size_t a, size_t b, Vec3 pa, Vec3 pb) {
        if (a > b) {
            std::swap(a, b);
            std::swap(pa, pb);
        }
        const std::uint64_t key = (static_cast<std::uint64_t>(a) << 32) | b;
        const auto found = edges_.find(key);
        if (found != edges_.end()) return found->second;
        // Regula falsi on the real field: the blends are far from linear across a cell.
        double fa = values_[a], fb = values_[b], ta = 0, tb = 1, t = 0.5;
        for (int iter = 0; iter < 6; ++iter) {
            t = ta + (tb - ta) * fa / (fa - fb);
            const double ft = field_(Lerp(pa, pb, t));
            if ((ft < 0) == (fa < 0)) {
                ta = t;
                fa = ft;
            } else {
                tb = t;
                fb = ft;
            }
        }
        t = std::clamp(t, 0.01, 0.99);
        const int id = static_cast<int>(mesh_.positions.size());
        mesh_.positions.push_back(Lerp(pa, pb, t));
        edges_.emplace(key, id);
        return id;
    }

    void Cell(int i, int j, int k) {
        size_t idx[8];
        Vec3 pos[8];
        int inside = 0;
        for (int c = 0; c < 8; ++c) {
            const int ci = i + (c & 1), cj = j + ((c >> 1) & 1), ck = k + ((c >> 2) & 1);
            idx[c] = Index(ci, cj, ck);
            pos[c] = Point(ci, cj, ck);
            inside += Inside(idx[c]) ? 1 : 0;
        }
        if (inside == 0 || inside == 8) return;
        for (const auto& tet : kTets) Tet(tet, idx, pos);
    }

    // Emits a polygon whose vertices lie on the edges (in[e], out[e]). The winding is
    // chosen on the edge midpoints, where the polygon is never degenerate, so that
    // the face normal points from the inside corners to the outside ones; the real
    // vertices only slide along the same edges, which keeps that winding.
    void Emit(const int (*edges)[2], int count, const size_t* idx, const Vec3* pos) {
        int v[4];
        Vec3 mid[4];
        Vec3 in{}, out{};
        for (int e = 0; e < count; ++e) {
            v[e] = EdgeVertex(idx[edges[e][0]], idx[edges[e][1]], pos[edges[e][0]], pos[edges[e][1]]);
            mid[e] = (pos[edges[e][0]] + pos[edges[e][1]]) * 0.5;
            in = in + pos[edges[e][0]];
            out = out + pos[edges[e][1]];
        }
        const Vec3 outward = out - in;
        const bool flip = Dot(Cross(mid[1] - mid[0], mid[2] - mid[0]), outward) < 0;
        auto add = [&](int a, int b, int c) {
            if (flip) std::swap(b, c);
            mesh_.triangles.push_back({v[a], v[b], v[c]});
        };
        add(0, 1, 2);
        if (count == 4) add(0, 2, 3);
    }

    void Tet(const int (&tet)[4], const size_t* cellIdx, const Vec3* cellPos) {
        size_t idx[4];
        Vec3 pos[4];
        int in[4], out[4], nin = 0, nout = 0;
        for (int c = 0; c < 4; ++c) {
            idx[c] = cellIdx[tet[c]];
            pos[c] = cellPos[tet[c]];
            if (Inside(idx[c]))
                in[nin++] = c;
            else
                out[nout++] = c;
        }
        if (nin == 0 || nout == 0) return;
        int edges[4][2];
        int count = 0;
        auto cut = [&](int a, int b) {
            edges[count][0] = a;
            edges[count][1] = b;
            ++count;
        };
        if (nin == 1) {
            for (int o = 0; o < 3; ++o) cut(in[0], out[o]);
        } else if (nout == 1) {
            for (int n = 0; n < 3; ++n) cut(in[n], out[0]);
        } else {
            // Two and two: the four cut edges form a quad in this cyclic order.
            cut(in[0], out[0]);
            cut(in[0], out[1]);
            cut(in[1], out[1]);
            cut(in[1], out[0]);
        }
        Emit(edges, count, idx, pos);
    }

    const Field& field_;
    Vec3 lo_;
    int nx_, ny_, nz_;
    Vec3 step_;
    std::vector<double> values_;
    std::unordered_map<std::uint64_t, int> edges_;
    GenMesh mesh_;
};

}  // namespace

GenMesh Polygonise(const Field& field, Vec3 lo, Vec3 hi, int nx, int ny, int nz) {
    return Polygoniser(field, lo, hi, nx, ny, nz).Run();
}

}  // namespace vtl::sdf

#include "simplify.h"

#include <algorithm>
#include <iterator>
#include <queue>

namespace vtl::sdf {

namespace {

// A symmetric 4 x 4 error quadric: the sum over planes n.p + d = 0 of w (n.p + d)^2,
// kept as its ten distinct entries.
struct Quadric {
    double a2 = 0, ab = 0, ac = 0, ad = 0, b2 = 0, bc = 0, bd = 0, c2 = 0, cd = 0, d2 = 0;

    static Quadric Plane(Vec3 n, double d, double w) {
        return {w * n.x * n.x, w * n.x * n.y, w * n.x * n.z, w * n.x * d, w * n.y * n.y,
                w * n.y * n.z, w * n.y * d,   w * n.z * n.z, w * n.z * d, w * d * d};
    }
    Quadric& operator+=(const Quadric& q) {
        a2 += q.a2, ab += q.ab, ac += q.ac, ad += q.ad, b2 += q.b2;
        bc += q.bc, bd += q.bd, c2 += q.c2, cd += q.cd, d2 += q.d2;
        return *this;
    }
    double Error(Vec3 p) const {
        return p.x * (a2 * p.x + 2 * (ab * p.y + ac * p.z + ad)) + p.y * (b2 * p.y + 2 * (bc * p.z + bd)) +
               p.z * (c2 * p.z + 2 * cd) + d2;
    }
    // The point of least error, when the quadric pins one down: planes meeting at a
    // corner or along a crease do, a flat or evenly curved patch barely does.
    bool Minimum(Vec3& out) const {
        const double m00 = b2 * c2 - bc * bc, m01 = ac * bc - ab * c2, m02 = ab * bc - ac * b2;
        const double det = a2 * m00 + ab * m01 + ac * m02;
        const double scale = a2 + b2 + c2;
        if (!(std::fabs(det) > 1e-9 * scale * scale * scale)) return false;
        const double m11 = a2 * c2 - ac * ac, m12 = ab * ac - a2 * bc, m22 = a2 * b2 - ab * ab;
        const Vec3 r{-ad, -bd, -cd};
        out = Vec3{m00 * r.x + m01 * r.y + m02 * r.z, m01 * r.x + m11 * r.y + m12 * r.z,
                   m02 * r.x + m12 * r.y + m22 * r.z} *
              (1.0 / det);
        return true;
    }
};

// Garland and Heckbert's edge collapse: every vertex carries the quadric of the
// planes of the faces around it as generated, an edge costs the quadric error of
// the point it would merge into, and the cheapest edge goes first. Flat and gently
// curved bone merges away; creases, rims, teeth and the outline keep their
// vertices. Ties fall to the lower vertex numbers, so the result depends on the
// input alone.
class Simplifier {
public:
    Simplifier(GenMesh& mesh, const Field& field, double h) : mesh_(mesh), field_(field), h_(h) {
        alive_.assign(mesh.triangles.size(), true);
        around_.resize(mesh.positions.size());
        quadric_.resize(mesh.positions.size());
        area_.assign(mesh.positions.size(), 0.0);
        version_.assign(mesh.positions.size(), 0);
        normal_ = mesh.normals;
        if (normal_.size() != mesh.positions.size()) {
            normal_.clear();
            for (const Vec3& p : mesh.positions) normal_.push_back(Gradient(field, p, h));
        }
        for (size_t t = 0; t < mesh.triangles.size(); ++t) {
            const auto& tri = mesh.triangles[t];
            for (int v : tri) around_[v].push_back(static_cast<int>(t));
            const Vec3 p0 = mesh.positions[tri[0]];
            const Vec3 n = Cross(mesh.positions[tri[1]] - p0, mesh.positions[tri[2]] - p0);
            const double area2 = Length(n);
            if (area2 == 0) continue;
            const Vec3 unit = n * (1.0 / area2);
            const Quadric q = Quadric::Plane(unit, -Dot(unit, p0), area2);
            for (int v : tri) {
                quadric_[v] += q;
                area_[v] += area2;
            }
        }
        live_ = static_cast<int>(mesh.triangles.size());
    }

    void Run(int target) {
        // An edge refused once (it would have folded or thinned a face) may be fine
        // after its neighbours have moved, so the remaining edges are queued afresh
        // until a round gets no further.
        for (int before = live_ + 1; live_ > target && live_ < before;) {
            before = live_;
            QueueAllEdges();
            while (live_ > target && !queue_.empty()) {
                const Entry e = queue_.top();
                queue_.pop();
                if (version_[e.u] != e.versionU || version_[e.v] != e.versionV) continue;  // stale
                if (around_[e.u].empty() || around_[e.v].empty() || !Shared(e.u, e.v)) continue;
                Collapse(e.u, e.v, e.target);
            }
        }
        Compact();
    }

private:
    struct Entry {
        double cost;
        int u, v;
        unsigned versionU, versionV;
        Vec3 target;
        bool operator>(const Entry& o) const {
            if (cost != o.cost) return cost > o.cost;
            if (u != o.u) return u > o.u;
            return v > o.v;
        }
    };

    void QueueAllEdges() {
        queue_ = {};
        for (size_t t = 0; t < mesh_.triangles.size(); ++t) {
            if (!alive_[t]) continue;
            for (int k = 0; k < 3; ++k) {
                const int a = mesh_.triangles[t][k], b = mesh_.triangles[t][(k + 1) % 3];
                if (a < b) Push(a, b);  // each edge once: the closed surface has it both ways
            }
        }
    }

    void Push(int a, int b) {
        if (a > b) std::swap(a, b);
        Quadric q = quadric_[a];
        q += quadric_[b];
        const Vec3 pa = mesh_.positions[a], pb = mesh_.positions[b], mid = (pa + pb) * 0.5;
        Vec3 best = mid;
        double cost = q.Error(mid);
        Vec3 opt;
        // The optimum is trusted only near the edge: far off it, it is an artefact of
        // nearly parallel planes.
        if (q.Minimum(opt) && Dot(opt - mid, opt - mid) <= Dot(pa - pb, pa - pb)) {
            const double e = q.Error(opt);
            if (e < cost) cost = e, best = opt;
        }
        for (const Vec3& end : {pa, pb}) {
            const double e = q.Error(end);
            if (e < cost) cost = e, best = end;
        }
        // Edges of faces that disagree with their own smooth normals (slivers the
        // extraction leaves where blends meet) go first, at no cost.
        if (OnSliver(a, b)) cost = 0;
        // The error per unit of area the two ends stand for: the mean squared distance
        // from the surface as first extracted rather than its sum, so a large plain
        // patch gives way as readily as a small one and the triangles go where the
        // surface bends.
        const double area = area_[a] + area_[b];
        if (area > 0) cost /= area;
        queue_.push({std::max(cost, 0.0), a, b, version_[a], version_[b], best});
    }

    std::vector<int> Ring(int v) const {
        std::vector<int> ring;
        for (int t : around_[v])
            for (int w : mesh_.triangles[t])
                if (w != v) ring.push_back(w);
        std::sort(ring.begin(), ring.end());
        ring.erase(std::unique(ring.begin(), ring.end()), ring.end());
        return ring;
    }

    bool InsideOut(int t) const {
        const auto& tri = mesh_.triangles[t];
        const Vec3 p0 = mesh_.positions[tri[0]];
        const Vec3 n = Cross(mesh_.positions[tri[1]] - p0, mesh_.positions[tri[2]] - p0);
        for (int w : tri)
            if (Dot(n, normal_[w]) <= 0) return true;
        return false;
    }

    bool OnSliver(int a, int b) const {
        for (int t : around_[a]) {
            const auto& tri = mesh_.triangles[t];
            if ((tri[0] == b || tri[1] == b || tri[2] == b) && InsideOut(t)) return true;
        }
        return false;
    }

    static double LongestEdge2(const Vec3 (&c)[3]) {
        return std::max({Dot(c[1] - c[0], c[1] - c[0]), Dot(c[2] - c[1], c[2] - c[1]), Dot(c[0] - c[2], c[0] - c[2])});
    }

    bool Shared(int u, int v) const {
        for (int t : around_[u])
            for (int w : mesh_.triangles[t])
                if (w == v) return true;
        return false;
    }

    // Whether every face around u and v, but the two on their edge, stays the right
    // way round, not needle-thin and (given the merged point's normal) in agreement
    // with the smooth normals it is shaded with.
    bool FacesStayGood(int u, int v, Vec3 target, const Vec3* targetNormal) const {
        for (int end : {u, v})
            for (int t : around_[end]) {
                const auto& tri = mesh_.triangles[t];
                if ((tri[0] == u || tri[1] == u || tri[2] == u) && (tri[0] == v || tri[1] == v || tri[2] == v))
                    continue;
                Vec3 before[3], after[3];
                for (int k = 0; k < 3; ++k) {
                    before[k] = mesh_.positions[tri[k]];
                    after[k] = (tri[k] == u || tri[k] == v) ? target : before[k];
                }
                const Vec3 n0 = Cross(before[1] - before[0], before[2] - before[0]);
                const Vec3 n1 = Cross(after[1] - after[0], after[2] - after[0]);
                const double l0 = Length(n0), l1 = Length(n1);
                if (l1 == 0 || Dot(n0, n1) < 0.3 * l0 * l1) return false;
                // Needle-thin: area against the longest edge. A sliver of the extraction
                // may stay one while it gets no thinner.
                const double q1 = l1 / LongestEdge2(after);
                if (q1 < 0.08 && q1 < l0 / LongestEdge2(before)) return false;
                if (targetNormal == nullptr) continue;
                // A face may not turn against its normals; one that already was (a sliver
                // where blends meet) may be merged away.
                bool agreed = true, agrees = true;
                for (int k = 0; k < 3; ++k) {
                    agreed = agreed && Dot(n0, normal_[tri[k]]) > 0;
                    agrees = agrees && Dot(n1, (tri[k] == u || tri[k] == v) ? *targetNormal : normal_[tri[k]]) > 0;
                }
                if (agreed && !agrees) return false;
            }
        return true;
    }

    void Collapse(int u, int v, Vec3 wanted) {
        // Link condition: u and v may share only the two vertices opposite their edge.
        const std::vector<int> ru = Ring(u), rv = Ring(v);
        std::vector<int> common;
        std::set_intersection(ru.begin(), ru.end(), rv.begin(), rv.end(), std::back_inserter(common));
        if (common.size() != 2) return;
        // The two opposite vertices lose an edge each; below three they would fold
        // into a flat double-sided sliver.
        for (int w : common)
            if (Ring(w).size() <= 3) return;
        // The merged point is checked where the quadric wants it first, which turns
        // most refusals away before the field is asked to put it on the surface.
        // Where the quadric's point would thin or fold a face, the middle of the edge
        // or one of its ends may still do: a refused edge hands its turn to a costlier
        // one, and the triangles saved would go where they are not needed.
        if (!FacesStayGood(u, v, wanted, nullptr)) {
            const Vec3 others[] = {(mesh_.positions[u] + mesh_.positions[v]) * 0.5, mesh_.positions[u],
                                   mesh_.positions[v]};
            const Vec3* found = nullptr;
            for (const Vec3& other : others)
                if (found == nullptr && FacesStayGood(u, v, other, nullptr)) found = &other;
            if (found == nullptr) return;
            wanted = *found;
        }
        const Vec3 target = ProjectToSurface(field_, wanted, h_);
        const Vec3 targetNormal = Gradient(field_, target, h_);
        if (!FacesStayGood(u, v, target, &targetNormal)) return;
        mesh_.positions[u] = target;
        normal_[u] = targetNormal;
        quadric_[u] += quadric_[v];
        area_[u] += area_[v];
        ++version_[u];
        ++version_[v];
        std::vector<int> keep;
        for (int t : around_[u]) {
            const auto& tri = mesh_.triangles[t];
            if (tri[0] == v || tri[1] == v || tri[2] == v) {
                Kill(t, u);
            } else {
                keep.push_back(t);
            }
        }
        for (int t : around_[v]) {
            if (!alive_[t]) continue;
            for (int& w : mesh_.triangles[t])
                if (w == v) w = u;
            keep.push_back(t);
        }
        around_[u] = keep;
        around_[v].clear();
        for (int w : Ring(u)) Push(u, w);
    }

    void Kill(int t, int keeper) {
        alive_[t] = false;
        --live_;
        for (int w : mesh_.triangles[t]) {
            if (w == keeper) continue;
            auto& list = around_[w];
            list.erase(std::remove(list.begin(), list.end(), t), list.end());
        }
    }

    void Compact() {
        std::vector<int> remap(mesh_.positions.size(), -1);
        GenMesh out;
        for (size_t t = 0; t < mesh_.triangles.size(); ++t) {
            if (!alive_[t]) continue;
            std::array<int, 3> tri{};
            for (int k = 0; k < 3; ++k) {
                int& r = remap[mesh_.triangles[t][k]];
                if (r < 0) {
                    r = static_cast<int>(out.positions.size());
                    out.positions.push_back(mesh_.positions[mesh_.triangles[t][k]]);
                    out.normals.push_back(normal_[mesh_.triangles[t][k]]);
                }
                tri[k] = r;
            }
            out.triangles.push_back(tri);
        }
        MendNormals(out);
        mesh_ = std::move(out);
    }

    // Where the field's gradient and a face still disagree (between teeth closer
    // than the sampling grid, the gradient points sideways across the gap the mesh
    // bridges), the vertex takes the mean of its faces' normals instead, so the
    // light sees what the mesh shows.
    static void MendNormals(GenMesh& m) {
        std::vector<Vec3> faceSum(m.positions.size());
        std::vector<bool> wrong(m.positions.size(), false);
        for (const auto& tri : m.triangles) {
            const Vec3 n = Cross(m.positions[tri[1]] - m.positions[tri[0]], m.positions[tri[2]] - m.positions[tri[0]]);
            for (int w : tri) {
                faceSum[w] = faceSum[w] + n;
                if (Dot(n, m.normals[w]) <= 0) wrong[w] = true;
            }
        }
        for (size_t i = 0; i < m.positions.size(); ++i)
            if (wrong[i] && Length(faceSum[i]) > 0) m.normals[i] = Normalized(faceSum[i]);
    }

    GenMesh& mesh_;
    const Field& field_;
    double h_;
    std::vector<bool> alive_;
    std::vector<std::vector<int>> around_;
    std::vector<Quadric> quadric_;
    std::vector<double> area_;
    std::vector<Vec3> normal_;
    std::vector<unsigned> version_;
    int live_ = 0;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> queue_;
};

}  // namespace

void Simplify(GenMesh& mesh, const Field& field, int targetTriangles, double h) {
    Simplifier(mesh, field, h).Run(targetTriangles);
}

}  // namespace vtl::sdf

#include "sdf.h"

#include <algorithm>
#include <queue>
#include <unordered_map>

namespace vtl::sdf {

double Ellipsoid(Vec3 p, Vec3 centre, Vec3 radii) {
  const Vec3 q = p - centre;
  const Vec3 a{q.x / radii.x, q.y / radii.y, q.z / radii.z};
  const Vec3 b{q.x / (radii.x * radii.x), q.y / (radii.y * radii.y), q.z / (radii.z * radii.z)};
  const double k0 = Length(a), k1 = Length(b);
  if (k1 == 0) return -std::min(radii.x, std::min(radii.y, radii.z));
  return k0 * (k0 - 1.0) / k1;
}

double Sphere(Vec3 p, Vec3 centre, double r) { return Length(p - centre) - r; }

double Capsule(Vec3 p, Vec3 a, Vec3 b, double r) {
  const Vec3 pa = p - a, ba = b - a;
  const double h = std::clamp(Dot(pa, ba) / Dot(ba, ba), 0.0, 1.0);
  return Length(pa - ba * h) - r;
}

double TaperedCapsule(Vec3 p, Vec3 a, Vec3 b, double ra, double rb) {
  const Vec3 pa = p - a, ba = b - a;
  const double h = std::clamp(Dot(pa, ba) / Dot(ba, ba), 0.0, 1.0);
  return Length(pa - ba * h) - (ra + (rb - ra) * h);
}

double RoundBox(Vec3 p, Vec3 centre, Vec3 u, Vec3 v, Vec3 w, Vec3 half, double r) {
  const Vec3 d = p - centre;
  const Vec3 q{std::fabs(Dot(d, u)) - half.x, std::fabs(Dot(d, v)) - half.y, std::fabs(Dot(d, w)) - half.z};
  const Vec3 outside{std::max(q.x, 0.0), std::max(q.y, 0.0), std::max(q.z, 0.0)};
  return Length(outside) + std::min(std::max(q.x, std::max(q.y, q.z)), 0.0) - r;
}

double Triangle(Vec3 p, Vec3 a, Vec3 b, Vec3 c) {
  const Vec3 ba = b - a, pa = p - a, cb = c - b, pb = p - b, ac = a - c, pc = p - c;
  const Vec3 nor = Cross(ba, ac);
  auto sign = [](double v) { return v > 0 ? 1.0 : (v < 0 ? -1.0 : 0.0); };
  auto edge = [](Vec3 e, Vec3 q) {
    const Vec3 d = e * std::clamp(Dot(e, q) / Dot(e, e), 0.0, 1.0) - q;
    return Dot(d, d);
  };
  const double s = sign(Dot(Cross(ba, nor), pa)) + sign(Dot(Cross(cb, nor), pb)) + sign(Dot(Cross(ac, nor), pc));
  if (s < 2.0) return std::sqrt(std::min(edge(ba, pa), std::min(edge(cb, pb), edge(ac, pc))));
  const double d = Dot(nor, pa);
  return std::sqrt(d * d / Dot(nor, nor));
}

double SmoothUnion(double a, double b, double k) {
  const double h = std::max(k - std::fabs(a - b), 0.0) / k;
  return std::min(a, b) - h * h * k * 0.25;
}

double SmoothSubtract(double a, double b, double k) { return -SmoothUnion(-a, b, k); }

Vec3 Gradient(const Field& field, Vec3 p, double h) {
  const Vec3 g{field({p.x + h, p.y, p.z}) - field({p.x - h, p.y, p.z}),
               field({p.x, p.y + h, p.z}) - field({p.x, p.y - h, p.z}),
               field({p.x, p.y, p.z + h}) - field({p.x, p.y, p.z - h})};
  return Normalized(g);
}

Vec3 ProjectToSurface(const Field& field, Vec3 p, double h) {
  for (int iter = 0; iter < 3; ++iter) {
    const double f = field(p);
    if (std::fabs(f) < h * 1e-4) break;  // on the surface to far below a vertex's rounding
    const Vec3 g{(field({p.x + h, p.y, p.z}) - field({p.x - h, p.y, p.z})) / (2 * h),
                 (field({p.x, p.y + h, p.z}) - field({p.x, p.y - h, p.z})) / (2 * h),
                 (field({p.x, p.y, p.z + h}) - field({p.x, p.y, p.z - h})) / (2 * h)};
    const double g2 = Dot(g, g);
    if (g2 == 0) break;
    p = p - g * (f / g2);
  }
  return p;
}

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
        if ((tri[0] == u || tri[1] == u || tri[2] == u) && (tri[0] == v || tri[1] == v || tri[2] == v)) continue;
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
      const Vec3 others[] = {(mesh_.positions[u] + mesh_.positions[v]) * 0.5, mesh_.positions[u], mesh_.positions[v]};
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

namespace {

// The six tetrahedra of a cell share the diagonal from corner 0 to corner 7; each
// walks from corner 0 along the three axes in one of the six orders. Corner bit 0
// is +x, bit 1 +y, bit 2 +z. Neighbouring cells then split their common face along
// the same diagonal, which keeps the surface free of cracks.
constexpr int kTets[6][4] = {{0, 1, 3, 7}, {0, 1, 5, 7}, {0, 2, 3, 7},
                             {0, 2, 6, 7}, {0, 4, 5, 7}, {0, 4, 6, 7}};

class Polygoniser {
 public:
  Polygoniser(const Field& field, Vec3 lo, Vec3 hi, int nx, int ny, int nz)
      : field_(field), lo_(lo), nx_(nx), ny_(ny), nz_(nz),
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
  size_t Index(int i, int j, int k) const {
    return (static_cast<size_t>(k) * (ny_ + 1) + j) * (nx_ + 1) + i;
  }
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

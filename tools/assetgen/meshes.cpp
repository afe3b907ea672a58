#include "meshes.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <map>
#include <stdexcept>

#include "engine/voxamesh.h"
#include "preview.h"
#include "raster.h"
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

// Colour quantisation by median cut: split the box with the widest channel range
// at its median until there are 256 boxes; each box's mean is a palette entry.
std::vector<std::array<std::uint8_t, 3>> MedianCut(const RgbImage& image, std::vector<std::uint8_t>& indices) {
  const int count = image.width * image.height;
  std::vector<int> order(count);
  for (int i = 0; i < count; ++i) order[i] = i;
  struct Box {
    int begin, end;
  };
  std::vector<Box> boxes{{0, count}};
  auto channel = [&](int pixel, int c) { return image.rgb[static_cast<size_t>(pixel) * 3 + c]; };
  auto widest = [&](const Box& b, int& range) {
    int best = 0;
    range = -1;
    for (int c = 0; c < 3; ++c) {
      int lo = 255, hi = 0;
      for (int i = b.begin; i < b.end; ++i) {
        lo = std::min<int>(lo, channel(order[i], c));
        hi = std::max<int>(hi, channel(order[i], c));
      }
      if (hi - lo > range) {
        range = hi - lo;
        best = c;
      }
    }
    return best;
  };
  while (boxes.size() < 256) {
    int pick = -1, pickRange = 0, pickChannel = 0;
    for (size_t b = 0; b < boxes.size(); ++b) {
      if (boxes[b].end - boxes[b].begin < 2) continue;
      int range = 0;
      const int c = widest(boxes[b], range);
      if (range > pickRange) {
        pickRange = range;
        pick = static_cast<int>(b);
        pickChannel = c;
      }
    }
    if (pick < 0) break;
    Box& box = boxes[pick];
    std::stable_sort(order.begin() + box.begin, order.begin() + box.end,
                     [&](int a, int b) { return channel(a, pickChannel) < channel(b, pickChannel); });
    const int mid = (box.begin + box.end) / 2;
    const Box upper{mid, box.end};
    box.end = mid;
    boxes.push_back(upper);
  }
  std::vector<std::array<std::uint8_t, 3>> palette(256, {0, 0, 0});
  indices.assign(count, 0);
  for (size_t b = 0; b < boxes.size(); ++b) {
    long sum[3] = {0, 0, 0};
    const int n = boxes[b].end - boxes[b].begin;
    for (int i = boxes[b].begin; i < boxes[b].end; ++i) {
      for (int c = 0; c < 3; ++c) sum[c] += channel(order[i], c);
      indices[order[i]] = static_cast<std::uint8_t>(b);
    }
    for (int c = 0; c < 3; ++c) palette[b][c] = static_cast<std::uint8_t>((sum[c] + n / 2) / std::max(n, 1));
  }
  return palette;
}

void Put16(std::vector<std::uint8_t>& out, unsigned v) {
  out.push_back(v & 0xFF);
  out.push_back((v >> 8) & 0xFF);
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
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
    out.triangles.push_back({pos[t[0]], pos[t[1]], pos[t[2]], norm[t[0]], norm[t[1]], norm[t[2]], uv[t[0]],
                             uv[t[1]], uv[t[2]]});
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
  Save(outDir + "/qv_skull.msh", SkullMeshData());
  Save(outDir + "/glas_sp.msh", GlassesMeshData());
}

RgbImage RenderScene(int width, int height, const RgbImage& background, float rotationDeg, const MeshData& skull,
                     const MeshData* glasses, const RgbImage* environment) {
  Raster raster(width, height);
  raster.Clear(0, 0, 0);
  raster.DrawBackground(background);
  const float white[3] = {1, 1, 1}, blue[3] = {0x40 / 255.0f, 0x40 / 255.0f, 0x80 / 255.0f};
  const auto mode = environment != nullptr ? Raster::TexMode::kReflection : Raster::TexMode::kNone;
  raster.SetWorld(SkullWorld(rotationDeg));
  raster.DrawMesh(skull, white, mode, environment);
  if (glasses != nullptr) {
    raster.SetWorld(GlassesWorld(rotationDeg));
    raster.DrawMesh(*glasses, blue, mode, environment);
  }
  return raster.Image();
}

void WriteBmp8(const std::string& path, const RgbImage& image) {
  std::vector<std::uint8_t> indices;
  const auto palette = MedianCut(image, indices);
  const int stride = (image.width + 3) & ~3;
  const std::uint32_t dataOffset = 14 + 40 + 256 * 4;
  const std::uint32_t size = dataOffset + static_cast<std::uint32_t>(stride * image.height);
  std::vector<std::uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  Put32(out, size);
  Put32(out, 0);
  Put32(out, dataOffset);
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(image.width));
  Put32(out, static_cast<std::uint32_t>(image.height));  // positive: rows bottom-up
  Put16(out, 1);
  Put16(out, 8);
  Put32(out, 0);  // BI_RGB
  Put32(out, static_cast<std::uint32_t>(stride * image.height));
  Put32(out, 2835);
  Put32(out, 2835);
  Put32(out, 256);
  Put32(out, 0);
  for (const auto& c : palette) {
    out.push_back(c[2]);
    out.push_back(c[1]);
    out.push_back(c[0]);
    out.push_back(0);
  }
  for (int y = image.height - 1; y >= 0; --y) {
    for (int x = 0; x < image.width; ++x) out.push_back(indices[static_cast<size_t>(y) * image.width + x]);
    for (int x = image.width; x < stride; ++x) out.push_back(0);
  }
  std::FILE* f = std::fopen(path.c_str(), "wb");
  const bool ok = f != nullptr && std::fwrite(out.data(), 1, out.size(), f) == out.size();
  if (f != nullptr && std::fclose(f) != 0) throw std::runtime_error("cannot write " + path);
  if (!ok) throw std::runtime_error("cannot write " + path);
}

void WritePreviewBmp(const std::string& outDir, const RgbImage& background) {
  // Rendered four times larger and filtered down, so the small picture has smooth edges;
  // a three-quarter turn shows both the face and the glasses' temples.
  const int scale = 4;
  const RgbImage big = RenderScene(kPreviewWidth * scale, kPreviewHeight * scale, background, -62.0f, SkullMeshData(),
                                   &GlassesMeshData(), nullptr);
  WriteBmp8(outDir + "/preview.bmp", Raster::Downsample(big, scale));
}

}  // namespace vtl

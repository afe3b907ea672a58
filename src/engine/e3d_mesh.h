#pragma once
// Meshes and textures on the renderer's device: the engine's one vertex layout, meshes
// from mesh files and the picture quad, textures with their plain and reflection
// stage set-ups. Objects made here live as long as their owner keeps them.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/_tex.h"
#include "engine/e3d_renderer.h"

namespace vtl {

// The engine's one vertex layout.
struct TBufferVertex {
    float x, y, z;
    float nx, ny, nz;
    D3DCOLOR Color;
    float u, v;
};
inline constexpr std::uint32_t kBufferVertexFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1;
inline constexpr std::uint32_t kBufferVertexStride = 36;
// The device reads the buffers with this exact layout.
static_assert(sizeof(TBufferVertex) == kBufferVertexStride, "TBufferVertex is 36 bytes");
static_assert(offsetof(TBufferVertex, nx) == 12, "normal at 12");
static_assert(offsetof(TBufferVertex, Color) == 24, "diffuse at 24");
static_assert(offsetof(TBufferVertex, u) == 28, "u at 28");
static_assert(offsetof(TBufferVertex, v) == 32, "v at 32");
static_assert(kBufferVertexFvf == 0x152, "position, normal, diffuse, one texture pair");

struct TMeshInfo {
    bool TwoSided = false;
    std::int32_t TriangleCount = 0;
    std::shared_ptr<IRenderVertexBuffer> BackBuffer;   // only when two-sided: normals negated
    std::shared_ptr<IRenderVertexBuffer> FrontBuffer;  // 3 x TriangleCount vertices, a triangle list
    // The front buffer's contents: the buffers live in the default pool, which a lost
    // device loses. The back buffer is made again from them (BackSideVertex), so its
    // bytes are not kept a second time.
    std::vector<std::uint8_t> FrontBytes;
};

// A vertex of the back side of a two-sided mesh: the same with its normal negated.
TBufferVertex BackSideVertex(const TBufferVertex& front);

struct TTextureInfo {
    std::shared_ptr<IRenderTexture> Texture;
    D3DMATRIX SavedTransform = kIdentityMatrix;  // stage-0 texture transform before BeginReflection
};

// Null when the file is missing, unreadable as a mesh, indexes outside its pools, has
// no triangles, or the device refuses a buffer.
std::unique_ptr<TMeshInfo> CreateMeshInfo(const std::string& FileName, TRenderInfo* R, bool TwoSided, D3DCOLOR Color);
// Shape 1: the 4 x 3 picture quad at z = 0 facing -z. Any other shape: null.
std::unique_ptr<TMeshInfo> CreateQuadMesh(TRenderInfo* R, bool TwoSided, D3DCOLOR Color, int Shape);
int DrawMesh(TRenderInfo* R, TMeshInfo* Mesh);

std::unique_ptr<TTextureInfo> CreateTextureInfo(const std::string& FileName, TRenderInfo* R);
// Stage 0 modulates the lit vertex colour with the texture.
int ApplyTexture(TRenderInfo* R, TTextureInfo* Tex);
int RemoveTexture(TRenderInfo* R, TTextureInfo* Tex);
// Stage 0 addresses the texture by camera-space normals: an environment reflection.
int BeginReflection(TRenderInfo* R, TTextureInfo* Tex);
int EndReflection(TRenderInfo* R, TTextureInfo* Tex);

}  // namespace vtl

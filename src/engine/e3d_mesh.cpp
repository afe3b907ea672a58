// Meshes and textures on the device: mesh files expanded into non-indexed triangle
// lists on static buffers, the picture quad, and the texture-stage set-ups for a plain
// textured draw and for an environment reflection.
#include <cstddef>
#include <cstring>
#include <limits>

#include "engine/e3d_mesh.h"
#include "engine/voxamesh.h"
#include "platform/files.h"

namespace vtl {

namespace {

// A static buffer of `count` vertices, locked for writing; empty when the device
// refuses to create or lock it.
struct LockedBuffer {
    std::shared_ptr<IRenderVertexBuffer> buffer;
    TBufferVertex* vertices = nullptr;
    std::uint32_t length = 0;
};

bool CreateLocked(IRenderDevice& device, std::uint32_t count, LockedBuffer& out) {
    const std::uint32_t length = count * kBufferVertexStride;
    std::shared_ptr<IRenderVertexBuffer> buffer;
    if (device.CreateVertexBuffer(length, 0, kBufferVertexFvf, D3DPOOL_DEFAULT, buffer) < 0 || !buffer) return false;
    std::uint8_t* data = nullptr;
    if (buffer->Lock(0, length, &data, 0) < 0 || data == nullptr) return false;
    out.buffer = buffer;
    out.vertices = reinterpret_cast<TBufferVertex*>(data);
    out.length = length;
    return true;
}

// Front buffer and, for a two-sided mesh, the back buffer, both locked; the record
// is filled in once both exist.
bool CreateMeshBuffers(IRenderDevice& device, std::uint32_t vertexCount, bool twoSided, LockedBuffer& front,
                       LockedBuffer& back) {
    if (!CreateLocked(device, vertexCount, front)) return false;
    if (twoSided && !CreateLocked(device, vertexCount, back)) {
        front.buffer->Unlock();
        return false;
    }
    return true;
}

void Put(const LockedBuffer& front, const LockedBuffer& back, std::size_t index, const TBufferVertex& vertex) {
    front.vertices[index] = vertex;
    if (back.vertices != nullptr) back.vertices[index] = BackSideVertex(vertex);
}

// The contents of a filled buffer, still locked.
std::vector<std::uint8_t> Kept(const LockedBuffer& filled) {
    if (filled.vertices == nullptr) return {};
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(filled.vertices);
    return std::vector<std::uint8_t>(bytes, bytes + filled.length);
}

std::unique_ptr<TMeshInfo> Finish(LockedBuffer& front, LockedBuffer& back, bool twoSided, std::int32_t triangles) {
    auto mesh = std::make_unique<TMeshInfo>();
    mesh->FrontBytes = Kept(front);
    front.buffer->Unlock();
    if (back.buffer) back.buffer->Unlock();
    mesh->TwoSided = twoSided;
    mesh->TriangleCount = triangles;
    mesh->FrontBuffer = front.buffer;
    mesh->BackBuffer = back.buffer;
    return mesh;
}

bool InPool(std::int32_t index, std::size_t size) { return index >= 0 && static_cast<std::size_t>(index) < size; }

// Every index within its pool; texture indices only matter when the file has any.
bool IndicesValid(const MeshData& data) {
    const std::size_t positions = data.positions.size(), normals = data.normals.size();
    const std::size_t texCoords = data.texCoords.size();
    for (const TMeshTriangle& t : data.triangles) {
        if (!InPool(t.V0, positions) || !InPool(t.V1, positions) || !InPool(t.V2, positions)) return false;
        if (!InPool(t.N0, normals) || !InPool(t.N1, normals) || !InPool(t.N2, normals)) return false;
        if (texCoords > 0 && (!InPool(t.T0, texCoords) || !InPool(t.T1, texCoords) || !InPool(t.T2, texCoords)))
            return false;
    }
    return true;
}

struct QuadCorner {
    float x, y, u, v;
};

constexpr QuadCorner kPictureQuad[6] = {
    {-2.0f, 1.5f, 1, 0},  {2.0f, 1.5f, 0, 0}, {-2.0f, -1.5f, 1, 1},
    {-2.0f, -1.5f, 1, 1}, {2.0f, 1.5f, 0, 0}, {2.0f, -1.5f, 0, 1},
};

void DrawSide(IRenderDevice& device, IRenderVertexBuffer* buffer, std::uint32_t cull, std::int32_t triangles) {
    device.SetStreamSource(0, buffer, kBufferVertexStride);
    device.SetVertexShader(kBufferVertexFvf);
    device.SetRenderState(D3DRS_CULLMODE, cull);
    device.DrawPrimitive(D3DPT_TRIANGLELIST, 0, static_cast<std::uint32_t>(triangles));
}

void SetLinearModulate(IRenderDevice& device) {
    device.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device.SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    device.SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
}

}  // namespace

TBufferVertex BackSideVertex(const TBufferVertex& front) {
    TBufferVertex back = front;
    back.nx = -front.nx;
    back.ny = -front.ny;
    back.nz = -front.nz;
    return back;
}

std::unique_ptr<TMeshInfo> CreateMeshInfo(const std::string& FileName, TRenderInfo* R, bool TwoSided, D3DCOLOR Color) {
    if (R == nullptr || !FileExists(FileName)) return nullptr;
    std::int32_t triangles = 0, positions = 0, normals = 0, texCoords = 0;
    MeshData data;
    if (LoadMeshFile(FileName, triangles, positions, normals, texCoords, data) != kMeshOk) return nullptr;
    // Reading the pools by an index from the file must stay inside them, and the
    // buffer length must fit the device's 32-bit sizes.
    const std::uint32_t maxTriangles = std::numeric_limits<std::uint32_t>::max() / (3 * kBufferVertexStride);
    if (triangles <= 0 || static_cast<std::uint32_t>(triangles) > maxTriangles) return nullptr;
    if (data.triangles.size() != static_cast<std::size_t>(triangles) || !IndicesValid(data)) return nullptr;

    LockedBuffer front, back;
    if (!CreateMeshBuffers(*R->Device, 3u * static_cast<std::uint32_t>(triangles), TwoSided, front, back))
        return nullptr;
    const bool hasTexCoords = !data.texCoords.empty();
    std::size_t n = 0;
    for (const TMeshTriangle& t : data.triangles) {
        const std::int32_t v[3] = {t.V0, t.V1, t.V2}, nn[3] = {t.N0, t.N1, t.N2}, tt[3] = {t.T0, t.T1, t.T2};
        for (int k = 0; k < 3; ++k) {
            const D3DVECTOR& p = data.positions[static_cast<std::size_t>(v[k])];
            const D3DVECTOR& q = data.normals[static_cast<std::size_t>(nn[k])];
            TBufferVertex vertex{p.x, p.y, p.z, q.x, q.y, q.z, Color, 0.0f, 1.0f};
            if (hasTexCoords) {
                const TMeshTexCoord& c = data.texCoords[static_cast<std::size_t>(tt[k])];
                vertex.u = c.u;
                // Files count v up from the bottom edge; the device counts down from the top.
                vertex.v = static_cast<float>(1.0 - double(c.v));
            }
            Put(front, back, n++, vertex);
        }
    }
    return Finish(front, back, TwoSided, triangles);
}

std::unique_ptr<TMeshInfo> CreateQuadMesh(TRenderInfo* R, bool TwoSided, D3DCOLOR Color, int Shape) {
    if (Shape != 1 || R == nullptr) return nullptr;
    LockedBuffer front, back;
    if (!CreateMeshBuffers(*R->Device, 6, TwoSided, front, back)) return nullptr;
    for (std::size_t i = 0; i < 6; ++i) {
        const QuadCorner& c = kPictureQuad[i];
        Put(front, back, i, TBufferVertex{c.x, c.y, 0.0f, 0.0f, 0.0f, -1.0f, Color, c.u, c.v});
    }
    return Finish(front, back, TwoSided, 2);
}

int DrawMesh(TRenderInfo* R, TMeshInfo* Mesh) {
    if (R == nullptr) return kErrDrawNoRenderer;
    if (Mesh == nullptr) return kErrDrawNoMesh;
    // A buffer a lost device took and could not give back draws nothing.
    if (Mesh->FrontBuffer) DrawSide(*R->Device, Mesh->FrontBuffer.get(), D3DCULL_CCW, Mesh->TriangleCount);
    if (Mesh->TwoSided && Mesh->BackBuffer)
        DrawSide(*R->Device, Mesh->BackBuffer.get(), D3DCULL_CW, Mesh->TriangleCount);
    return 0;
}

std::unique_ptr<TTextureInfo> CreateTextureInfo(const std::string& FileName, TRenderInfo* R) {
    if (R == nullptr || !FileExists(FileName)) return nullptr;
    auto info = std::make_unique<TTextureInfo>();
    if (LoadTextureFromFile(R->Device.get(), FileName, info->Texture) < 0) return nullptr;
    return info;
}

int ApplyTexture(TRenderInfo* R, TTextureInfo* Tex) {
    if (R == nullptr || Tex == nullptr) return 0;
    SetLinearModulate(*R->Device);
    R->Device->SetTexture(0, Tex->Texture.get());
    return 0;
}

int RemoveTexture(TRenderInfo* R, TTextureInfo* Tex) {
    if (R == nullptr || Tex == nullptr) return 0;
    R->Device->SetTexture(0, nullptr);
    return 0;
}

int BeginReflection(TRenderInfo* R, TTextureInfo* Tex) {
    if (R == nullptr || Tex == nullptr) return 0;
    IRenderDevice& device = *R->Device;
    device.GetTransform(D3DTS_TEXTURE0, Tex->SavedTransform);
    // Camera-space normal (nx, ny) to the picture: u = 0.5 + 0.5 nx, v = 0.5 - 0.5 ny.
    D3DMATRIX sphereMap = kZeroMatrix;
    sphereMap.m[0][0] = 0.5f;
    sphereMap.m[1][1] = -0.5f;
    sphereMap.m[2][2] = 1.0f;
    sphereMap.m[3][0] = 0.5f;
    sphereMap.m[3][1] = 0.5f;
    sphereMap.m[3][3] = 1.0f;
    device.SetTransform(D3DTS_TEXTURE0, sphereMap);
    device.SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
    device.SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACENORMAL);
    SetLinearModulate(device);
    device.SetTexture(0, Tex->Texture.get());
    return 0;
}

int EndReflection(TRenderInfo* R, TTextureInfo* Tex) {
    if (R == nullptr || Tex == nullptr) return 0;
    R->Device->SetTransform(D3DTS_TEXTURE0, Tex->SavedTransform);
    R->Device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_PASSTHRU);
    R->Device->SetTexture(0, nullptr);
    return 0;
}

}  // namespace vtl

// Number font: lines of digits and a few signs drawn as one textured quad per
// character from a 16-cell glyph strip, over everything already drawn.
#include <cstring>

#include "engine/e3d_numfont.h"

#include "engine/_tex.h"
#include "engine/e3d_mesh.h"
#include "platform/files.h"

namespace vtl {

namespace {

constexpr std::uint32_t kQuadVertices = 6;
constexpr std::uint32_t kQuadBytes = kQuadVertices * kBufferVertexStride;  // 216
constexpr float kGlyphWidth = 0.24f;
constexpr float kGlyphHeight = 0.4f;
constexpr float kGlyphPitch = 0.28f;
constexpr float kUnitsPerSize = 50.0f;
constexpr D3DCOLOR kGlyphColor = 0x00FFFFFFu;

// The quad's x axis runs against the texture's u axis: seen from a camera with world
// +x on the left, the glyph shows unmirrored. Corners 0, 2, 3 take the cell's right
// edge, 1, 4, 5 its left edge.
struct Corner {
    float x, y, v;
    bool rightEdge;
};
constexpr Corner kQuad[kQuadVertices] = {
    {0.0f, kGlyphHeight, 0, true}, {kGlyphWidth, kGlyphHeight, 0, false}, {0.0f, 0.0f, 1, true},
    {0.0f, 0.0f, 1, true},         {kGlyphWidth, kGlyphHeight, 0, false}, {kGlyphWidth, 0.0f, 1, false},
};

void WriteCell(TBufferVertex* vertices, int cell) {
    const float left = static_cast<float>(cell) / 16.0f, right = static_cast<float>(cell + 1) / 16.0f;
    for (std::uint32_t i = 0; i < kQuadVertices; ++i) {
        vertices[i].u = kQuad[i].rightEdge ? right : left;
        vertices[i].v = kQuad[i].v;
    }
}

}  // namespace

int NumFontCell(char Ch) {
    if (Ch >= '0' && Ch <= '9') return Ch - '0';
    switch (Ch) {
        case ',': return 10;
        case ' ': return 11;
        case 'F':
        case 'f': return 13;
        case 'P':
        case 'p': return 14;
        case 'S':
        case 's': return 15;
        default: return 12;  // '.' and every character without a glyph of its own
    }
}

std::unique_ptr<TNumFontInfo> CreateNumFont(const std::string& FileName, TRenderInfo* R) {
    if (R == nullptr || !FileExists(FileName)) return nullptr;
    auto font = std::make_unique<TNumFontInfo>();
    if (LoadTextureFromFileEx(R->Device.get(), FileName, kNumFontColorKey, font->Texture) < 0) return nullptr;
    if (R->Device->CreateVertexBuffer(kQuadBytes, 0, kBufferVertexFvf, D3DPOOL_DEFAULT, font->VertexBuffer) < 0 ||
        !font->VertexBuffer)
        return nullptr;
    std::uint8_t* data = nullptr;
    if (font->VertexBuffer->Lock(0, kQuadBytes, &data, 0) < 0 || data == nullptr) return nullptr;
    auto* vertices = reinterpret_cast<TBufferVertex*>(data);
    for (std::uint32_t i = 0; i < kQuadVertices; ++i) {
        const Corner& c = kQuad[i];
        // The cell at creation spans the whole strip; every draw rewrites it.
        vertices[i] = TBufferVertex{c.x, c.y, 0.0f, 0.0f, 0.0f, 1.0f, kGlyphColor, c.rightEdge ? 1.0f : 0.0f, c.v};
    }
    font->QuadBytes.assign(data, data + kQuadBytes);
    font->VertexBuffer->Unlock();
    return font;
}

void DrawNumChar(TRenderInfo* R, TNumFontInfo* Font, char Ch) {
    if (R == nullptr || Font == nullptr || !Font->VertexBuffer) return;
    IRenderDevice& device = *R->Device;
    std::uint8_t* data = nullptr;
    // Without the buffer's bytes the quad would show whatever cell it held last.
    if (Font->VertexBuffer->Lock(0, kQuadBytes, &data, 0) < 0 || data == nullptr) return;
    WriteCell(reinterpret_cast<TBufferVertex*>(data), NumFontCell(Ch));
    Font->VertexBuffer->Unlock();

    device.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device.SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    device.SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    device.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device.SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    device.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device.SetTexture(0, Font->Texture.get());
    device.SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device.SetStreamSource(0, Font->VertexBuffer.get(), kBufferVertexStride);
    device.SetVertexShader(kBufferVertexFvf);
    device.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device.DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);

    device.SetTexture(0, nullptr);
    device.SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
    device.SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
}

void DrawNumText(TRenderInfo* R, TNumFontInfo* Font, const std::string& Text, float Size, float X, float Y, float Z) {
    if (R == nullptr || Font == nullptr || Text.empty()) return;
    const float s = static_cast<float>(double(Size) / kUnitsPerSize);
    for (std::size_t n = 1; n <= Text.size(); ++n) {
        const double advance = double(n) * kGlyphPitch * Size / kUnitsPerSize;
        SetWorldTranslation(R, static_cast<float>(double(X) - advance), Y, Z);
        ScaleWorld(R, s, s, s);
        DrawNumChar(R, Font, Text[n - 1]);
    }
}

}  // namespace vtl

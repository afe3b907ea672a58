#pragma once
// The number font: 16 glyph cells of one bitmap, drawn as textured quads for the
// frame-rate and run-time overlays.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/e3d_renderer.h"

namespace vtl {

struct TNumFontInfo {
    std::shared_ptr<IRenderVertexBuffer> VertexBuffer;  // one glyph quad, six vertices
    std::shared_ptr<IRenderTexture> Texture;            // 16 glyph cells in one row
    std::vector<std::uint8_t> QuadBytes;                // the quad as first made, for a lost device
};

inline constexpr D3DCOLOR kNumFontColorKey = 0xFF000000u;

// The glyph cell (0..15) that shows a character.
int NumFontCell(char Ch);
std::unique_ptr<TNumFontInfo> CreateNumFont(const std::string& FileName, TRenderInfo* R);
// Draws Text as a row of glyphs advancing toward -x from (X, Y, Z); Size 50 is the
// font's own unit scale. Leaves depth testing on and blending off.
void DrawNumText(TRenderInfo* R, TNumFontInfo* Font, const std::string& Text, float Size, float X, float Y, float Z);
// One glyph at the current world matrix.
void DrawNumChar(TRenderInfo* R, TNumFontInfo* Font, char Ch);

}  // namespace vtl

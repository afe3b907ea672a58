#pragma once
// The Direct3D 8 value types the engine shares with the device, laid out exactly as
// the platform defines them, so the Win32 forwarder passes them through unchanged.
// Kept in namespace vtl: portable code never sees <d3d8.h>.
#include <cstdint>

namespace vtl {

struct D3DVECTOR {
    float x, y, z;
};

// Row-major; row vectors are multiplied on the left.
struct D3DMATRIX {
    float m[4][4];
};

struct D3DCOLORVALUE {
    float r, g, b, a;
};

using D3DCOLOR = std::uint32_t;  // 0xAARRGGBB

enum D3DLIGHTTYPE : std::uint32_t { D3DLIGHT_POINT = 1, D3DLIGHT_SPOT = 2, D3DLIGHT_DIRECTIONAL = 3 };

struct D3DLIGHT8 {
    D3DLIGHTTYPE Type;
    D3DCOLORVALUE Diffuse;
    D3DCOLORVALUE Specular;
    D3DCOLORVALUE Ambient;
    D3DVECTOR Position;
    D3DVECTOR Direction;
    float Range;
    float Falloff;
    float Attenuation0;
    float Attenuation1;
    float Attenuation2;
    float Theta;
    float Phi;
};

static_assert(sizeof(D3DVECTOR) == 12, "D3DVECTOR layout");
static_assert(sizeof(D3DMATRIX) == 64, "D3DMATRIX layout");
static_assert(sizeof(D3DLIGHT8) == 104, "D3DLIGHT8 layout");

}  // namespace vtl

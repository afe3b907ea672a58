#pragma once
// What one program of the OpenGL device's shader pair is compiled for: the switches
// and the texture-stage operations of a draw, fixed when it compiles so that a
// software renderer runs only the arithmetic the draw needs.
#include <cstdint>
#include <initializer_list>

namespace vtl::gl {

// Directional lights drawn at once; more enabled lights than this are left out.
inline constexpr unsigned kShaderLights = 8;

struct ShaderKey {
    bool lighting = false, normalize = false, texGen = false, texTransform = false, hasTexture = false;
    // The directional lights a lit draw sums (0 to kShaderLights): a fixed count lets
    // the compiler unroll the sum, which a software renderer runs for every vertex.
    std::uint8_t lights = 0;
    std::uint8_t colorOp = 0, colorArg1 = 0, colorArg2 = 0, alphaOp = 0, alphaArg1 = 0, alphaArg2 = 0;

    // One number per distinct key, to find a program made before.
    std::uint64_t Packed() const {
        std::uint64_t bits = std::uint64_t(lighting) | std::uint64_t(normalize) << 1 | std::uint64_t(texGen) << 2 |
                             std::uint64_t(texTransform) << 3 | std::uint64_t(hasTexture) << 4 |
                             std::uint64_t(lights & 0xF) << 5;
        for (std::uint8_t part : {colorOp, colorArg1, colorArg2, alphaOp, alphaArg1, alphaArg2})
            bits = bits << 8 | part;
        return bits;
    }
};

}  // namespace vtl::gl

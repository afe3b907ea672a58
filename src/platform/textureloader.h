#pragma once
// Texture-loader seam: a picture file (JPEG, BMP) in, a texture of the device in the
// managed pool out. Windows: platform/win32/d3d8_textureloader.h (the D3DX entry
// points of "d3d8ex.dll"); tests: a fake that hands out recording textures.
#include <memory>
#include <string>

#include "platform/renderdevice.h"

namespace vtl {

class ITextureLoader {
public:
    virtual ~ITextureLoader() = default;
    // Full mip chain, the file's own format, managed pool. Negative on failure.
    virtual HResult LoadFromFile(IRenderDevice& device, const std::string& fileName,
                                 std::shared_ptr<IRenderTexture>& texture) = 0;
    // As above, with alpha; pixels equal to colorKey (0xAARRGGBB) become transparent black.
    virtual HResult LoadFromFileEx(IRenderDevice& device, const std::string& fileName, D3DCOLOR colorKey,
                                   std::shared_ptr<IRenderTexture>& texture) = 0;
};

}  // namespace vtl

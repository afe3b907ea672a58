#pragma once
// What the OpenGL device and its texture loader share inside the library: textures
// made from prepared levels, and the device's limits.
#include <cstdint>
#include <memory>
#include <vector>

#include "formats/imageops.h"
#include "platform/renderdevice.h"

namespace vtl::gl::detail {

// One mip level, top row first, 0xAARRGGBB.
using Level = imageops::Image;

// A texture of `device` (an OpenGL device) holding the levels, in D3DFMT_A8R8G8B8 or
// D3DFMT_X8R8G8B8. D3DERR_INVALIDCALL for another device or levels that do not form
// a chain.
HResult CreateTexture(IRenderDevice& device, const std::vector<Level>& levels, std::uint32_t format,
                      std::shared_ptr<IRenderTexture>& texture);

// The largest texture side the device takes; 0 for a device that is not an OpenGL one.
std::uint32_t MaxTextureSide(IRenderDevice& device);

}  // namespace vtl::gl::detail

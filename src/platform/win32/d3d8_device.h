#pragma once
// Windows backend of the render-device seam: thin forwarders to the COM objects of
// Direct3D 8, whose library "D3d8.dll" is loaded at run time.
#include <cstdint>
#include <memory>

#include "platform/renderdevice.h"

namespace vtl::win32 {

// Direct3DCreate8 of "D3d8.dll" (loaded on first use and kept until the process
// ends). Null when the library, its entry point or the object is missing.
std::shared_ptr<IRenderD3D> CreateD3D8(std::uint32_t sdkVersion);

// Wrap a COM object, taking over one reference of it.
std::shared_ptr<IRenderTexture> AdoptD3D8Texture(void* texture);  // IDirect3DTexture8*
std::shared_ptr<IRenderDevice> AdoptD3D8Device(void* device);     // IDirect3DDevice8*

}  // namespace vtl::win32

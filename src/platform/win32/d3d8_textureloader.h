#pragma once
// Windows texture loader: the D3DX entry points of "d3d8ex.dll" beside the program,
// the library loaded and freed again around each call.
#include <memory>

#include "platform/textureloader.h"

namespace vtl::win32 {

std::shared_ptr<ITextureLoader> CreateD3D8ExTextureLoader();

}  // namespace vtl::win32

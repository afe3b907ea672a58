#pragma once
// Texture loading through the platform's picture loader (on Windows the D3DX entry
// points of "d3d8ex.dll", loaded for each call). The loader is chosen once by the
// program's start-up; without one every load fails.
#include <memory>
#include <string>

#include "platform/renderdevice.h"
#include "platform/textureloader.h"

namespace vtl {

void SetTextureLoader(std::shared_ptr<ITextureLoader> loader);

// Both clear `Texture` first and return the loader's result: negative on failure.
// Picture defaults: full mip chain, format of the file, managed pool.
HResult LoadTextureFromFile(IRenderDevice* Device, const std::string& FileName,
                            std::shared_ptr<IRenderTexture>& Texture);
// Pixels equal to ColorKey become transparent black; the texture carries alpha.
HResult LoadTextureFromFileEx(IRenderDevice* Device, const std::string& FileName, D3DCOLOR ColorKey,
                              std::shared_ptr<IRenderTexture>& Texture);

}  // namespace vtl

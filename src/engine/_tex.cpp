#include "engine/_tex.h"

#include <utility>

namespace vtl {

namespace {
std::shared_ptr<ITextureLoader>& Loader() {
    static std::shared_ptr<ITextureLoader> loader;
    return loader;
}
}  // namespace

void SetTextureLoader(std::shared_ptr<ITextureLoader> loader) { Loader() = std::move(loader); }

HResult LoadTextureFromFile(IRenderDevice* Device, const std::string& FileName,
                            std::shared_ptr<IRenderTexture>& Texture) {
    Texture.reset();
    if (Device == nullptr) return D3DERR_INVALIDCALL;
    if (!Loader()) return kResultFail;
    return Loader()->LoadFromFile(*Device, FileName, Texture);
}

HResult LoadTextureFromFileEx(IRenderDevice* Device, const std::string& FileName, D3DCOLOR ColorKey,
                              std::shared_ptr<IRenderTexture>& Texture) {
    Texture.reset();
    if (Device == nullptr) return D3DERR_INVALIDCALL;
    if (!Loader()) return kResultFail;
    return Loader()->LoadFromFileEx(*Device, FileName, ColorKey, Texture);
}

}  // namespace vtl

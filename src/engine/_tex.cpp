#include "engine/_tex.h"

#include <utility>

namespace vtl {

namespace {
std::shared_ptr<ITextureLoader>& Loader() {
    static std::shared_ptr<ITextureLoader> loader;
    return loader;
}
// A loader that reports success without giving a texture has failed: a texture
// handle without a texture would be drawn as one.
HResult Checked(HResult result, const std::shared_ptr<IRenderTexture>& texture) {
    return result >= 0 && !texture ? kResultFail : result;
}

}  // namespace

void SetTextureLoader(std::shared_ptr<ITextureLoader> loader) { Loader() = std::move(loader); }

HResult LoadTextureFromFile(IRenderDevice* Device, const std::string& FileName,
                            std::shared_ptr<IRenderTexture>& Texture) {
    Texture.reset();
    if (Device == nullptr) return D3DERR_INVALIDCALL;
    if (!Loader()) return kResultFail;
    return Checked(Loader()->LoadFromFile(*Device, FileName, Texture), Texture);
}

HResult LoadTextureFromFileEx(IRenderDevice* Device, const std::string& FileName, D3DCOLOR ColorKey,
                              std::shared_ptr<IRenderTexture>& Texture) {
    Texture.reset();
    if (Device == nullptr) return D3DERR_INVALIDCALL;
    if (!Loader()) return kResultFail;
    return Checked(Loader()->LoadFromFileEx(*Device, FileName, ColorKey, Texture), Texture);
}

}  // namespace vtl

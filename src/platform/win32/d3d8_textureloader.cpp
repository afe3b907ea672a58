// Texture-loader seam over "d3d8ex.dll": "D3DXCreateTextureFromFileA" and
// "D3DXCreateTextureFromFileExA" with their published signatures. The library is
// loaded for each call only; textures are loaded at start-up, never per frame.
#include "platform/win32/d3d8_textureloader.h"

#include <windows.h>

#include "platform/win32/d3d8_device.h"
#include "platform/win32/win32_libraries.h"
#include "platform/win32/win32_text.h"

namespace vtl::win32 {

namespace {

using CreateFromFileFn = HRESULT(WINAPI*)(void* device, const char* file, void** texture);
using CreateFromFileExFn = HRESULT(WINAPI*)(void* device, const char* file, UINT width, UINT height, UINT mipLevels,
                                            DWORD usage, DWORD format, DWORD pool, DWORD filter, DWORD mipFilter,
                                            DWORD colorKey, void* srcInfo, PALETTEENTRY* palette, void** texture);

HRESULT LastErrorResult() {
    const DWORD error = GetLastError();
    return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

// Loads the library, calls `call` with the entry point, frees the library.
template <typename Fn, typename Call>
HRESULT WithEntryPoint(const char* name, Call call) {
    HMODULE library = win32::LoadProgramLibrary(L"d3d8ex.dll");
    if (!library) return LastErrorResult();
    HRESULT hr;
    auto entry = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name)));
    if (entry)
        hr = call(entry);
    else
        hr = LastErrorResult();
    FreeLibrary(library);
    return hr;
}

class D3D8ExTextureLoader : public ITextureLoader {
public:
    HResult LoadFromFile(IRenderDevice& device, const std::string& fileName,
                         std::shared_ptr<IRenderTexture>& texture) override {
        void* native = nullptr;
        const std::string name = AnsiFromUtf8(fileName);
        const HRESULT hr = WithEntryPoint<CreateFromFileFn>("D3DXCreateTextureFromFileA", [&](CreateFromFileFn fn) {
            return fn(device.NativeHandle(), name.c_str(), &native);
        });
        return Adopt(hr, native, texture);
    }

    HResult LoadFromFileEx(IRenderDevice& device, const std::string& fileName, D3DCOLOR colorKey,
                           std::shared_ptr<IRenderTexture>& texture) override {
        void* native = nullptr;
        const std::string name = AnsiFromUtf8(fileName);
        const HRESULT hr =
            WithEntryPoint<CreateFromFileExFn>("D3DXCreateTextureFromFileExA", [&](CreateFromFileExFn fn) {
                return fn(device.NativeHandle(), name.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                          D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, colorKey, nullptr, nullptr,
                          &native);
            });
        return Adopt(hr, native, texture);
    }

private:
    static HResult Adopt(HRESULT hr, void* native, std::shared_ptr<IRenderTexture>& texture) {
        texture = AdoptD3D8Texture(native);
        return hr;
    }
};

}  // namespace

std::shared_ptr<ITextureLoader> CreateD3D8ExTextureLoader() { return std::make_shared<D3D8ExTextureLoader>(); }

}  // namespace vtl::win32

// d3d8ex.dll: "D3DXCreateTextureFromFileA" and "D3DXCreateTextureFromFileExA" with
// their published Direct3D 8 extension signatures. Pictures are decoded by the
// Windows Imaging Component (whatever it decodes: JPEG, BMP, PNG, ...) into 32-bit
// texels. What it implements: default sizes rounded up to powers of two within the
// device's limits, the full or the requested mip chain filled with a box filter,
// colour keys, 32-bit formats (X8R8G8B8, A8R8G8B8) and the managed, system-memory
// and default pools. What it leaves out: palettes, volume and cube textures, DDS
// files, and the other filters (every filter argument means a box filter).
#include <windows.h>

#include <d3d8.h>
#include <wincodec.h>

#include <algorithm>
#include <string>

#include "formats/imageops.h"

namespace {

constexpr UINT kDefault = 0xFFFFFFFFu;                               // D3DX_DEFAULT
constexpr HRESULT kInvalidData = static_cast<HRESULT>(0x88760B59u);  // D3DXERR_INVALIDDATA

}  // namespace

// Layout of the extension library's source-information record.
struct D3DXIMAGE_INFO {
    UINT Width;
    UINT Height;
    UINT Depth;
    UINT MipLevels;
    D3DFORMAT Format;
    D3DRESOURCETYPE ResourceType;
    DWORD ImageFileFormat;  // 0 BMP, 1 JPG, 2 TGA, 3 PNG, 4 DDS, 5 PPM, 6 DIB
};

// Exported by d3d8ex.def under their plain names only, as the published library
// exports them; a 32-bit __declspec(dllexport) would add the decorated "...@56" too.
extern "C" {
HRESULT WINAPI D3DXCreateTextureFromFileExA(IDirect3DDevice8* pDevice, LPCSTR pSrcFile, UINT Width, UINT Height,
                                            UINT MipLevels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool, DWORD Filter,
                                            DWORD MipFilter, D3DCOLOR ColorKey, D3DXIMAGE_INFO* pSrcInfo,
                                            PALETTEENTRY* pPalette, IDirect3DTexture8** ppTexture);
HRESULT WINAPI D3DXCreateTextureFromFileA(IDirect3DDevice8* pDevice, LPCSTR pSrcFile, IDirect3DTexture8** ppTexture);
}

namespace {

template <typename T>
struct Com {
    T* p = nullptr;
    Com() = default;
    Com(const Com&) = delete;
    Com& operator=(const Com&) = delete;
    ~Com() {
        if (p) p->Release();
    }
    T** operator&() { return &p; }
    T* operator->() const { return p; }
};

// COM for the duration of one call, unless the thread already has it in another mode.
struct ComScope {
    HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ~ComScope() {
        if (SUCCEEDED(hr)) CoUninitialize();
    }
};

std::wstring WideFromAnsi(const char* s) {
    const int n = MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, s, -1, &out[0], n);
    out.resize(static_cast<std::size_t>(n - 1));
    return out;
}

bool IsMissingFile(HRESULT hr) {
    return hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) || hr == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND) ||
           hr == HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED) || hr == HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION);
}

// Decodes the first frame into 0xAARRGGBB texels; opaque formats get alpha 255.
HRESULT Decode(const wchar_t* path, vtl::imageops::Image& image, DWORD& fileFormat) {
    Com<IWICImagingFactory> factory;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  reinterpret_cast<void**>(&factory));
    if (FAILED(hr)) return hr;
    Com<IWICBitmapDecoder> decoder;
    hr = factory->CreateDecoderFromFilename(path, nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand, &decoder);
    if (FAILED(hr)) return IsMissingFile(hr) ? hr : kInvalidData;
    GUID container{};
    fileFormat = 0;
    if (SUCCEEDED(decoder->GetContainerFormat(&container))) {
        if (IsEqualGUID(container, GUID_ContainerFormatJpeg)) fileFormat = 1;
        if (IsEqualGUID(container, GUID_ContainerFormatPng)) fileFormat = 3;
    }
    Com<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, &frame))) return kInvalidData;
    Com<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(&converter))) return E_OUTOFMEMORY;
    if (FAILED(converter->Initialize(frame.p, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom)))
        return kInvalidData;
    UINT width = 0, height = 0;
    if (FAILED(converter->GetSize(&width, &height)) || width == 0 || height == 0 || width > 16384 || height > 16384)
        return kInvalidData;
    image.width = width;
    image.height = height;
    image.pixels.assign(std::size_t(width) * height, 0);
    // BGRA bytes are 0xAARRGGBB as little-endian 32-bit words.
    if (FAILED(converter->CopyPixels(nullptr, width * 4, width * height * 4,
                                     reinterpret_cast<BYTE*>(image.pixels.data()))))
        return kInvalidData;
    return S_OK;
}

bool Supported(IDirect3DDevice8* device, D3DFORMAT format, DWORD usage) {
    Com<IDirect3D8> d3d;
    D3DDEVICE_CREATION_PARAMETERS params{};
    D3DDISPLAYMODE mode{};
    if (FAILED(device->GetDirect3D(&d3d)) || FAILED(device->GetCreationParameters(&params)) ||
        FAILED(device->GetDisplayMode(&mode)))
        return false;
    return SUCCEEDED(
        d3d->CheckDeviceFormat(params.AdapterOrdinal, params.DeviceType, mode.Format, usage, D3DRTYPE_TEXTURE, format));
}

// A 32-bit format the device takes: with alpha when a colour key or an alpha format
// was asked for, else without, falling back to the other one.
HRESULT ChooseFormat(IDirect3DDevice8* device, D3DFORMAT requested, bool keyed, DWORD usage, D3DFORMAT& chosen) {
    const bool alpha = keyed || requested == D3DFMT_A8R8G8B8 || requested == D3DFMT_A4R4G4B4 ||
                       requested == D3DFMT_A1R5G5B5 || requested == D3DFMT_A8R3G3B2;
    const D3DFORMAT first = alpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    if (Supported(device, first, usage)) {
        chosen = first;
        return S_OK;
    }
    if (!alpha && Supported(device, D3DFMT_A8R8G8B8, usage)) {
        chosen = D3DFMT_A8R8G8B8;
        return S_OK;
    }
    return D3DERR_NOTAVAILABLE;
}

void TextureSize(IDirect3DDevice8* device, const vtl::imageops::Image& image, UINT width, UINT height, UINT& outWidth,
                 UINT& outHeight) {
    D3DCAPS8 caps{};
    UINT maxWidth = 4096, maxHeight = 4096;
    if (SUCCEEDED(device->GetDeviceCaps(&caps)) && caps.MaxTextureWidth && caps.MaxTextureHeight) {
        maxWidth = caps.MaxTextureWidth;
        maxHeight = caps.MaxTextureHeight;
    }
    const bool defaultWidth = width == 0 || width == kDefault, defaultHeight = height == 0 || height == kDefault;
    outWidth = defaultWidth ? vtl::imageops::NextPowerOfTwo(image.width) : width;
    outHeight = defaultHeight ? vtl::imageops::NextPowerOfTwo(image.height) : height;
    while (outWidth > maxWidth) outWidth = defaultWidth ? outWidth / 2 : maxWidth;
    while (outHeight > maxHeight) outHeight = defaultHeight ? outHeight / 2 : maxHeight;
}

HRESULT FillLevel(IDirect3DTexture8* texture, UINT level, const vtl::imageops::Image& image, bool opaque) {
    D3DLOCKED_RECT locked{};
    const HRESULT hr = texture->LockRect(level, &locked, nullptr, 0);
    if (FAILED(hr)) return hr;
    for (std::uint32_t y = 0; y < image.height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(static_cast<BYTE*>(locked.pBits) + std::size_t(y) * locked.Pitch);
        const std::uint32_t* src = image.pixels.data() + std::size_t(y) * image.width;
        for (std::uint32_t x = 0; x < image.width; ++x) row[x] = opaque ? (src[x] | 0xFF000000u) : src[x];
    }
    return texture->UnlockRect(level);
}

HRESULT FillChain(IDirect3DTexture8* texture, UINT levels, vtl::imageops::Image image, bool opaque) {
    for (UINT level = 0; level < levels; ++level) {
        if (level > 0) image = vtl::imageops::HalveBox(image);
        const HRESULT hr = FillLevel(texture, level, image, opaque);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

}  // namespace

extern "C" HRESULT WINAPI D3DXCreateTextureFromFileExA(IDirect3DDevice8* pDevice, LPCSTR pSrcFile, UINT Width,
                                                       UINT Height, UINT MipLevels, DWORD Usage, D3DFORMAT Format,
                                                       D3DPOOL Pool, DWORD Filter, DWORD MipFilter, D3DCOLOR ColorKey,
                                                       D3DXIMAGE_INFO* pSrcInfo, PALETTEENTRY* pPalette,
                                                       IDirect3DTexture8** ppTexture) {
    (void)Filter;
    (void)MipFilter;
    (void)pPalette;
    if (ppTexture) *ppTexture = nullptr;
    if (!pDevice || !pSrcFile || !ppTexture) return D3DERR_INVALIDCALL;

    vtl::imageops::Image image;
    DWORD fileFormat = 0;
    {
        ComScope com;
        const HRESULT hr = Decode(WideFromAnsi(pSrcFile).c_str(), image, fileFormat);
        if (FAILED(hr)) return hr;
    }
    if (pSrcInfo) {
        *pSrcInfo = D3DXIMAGE_INFO{image.width, image.height, 1, 1, D3DFMT_A8R8G8B8, D3DRTYPE_TEXTURE, fileFormat};
        if (fileFormat == 1) pSrcInfo->Format = D3DFMT_X8R8G8B8;
    }

    D3DFORMAT format = D3DFMT_UNKNOWN;
    HRESULT hr = ChooseFormat(pDevice, Format, ColorKey != 0, Usage, format);
    if (FAILED(hr)) return hr;
    UINT width = 0, height = 0;
    TextureSize(pDevice, image, Width, Height, width, height);
    const UINT full = vtl::imageops::FullChainLevels(width, height);
    const UINT levels = (MipLevels == 0 || MipLevels == kDefault) ? full : std::min(MipLevels, full);

    vtl::imageops::ApplyColorKey(image, ColorKey);
    image = vtl::imageops::Resample(image, width, height);
    const bool opaque = format == D3DFMT_X8R8G8B8;

    // Textures in the default pool cannot be locked: fill a system-memory copy.
    const bool staged = Pool == D3DPOOL_DEFAULT;
    IDirect3DTexture8* texture = nullptr;
    hr = pDevice->CreateTexture(width, height, levels, Usage, format, staged ? D3DPOOL_SYSTEMMEM : Pool, &texture);
    if (FAILED(hr)) return hr;
    hr = FillChain(texture, levels, image, opaque);
    if (SUCCEEDED(hr) && staged) {
        IDirect3DTexture8* target = nullptr;
        hr = pDevice->CreateTexture(width, height, levels, Usage, format, D3DPOOL_DEFAULT, &target);
        if (SUCCEEDED(hr)) hr = pDevice->UpdateTexture(texture, target);
        texture->Release();
        texture = target;
        if (FAILED(hr) && target) {
            target->Release();
            texture = nullptr;
        }
    }
    if (FAILED(hr)) {
        if (texture) texture->Release();
        return hr;
    }
    *ppTexture = texture;
    return D3D_OK;
}

extern "C" HRESULT WINAPI D3DXCreateTextureFromFileA(IDirect3DDevice8* pDevice, LPCSTR pSrcFile,
                                                     IDirect3DTexture8** ppTexture) {
    return D3DXCreateTextureFromFileExA(pDevice, pSrcFile, kDefault, kDefault, kDefault, 0, D3DFMT_UNKNOWN,
                                        D3DPOOL_MANAGED, kDefault, kDefault, 0, nullptr, nullptr, ppTexture);
}

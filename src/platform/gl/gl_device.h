#pragma once
// The render-device seam on OpenGL 3.3 core (functions through libepoxy), drawing what
// the engine's Direct3D 8 fixed-function states describe with a small set of shaders.
// The device draws into a framebuffer of its own the size of the back buffer it was
// made with; Present copies that into the context's default framebuffer and lets the
// surface show it. The host makes the context and keeps it current on the one thread
// that uses the device. Left out: what the engine never asks for (stencil, more than
// one stream or texture stage, presenting into other windows).
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/renderdevice.h"
#include "platform/textureloader.h"

namespace vtl::gl {

// What the device needs of the window system.
class IGlSurface {
public:
    virtual ~IGlSurface() = default;
    // Shows the default framebuffer (glXSwapBuffers, eglSwapBuffers).
    virtual void SwapBuffers() = 0;
    // Whether the context has a default framebuffer to present into; false for an
    // off-screen context (EGL surfaceless), where Present only finishes the frame.
    virtual bool HasWindow() const = 0;
    // The screen's size in pixels (the "display mode" the engine asks for).
    virtual void ScreenSize(int& width, int& height) const = 0;
    // The size of the window's drawable now, in pixels: a windowed back buffer of no
    // given size takes it, and each frame is stretched over it (the window may have
    // been resized since). An off-screen surface has none but the screen's.
    virtual void WindowSize(int& width, int& height) const { ScreenSize(width, height); }
};

// Direct3DCreate8 over the surface's current context.
Direct3DCreateFn MakeGlDirect3DCreate(std::shared_ptr<IGlSurface> surface);

// Textures from JPEG (libjpeg-turbo) and BMP (the project's own reader) files, made on
// a device of MakeGlDirect3DCreate.
std::shared_ptr<ITextureLoader> CreateGlTextureLoader();

// The device's back buffer as drawn so far, top row first, 0xAARRGGBB. False for a
// device that is not an OpenGL one.
bool ReadBackBuffer(IRenderDevice& device, std::vector<std::uint32_t>& argb, int& width, int& height);

// One level of a texture made by this device or its loader, top row first, 0xAARRGGBB,
// with the texture's D3D format and level count. False for another kind of texture or
// a level it does not have.
struct TextureLevel {
    int width = 0, height = 0;
    std::uint32_t format = 0;      // D3DFMT_A8R8G8B8 or D3DFMT_X8R8G8B8
    std::uint32_t levelCount = 0;  // of the whole chain
    std::vector<std::uint32_t> texels;
};
bool ReadTextureLevel(IRenderTexture& texture, std::uint32_t level, TextureLevel& out);

}  // namespace vtl::gl

// The still picture in the host's preview area (Display Properties): a disabled child
// window of the host's size that copies the "PREVIEW" bitmap at its natural size and
// lives until the host destroys it. No renderer, scene, sound or settings.
#include "app/saver/win32/preview.h"

#include <windows.h>

namespace {

constexpr wchar_t kPreviewClass[] = L"VTL3DPreview";

struct Picture {
    HDC memory = nullptr;  // holds the loaded bitmap for every copy
    int width = 0;
    int height = 0;
};

Picture g_picture;
HDC g_windowDC = nullptr;  // kept for the window's life: first drawing and every repaint

void CopyPicture() {
    if (g_picture.memory && g_windowDC)
        BitBlt(g_windowDC, 0, 0, g_picture.width, g_picture.height, g_picture.memory, 0, 0, SRCCOPY);
}

LRESULT CALLBACK PreviewWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DESTROY:
        case WM_CLOSE: PostQuitMessage(0); break;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            BeginPaint(window, &paint);
            CopyPicture();
            EndPaint(window, &paint);
            break;
        }
        default: break;
    }
    // Every message also gets the default handling, the close request included.
    return DefWindowProcW(window, message, wParam, lParam);
}

Picture LoadPicture(HINSTANCE instance) {
    Picture picture;
    auto* bitmap = static_cast<HBITMAP>(LoadImageW(instance, L"PREVIEW", IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
    if (!bitmap) return picture;
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    picture.memory = CreateCompatibleDC(nullptr);
    SelectObject(picture.memory, bitmap);
    picture.width = info.bmWidth;
    picture.height = info.bmHeight;
    return picture;
}

}  // namespace

void RunPreview(std::int32_t hostWindow) {
    // The handle travels as a 32-bit integer, the way the host hands it over.
    HWND host = reinterpret_cast<HWND>(static_cast<std::intptr_t>(hostWindow));
    // Without a host window no child can be made and nothing would ever end the loop.
    if (!host || !IsWindow(host)) return;

    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW cls{};
    cls.style = CS_PARENTDC;
    cls.lpfnWndProc = PreviewWndProc;
    cls.hInstance = instance;
    cls.lpszClassName = kPreviewClass;
    RegisterClassW(&cls);

    RECT frame{};
    GetWindowRect(host, &frame);
    HWND window = CreateWindowExW(0, kPreviewClass, L"CSPreview", WS_CHILD | WS_VISIBLE | WS_DISABLED, 0, 0,
                                  frame.right - frame.left, frame.bottom - frame.top, host, nullptr, instance, nullptr);
    // The host vanished between the test and the creation.
    if (!window) return;

    g_picture = LoadPicture(instance);
    g_windowDC = GetDC(window);
    CopyPicture();

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

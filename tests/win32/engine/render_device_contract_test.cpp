// The Direct3D 8 device (Wine's, in the test bed) held to the render-device rules
// (shared/render_device_contract.h) that the recording device and the OpenGL device
// answer to as well, made for a small window of its own.
#include <windows.h>

#include "platform/win32/d3d8_device.h"
#include "shared/render_device_contract.h"

namespace vtl {
namespace {

constexpr std::uint32_t kSdkVersion = 220;  // D3D_SDK_VERSION of DirectX 8.1
const wchar_t kClassName[] = L"VtlRenderDeviceContract";

// Wine's Direct3D 8 makes a vertex buffer of 4 GiB, takes locks outside a buffer, an
// unlock without a lock, and draws outside a scene, past the end of their buffer or
// from none (one that overflows ends the process). The engine never makes such calls;
// the recording device and the OpenGL device refuse them.
class D3D8ContractHarness {
public:
    static constexpr bool kChecksRanges = false;
    static constexpr const char* kWhyRangesUnchecked =
        "Wine's Direct3D 8 takes out-of-range buffers, locks and draws and leaves them to the driver";

    void SetUp() {
        static const bool registered = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = DefWindowProcW;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = kClassName;
            return RegisterClassW(&wc) != 0;
        }();
        ASSERT_TRUE(registered);
        window_ = CreateWindowExW(0, kClassName, L"render device contract", WS_POPUP | WS_VISIBLE, 0, 0, 64, 48,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(window_, nullptr);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    void TearDown() {
        if (window_) DestroyWindow(window_);
        window_ = nullptr;
    }
    std::shared_ptr<IRenderD3D> D3D() { return win32::CreateD3D8(kSdkVersion); }
    WindowHandle Window() const { return window_; }

private:
    HWND window_ = nullptr;
};

}  // namespace

namespace contract {
INSTANTIATE_TYPED_TEST_SUITE_P(Direct3D8, RenderDeviceContract, D3D8ContractHarness);
}  // namespace contract

}  // namespace vtl

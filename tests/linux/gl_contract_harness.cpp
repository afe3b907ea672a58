// The OpenGL device held to the render-device rules (shared/render_device_contract.h)
// that the recording device and Direct3D 8 answer to as well, on the off-screen EGL
// context of pixel_harness.h.
#include "shared/render_device_contract.h"

#include "pixel_harness.h"

namespace vtl {
namespace {

constexpr std::uint32_t kSdkVersion = 120;

class GlContractHarness {
public:
    static constexpr bool kChecksRanges = true;

    void SetUp() { VTL_REQUIRE_GL(); }
    void TearDown() {}
    std::shared_ptr<IRenderD3D> D3D() {
        return gl::MakeGlDirect3DCreate(std::make_shared<gltest::OffscreenSurface>(64, 48))(kSdkVersion);
    }
    WindowHandle Window() const { return nullptr; }
};

}  // namespace

namespace contract {
INSTANTIATE_TYPED_TEST_SUITE_P(Gl, RenderDeviceContract, GlContractHarness);
}  // namespace contract

}  // namespace vtl

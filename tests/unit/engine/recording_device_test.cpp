// The recording device held to the rules of the real devices it stands for
// (shared/render_device_contract.h; OpenGL and Direct3D 8 answer to the same suite in
// the Linux and Windows tests), and what only it offers: planted failures and a log.
#include "platform/fake/recording_device.h"

#include <gtest/gtest.h>

#include "shared/render_device_contract.h"

namespace vtl {
namespace {

class RecordingHarness {
public:
    static constexpr bool kChecksRanges = true;

    void SetUp() {}
    void TearDown() {}
    std::shared_ptr<IRenderD3D> D3D() { return std::make_shared<RecordingDirect3D>(); }
    WindowHandle Window() const { return nullptr; }
};

TEST(RecordingDevice, FailuresStartAfterTheGivenNumberOfSuccesses) {
    RecordingDevice device;
    device.Log().FailCall("BeginScene", D3DERR_NOTAVAILABLE, 2);
    EXPECT_EQ(device.BeginScene(), D3D_OK);
    EXPECT_EQ(device.EndScene(), D3D_OK);
    EXPECT_EQ(device.BeginScene(), D3D_OK);
    EXPECT_EQ(device.EndScene(), D3D_OK);
    EXPECT_EQ(device.BeginScene(), D3DERR_NOTAVAILABLE);
    EXPECT_EQ(device.BeginScene(), D3DERR_NOTAVAILABLE);
    EXPECT_EQ(device.Log().Calls().back().result, D3DERR_NOTAVAILABLE);
    device.Log().ClearFailures();
    EXPECT_EQ(device.BeginScene(), D3D_OK);
    EXPECT_EQ(device.Log().Count("BeginScene"), 5u);
}

TEST(RecordingDevice, AFailedSetChangesNothing) {
    RecordingDevice device;
    D3DMATRIX t{};
    for (int i = 0; i < 4; ++i) t.m[i][i] = 1;
    t.m[3][0] = 5;
    device.SetTransform(D3DTS_WORLD, t);
    device.Log().FailCall("SetTransform");
    D3DMATRIX other = t;
    other.m[3][0] = 9;
    EXPECT_LT(device.SetTransform(D3DTS_WORLD, other), 0);
    D3DMATRIX m{};
    device.GetTransform(D3DTS_WORLD, m);
    EXPECT_EQ(m.m[3][0], 5.0f);
    device.Log().FailCall("SetRenderState");
    device.SetRenderState(D3DRS_ZENABLE, 0);
    EXPECT_EQ(device.RenderState(D3DRS_ZENABLE, 77), 77u);
}

TEST(RecordingDevice, LockedBytesAreTheBuffersOwn) {
    RecordingDevice device;
    std::shared_ptr<IRenderVertexBuffer> buffer;
    ASSERT_EQ(device.CreateVertexBuffer(72, 0, 0x152, D3DPOOL_DEFAULT, buffer), D3D_OK);
    std::uint8_t* data = nullptr;
    ASSERT_EQ(buffer->Lock(36, 0, &data, 0), D3D_OK);
    data[0] = 0xAB;
    EXPECT_EQ(buffer->Unlock(), D3D_OK);
    EXPECT_EQ(device.Buffers()[0]->Bytes()[36], 0xAB);
    EXPECT_LT(buffer->Lock(0, 0, nullptr, 0), 0) << "nowhere to put the pointer";
}

}  // namespace

namespace contract {
INSTANTIATE_TYPED_TEST_SUITE_P(RecordingDevice, RenderDeviceContract, RecordingHarness);
}  // namespace contract

}  // namespace vtl

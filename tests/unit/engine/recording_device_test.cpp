// The recording device behaves like a device where the engine's tests observe it.
#include "platform/fake/recording_device.h"

#include <gtest/gtest.h>

namespace vtl {
namespace {

TEST(RecordingDevice, FailuresStartAfterTheGivenNumberOfSuccesses) {
    RecordingDevice device;
    device.Log().FailCall("BeginScene", D3DERR_NOTAVAILABLE, 2);
    EXPECT_EQ(device.BeginScene(), D3D_OK);
    EXPECT_EQ(device.BeginScene(), D3D_OK);
    EXPECT_EQ(device.BeginScene(), D3DERR_NOTAVAILABLE);
    EXPECT_EQ(device.BeginScene(), D3DERR_NOTAVAILABLE);
    EXPECT_EQ(device.Log().Calls().back().result, D3DERR_NOTAVAILABLE);
    device.Log().ClearFailures();
    EXPECT_EQ(device.BeginScene(), D3D_OK);
    EXPECT_EQ(device.Log().Count("BeginScene"), 5u);
}

TEST(RecordingDevice, TransformsReadBackWhatWasSetAndFailedSetsChangeNothing) {
    RecordingDevice device;
    D3DMATRIX m{};
    ASSERT_EQ(device.GetTransform(D3DTS_WORLD, m), D3D_OK);
    EXPECT_EQ(m.m[0][0], 1.0f);  // identity before any set
    EXPECT_EQ(m.m[3][0], 0.0f);
    D3DMATRIX t = m;
    t.m[3][0] = 5;
    device.SetTransform(D3DTS_WORLD, t);
    device.Log().FailCall("SetTransform");
    D3DMATRIX other = t;
    other.m[3][0] = 9;
    EXPECT_LT(device.SetTransform(D3DTS_WORLD, other), 0);
    device.GetTransform(D3DTS_WORLD, m);
    EXPECT_EQ(m.m[3][0], 5.0f);
    device.Log().FailCall("SetRenderState");
    device.SetRenderState(D3DRS_ZENABLE, 0);
    EXPECT_EQ(device.RenderState(D3DRS_ZENABLE, 77), 77u);
}

TEST(RecordingDevice, BuffersRefuseWhatARealDeviceRefuses) {
    RecordingDevice device;
    std::shared_ptr<IRenderVertexBuffer> buffer;
    EXPECT_LT(device.CreateVertexBuffer(0, 0, 0x152, D3DPOOL_DEFAULT, buffer), 0);
    EXPECT_FALSE(buffer);
    ASSERT_EQ(device.CreateVertexBuffer(72, 0, 0x152, D3DPOOL_DEFAULT, buffer), D3D_OK);
    std::uint8_t* data = nullptr;
    EXPECT_LT(buffer->Unlock(), 0);                      // not locked
    EXPECT_LT(buffer->Lock(40, 40, &data, 0), 0);        // past the end
    ASSERT_EQ(buffer->Lock(36, 0, &data, 0), D3D_OK);    // size 0: to the end
    EXPECT_LT(buffer->Lock(0, 0, &data, 0), 0);          // already locked
    data[0] = 0xAB;
    EXPECT_EQ(buffer->Unlock(), D3D_OK);
    EXPECT_EQ(device.Buffers()[0]->Bytes()[36], 0xAB);
}

}  // namespace
}  // namespace vtl

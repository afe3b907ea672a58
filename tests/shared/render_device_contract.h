#pragma once
// The render-device seam's invalid-call rules and transform read-back (platform/
// renderdevice.h), written once and held against the recording device that the engine's
// tests draw on and the real devices it stands for: OpenGL natively (on EGL, without a
// window system) and Direct3D 8 under Wine.
//
//   INSTANTIATE_TYPED_TEST_SUITE_P(Gl, RenderDeviceContract, GlContractHarness);
//
// A harness gives the Direct3D object (D3D) and the window a device is made for
// (Window); its SetUp may skip or fail the test when neither can be had. It says:
//   kChecksRanges   buffers of absurd sizes, locks outside a buffer, an unlock without a
//                   lock, and draws outside a scene or that would read past their vertex
//                   buffer (or from none) are refused. False where the platform takes
//                   such calls and leaves them to the driver (kWhyRangesUnchecked); what
//                   lies inside the rules is held everywhere.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/renderdevice.h"

namespace vtl::contract {

// The engine's one vertex layout: position, normal, diffuse colour, one texture pair.
struct ContractVertex {
    float x, y, z, nx, ny, nz;
    D3DCOLOR colour;
    float u, v;
};
static_assert(sizeof(ContractVertex) == 36, "the engine's vertex layout");
inline constexpr std::uint32_t kContractFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1;
inline constexpr std::uint32_t kVertexBytes = sizeof(ContractVertex);

template <typename Harness>
class RenderDeviceContract : public ::testing::Test {
protected:
    void SetUp() override {
        harness_.SetUp();
        if (HasFatalFailure() || IsSkipped()) return;
        D3DPRESENT_PARAMETERS pp{};
        pp.BackBufferWidth = 64;
        pp.BackBufferHeight = 48;
        pp.BackBufferFormat = D3DFMT_X8R8G8B8;
        pp.BackBufferCount = 1;
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        pp.hDeviceWindow = harness_.Window();
        pp.Windowed = 1;
        pp.EnableAutoDepthStencil = 1;
        pp.AutoDepthStencilFormat = D3DFMT_D16;
        auto d3d = harness_.D3D();
        ASSERT_TRUE(d3d);
        HResult made = d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, harness_.Window(),
                                         D3DCREATE_HARDWARE_VERTEXPROCESSING, pp, device_);
        if (made < 0)
            made = d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, harness_.Window(),
                                     D3DCREATE_SOFTWARE_VERTEXPROCESSING, pp, device_);
        ASSERT_GE(made, 0) << "no device";
        ASSERT_TRUE(device_);
    }
    void TearDown() override {
        device_.reset();
        harness_.TearDown();
    }

    IRenderDevice& D() { return *device_; }

    // A buffer of `count` vertices of the engine's layout, filled through Lock and Unlock.
    std::shared_ptr<IRenderVertexBuffer> Buffer(std::uint32_t count) {
        std::vector<ContractVertex> vertices(count);
        for (std::uint32_t i = 0; i < count; ++i)
            vertices[i] = {float(i % 3) - 1, float(i % 2), 0.5f, 0, 0, -1, 0xFFFFFFFFu, 0, 0};
        std::shared_ptr<IRenderVertexBuffer> buffer;
        const std::uint32_t bytes = count * kVertexBytes;
        EXPECT_EQ(D().CreateVertexBuffer(bytes, 0, kContractFvf, D3DPOOL_MANAGED, buffer), D3D_OK);
        if (!buffer) return nullptr;
        std::uint8_t* data = nullptr;
        EXPECT_EQ(buffer->Lock(0, 0, &data, 0), D3D_OK);
        if (data) std::memcpy(data, vertices.data(), bytes);
        EXPECT_EQ(buffer->Unlock(), D3D_OK);
        return buffer;
    }
    HResult Draw(IRenderVertexBuffer* buffer, std::uint32_t triangles, std::uint32_t start = 0,
                 std::uint32_t stride = kVertexBytes) {
        D().SetStreamSource(0, buffer, stride);
        D().SetVertexShader(kContractFvf);
        return D().DrawPrimitive(D3DPT_TRIANGLELIST, start, triangles);
    }

    Harness harness_;
    std::shared_ptr<IRenderDevice> device_;
};

TYPED_TEST_SUITE_P(RenderDeviceContract);

TYPED_TEST_P(RenderDeviceContract, BuffersOfNoBytesOrAbsurdSizesAreRefused) {
    struct Case {
        std::uint32_t length;
        bool made, checked;
    } const cases[] = {{0, false, false},           {1, true, false},
                       {kVertexBytes, true, false}, {6 * kVertexBytes, true, false},
                       {0xFFFFFFFFu, false, true},  {0xFFFFFFF0u, false, true}};
    for (const Case& c : cases) {
        if (c.checked && !TypeParam::kChecksRanges) continue;
        std::shared_ptr<IRenderVertexBuffer> buffer;
        const HResult result = this->D().CreateVertexBuffer(c.length, 0, kContractFvf, D3DPOOL_MANAGED, buffer);
        EXPECT_EQ(result >= 0, c.made) << c.length << ": " << std::hex << result;
        EXPECT_EQ(bool(buffer), c.made) << c.length;
    }
}

TYPED_TEST_P(RenderDeviceContract, LocksStayInsideTheBuffer) {
    std::shared_ptr<IRenderVertexBuffer> buffer;
    ASSERT_EQ(this->D().CreateVertexBuffer(100, 0, kContractFvf, D3DPOOL_MANAGED, buffer), D3D_OK);
    // Size 0 locks from the offset to the end.
    struct Case {
        std::uint32_t offset, size;
        bool ok;
    } const cases[] = {
        {0, 0, true},    {0, 100, true},  {40, 0, true},   {99, 1, true},
        {0, 101, false}, {50, 51, false}, {101, 0, false}, {0xFFFFFFF0u, 0x20, false},
    };
    for (const Case& c : cases) {
        if (!c.ok && !TypeParam::kChecksRanges) continue;
        std::uint8_t* data = nullptr;
        const HResult result = buffer->Lock(c.offset, c.size, &data, 0);
        EXPECT_EQ(result >= 0, c.ok) << c.offset << "+" << c.size;
        if (result >= 0) {
            EXPECT_NE(data, nullptr) << c.offset << "+" << c.size;
            EXPECT_EQ(buffer->Unlock(), D3D_OK);
        }
    }
    if (TypeParam::kChecksRanges) {
        EXPECT_LT(buffer->Unlock(), 0) << "not locked";
    }
    // Locks nest: each has its unlock.
    std::uint8_t* outer = nullptr;
    std::uint8_t* inner = nullptr;
    ASSERT_EQ(buffer->Lock(0, 0, &outer, 0), D3D_OK);
    EXPECT_EQ(buffer->Lock(0, 0, &inner, 0), D3D_OK);
    EXPECT_EQ(buffer->Unlock(), D3D_OK);
    EXPECT_EQ(buffer->Unlock(), D3D_OK);
    if (TypeParam::kChecksRanges) {
        EXPECT_LT(buffer->Unlock(), 0) << "both locks are undone";
    }
    // What a lock wrote is there at the next one.
    std::uint8_t* data = nullptr;
    ASSERT_EQ(buffer->Lock(96, 4, &data, 0), D3D_OK);
    ASSERT_NE(data, nullptr);
    std::memcpy(data, "\xAB\xCD\xEF\x01", 4);
    ASSERT_EQ(buffer->Unlock(), D3D_OK);
    ASSERT_EQ(buffer->Lock(0, 0, &data, 0), D3D_OK);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(std::memcmp(data + 96, "\xAB\xCD\xEF\x01", 4), 0);
    EXPECT_EQ(buffer->Unlock(), D3D_OK);
}

TYPED_TEST_P(RenderDeviceContract, DrawsInsideTheBufferAndTheSceneAreDrawn) {
    auto buffer = this->Buffer(6);
    ASSERT_TRUE(buffer);
    ASSERT_EQ(this->D().BeginScene(), D3D_OK);
    EXPECT_EQ(this->D().Clear(0, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0), D3D_OK);
    EXPECT_EQ(this->Draw(buffer.get(), 2), D3D_OK);
    EXPECT_EQ(this->Draw(buffer.get(), 1, 3), D3D_OK) << "the last three vertices";
    EXPECT_EQ(this->Draw(buffer.get(), 1, 0, 2 * kVertexBytes), D3D_OK) << "every other vertex";
    EXPECT_EQ(this->Draw(buffer.get(), 0), D3D_OK) << "nothing at all";
    EXPECT_EQ(this->D().EndScene(), D3D_OK);
    // The scene brackets do not nest.
    EXPECT_LT(this->D().EndScene(), 0) << "no scene begun";
    ASSERT_EQ(this->D().BeginScene(), D3D_OK);
    EXPECT_LT(this->D().BeginScene(), 0) << "already in a scene";
    EXPECT_EQ(this->D().EndScene(), D3D_OK);
}

TYPED_TEST_P(RenderDeviceContract, DrawsThatWouldReadPastTheBufferAreRefused) {
    if constexpr (!TypeParam::kChecksRanges) {
        GTEST_SKIP() << TypeParam::kWhyRangesUnchecked;
    } else {
        auto buffer = this->Buffer(6);
        ASSERT_TRUE(buffer);
        EXPECT_LT(this->Draw(buffer.get(), 2), 0) << "outside a scene";
        ASSERT_EQ(this->D().BeginScene(), D3D_OK);
        struct Case {
            const char* what;
            std::uint32_t triangles, start, stride;
        } const cases[] = {
            {"one triangle too many", 3, 0, kVertexBytes},
            {"start past the end", 2, 1, kVertexBytes},
            {"stride shorter than the vertex", 2, 0, 20},
            {"stride that walks off the end", 2, 0, 40},
            {"count that wraps", 0x55555556u, 0, kVertexBytes},
            {"stride and count whose product overflows", 0x7FFFFFFFu, 0, 0xFFFFFFFFu},
        };
        for (const Case& c : cases) EXPECT_LT(this->Draw(buffer.get(), c.triangles, c.start, c.stride), 0) << c.what;
        EXPECT_LT(this->Draw(nullptr, 1), 0) << "no stream";
        EXPECT_EQ(this->D().EndScene(), D3D_OK);
    }
}

TYPED_TEST_P(RenderDeviceContract, AVertexShaderNoneWasMadeForNeverDraws) {
    // The seam has no vertex shaders: a handle above the highest vertex format names one
    // that was never made. Either the handle or the draw with it is refused.
    auto buffer = this->Buffer(6);
    ASSERT_TRUE(buffer);
    ASSERT_EQ(this->D().BeginScene(), D3D_OK);
    this->D().SetStreamSource(0, buffer.get(), kVertexBytes);
    for (std::uint32_t handle : {0xF0000001u, 0xFFFFFFFFu}) {
        const HResult set = this->D().SetVertexShader(handle);
        const HResult drawn = this->D().DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
        EXPECT_TRUE(set < 0 || drawn < 0) << std::hex << handle << ": set " << set << ", draw " << drawn;
    }
    // The engine's format draws again afterwards.
    EXPECT_EQ(this->D().SetVertexShader(kContractFvf), D3D_OK);
    EXPECT_EQ(this->D().DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3D_OK);
    EXPECT_EQ(this->D().EndScene(), D3D_OK);
}

TYPED_TEST_P(RenderDeviceContract, TransformsReadBackWhatWasSetAndStartAsIdentity) {
    const std::uint32_t states[] = {D3DTS_WORLD, D3DTS_VIEW, D3DTS_PROJECTION, D3DTS_TEXTURE0, D3DTS_TEXTURE0 + 1};
    for (std::uint32_t state : states) {
        D3DMATRIX m{};
        m.m[0][1] = 42;  // overwritten by the read
        ASSERT_EQ(this->D().GetTransform(state, m), D3D_OK) << state;
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) EXPECT_EQ(m.m[r][c], r == c ? 1.0f : 0.0f) << state << " " << r << c;
    }
    // Each state keeps its own matrix, bit for bit.
    for (std::uint32_t state : states) {
        D3DMATRIX m{};
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) m.m[r][c] = float(state) + 0.25f * float(r * 4 + c) - 1.0f / 3.0f;
        ASSERT_EQ(this->D().SetTransform(state, m), D3D_OK) << state;
    }
    for (std::uint32_t state : states) {
        D3DMATRIX m{};
        ASSERT_EQ(this->D().GetTransform(state, m), D3D_OK) << state;
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                EXPECT_EQ(m.m[r][c], float(state) + 0.25f * float(r * 4 + c) - 1.0f / 3.0f) << state << " " << r << c;
    }
}

REGISTER_TYPED_TEST_SUITE_P(RenderDeviceContract, BuffersOfNoBytesOrAbsurdSizesAreRefused, LocksStayInsideTheBuffer,
                            DrawsInsideTheBufferAndTheSceneAreDrawn, DrawsThatWouldReadPastTheBufferAreRefused,
                            AVertexShaderNoneWasMadeForNeverDraws, TransformsReadBackWhatWasSetAndStartAsIdentity);

}  // namespace vtl::contract

#pragma once
// A renderer on the recording device, a fake texture loader and a private folder for
// the files the engine reads.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine/e3d.h"
#include "platform/fake/recording_device.h"
#include "platform/textureloader.h"

namespace vtl::testing {

// Hands out recording textures; every call is kept, and a result can be forced.
class FakeTextureLoader : public ITextureLoader {
public:
    struct Load {
        std::string file;
        bool keyed;
        D3DCOLOR key;
    };
    HResult result = 0;
    bool giveNoTexture = false;  // success reported, no texture given
    std::vector<Load> loads;

    HResult LoadFromFile(IRenderDevice& device, const std::string& fileName,
                         std::shared_ptr<IRenderTexture>& texture) override {
        return Make(device, fileName, false, 0, texture);
    }
    HResult LoadFromFileEx(IRenderDevice& device, const std::string& fileName, D3DCOLOR colorKey,
                           std::shared_ptr<IRenderTexture>& texture) override {
        return Make(device, fileName, true, colorKey, texture);
    }

private:
    HResult Make(IRenderDevice& device, const std::string& fileName, bool keyed, D3DCOLOR key,
                 std::shared_ptr<IRenderTexture>& texture) {
        loads.push_back({fileName, keyed, key});
        if (result < 0 || giveNoTexture) return result;
        texture = static_cast<RecordingDevice&>(device).NewTexture(fileName);
        return result;
    }
};

class RendererTest : public ::testing::Test {
protected:
    void SetUp() override {
        d3d = std::make_shared<RecordingDirect3D>();
        SetDirect3DCreate([this](std::uint32_t sdk) {
            sdkVersion = sdk;
            return std::shared_ptr<IRenderD3D>(d3d);
        });
        loader = std::make_shared<FakeTextureLoader>();
        SetTextureLoader(loader);
        ASSERT_EQ(InitDirect3D(1), 0);
        renderer = CreateRenderInfo(reinterpret_cast<WindowHandle>(0x1234), 1024, 768, kVertexProcessingHardware);
        ASSERT_TRUE(renderer);
        device = d3d->LastDevice().get();
        log().Clear();
        dir = std::filesystem::temp_directory_path() /
              ("vtl_e3d_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::create_directories(dir);
    }
    void TearDown() override {
        InitDirect3D(0);
        SetDirect3DCreate(nullptr);
        SetTextureLoader(nullptr);
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    RecordingLog& log() { return d3d->Log(); }
    TRenderInfo* R() { return renderer.get(); }
    std::string Path(const std::string& name) const { return (dir / name).string(); }
    std::string WriteFile(const std::string& name, const std::string& bytes = "x") const {
        std::ofstream(Path(name), std::ios::binary) << bytes;
        return Path(name);
    }

    std::shared_ptr<RecordingDirect3D> d3d;
    std::shared_ptr<FakeTextureLoader> loader;
    std::unique_ptr<TRenderInfo> renderer;
    RecordingDevice* device = nullptr;
    std::uint32_t sdkVersion = 0;
    std::filesystem::path dir;
};

inline std::vector<TBufferVertex> Vertices(const RecordingVertexBuffer& buffer) {
    std::vector<TBufferVertex> out(buffer.Bytes().size() / sizeof(TBufferVertex));
    std::memcpy(out.data(), buffer.Bytes().data(), out.size() * sizeof(TBufferVertex));
    return out;
}

inline D3DVECTOR TransformPoint(const D3DVECTOR& v, const D3DMATRIX& m) {
    return D3DVECTOR{v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0] + m.m[3][0],
                     v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1] + m.m[3][1],
                     v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2] + m.m[3][2]};
}

}  // namespace vtl::testing

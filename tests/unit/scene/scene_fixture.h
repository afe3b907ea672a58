#pragma once
// A scene over the recording device, with a real scene pack unpacked from a private
// folder, an in-memory registry, a settable clock and a picture loader that can refuse.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/voxamesh.h"
#include "pack/assetnames.h"
#include "platform/fake/fake_registry.h"
#include "platform/files.h"
#include "platform/fake/recording_device.h"
#include "scene/scene.h"
#include "settings/settingsstore.h"
#include "unit/pack/packbytes.h"

namespace vtl::scene_test {

class FakeClock : public IClock {
public:
    std::uint32_t now = 0;
    std::uint32_t TickCount() override { return now; }
};

class FakeFolders : public IHostFolders {
public:
    std::string install, temp;
    std::string InstallFolder() override { return install; }
    std::string TempFolder() override { return temp; }
};

// Hands out recording textures; refuses the file names in `refused`, as a loader
// refuses a picture it cannot decode.
class PictureLoader : public ITextureLoader {
public:
    struct Load {
        std::string file;
        bool existed;  // the file was on disk when it was loaded
    };
    std::set<std::string> refused;
    std::vector<Load> loads;

    HResult LoadFromFile(IRenderDevice& device, const std::string& fileName,
                         std::shared_ptr<IRenderTexture>& texture) override {
        return Make(device, fileName, texture);
    }
    HResult LoadFromFileEx(IRenderDevice& device, const std::string& fileName, D3DCOLOR,
                           std::shared_ptr<IRenderTexture>& texture) override {
        return Make(device, fileName, texture);
    }

private:
    HResult Make(IRenderDevice& device, const std::string& fileName, std::shared_ptr<IRenderTexture>& texture) {
        loads.push_back({fileName, FileExists(fileName)});
        const std::string base = std::filesystem::path(fileName).filename().string();
        if (refused.count(base)) return D3DERR_INVALIDCALL;
        texture = static_cast<RecordingDevice&>(device).NewTexture(base);
        return D3D_OK;
    }
};

// One triangle, as the mesh writer stores it.
inline std::string MeshFileBytes(const std::filesystem::path& scratch) {
    const std::string path = (scratch / "one.msh").string();
    SaveMeshFile(path, {{0, 1, 2, 0, 0, 0, 0, 0, 0}}, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 0, 1}}, {});
    return test::ReadWhole(path);
}

using PackEntries = std::vector<std::pair<std::string, std::string>>;

class SceneTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("vtl_scene_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir / "install");
        std::filesystem::create_directories(dir / "temp");
        std::filesystem::create_directories(dir / "program");
        folders.install = (dir / "install").string();
        folders.temp = (dir / "temp").string() + kPathSeparator;
        d3d = std::make_shared<RecordingDirect3D>();
        loader = std::make_shared<PictureLoader>();
        noDirect3D = false;
        quitCodes.clear();
        WritePack(FullPack());
    }
    void TearDown() override {
        InitDirect3D(0);
        SetDirect3DCreate(nullptr);
        SetTextureLoader(nullptr);
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    PackEntries FullPack() const {
        const std::string mesh = MeshFileBytes(dir);
        PackEntries entries;
        for (const std::string name : kScenePackEntries)
            entries.emplace_back(name, name == kSkullMeshFile || name == kGlassesMeshFile ? mesh : "picture");
        return entries;
    }
    PackEntries PackWithout(const std::string& name) const {
        PackEntries entries = FullPack();
        entries.erase(std::remove_if(entries.begin(), entries.end(), [&](const auto& e) { return e.first == name; }),
                      entries.end());
        return entries;
    }
    void WritePack(const PackEntries& entries) const {
        test::PackBytes::Of(entries).WriteTo((dir / "install" / kScenePackName).string());
    }

    void SetSetting(const SettingDef& setting, std::uint32_t value) {
        registry.Set(RegistryRoot::CurrentUser, kSettingsKey, setting.name, value);
    }

    SceneServices Services() {
        SceneServices s;
        s.registry = &registry;
        s.folders = &folders;
        s.clock = &clock;
        s.requestQuit = [this](int code) { quitCodes.push_back(code); };
        s.direct3DCreate = [this](std::uint32_t) -> std::shared_ptr<IRenderD3D> {
            if (noDirect3D) return nullptr;
            return d3d;
        };
        s.textureLoader = loader;
        s.decimalSeparator = decimalSeparator;
        s.programFolder = (dir / "program").string();
        return s;
    }

    // A scene set up for a 1024 x 768 window, with the log cleared after setup.
    Scene& MakeScene() {
        scene = std::make_unique<Scene>(Services());
        scene->Setup(kWindow, 1024, 768);
        log().Clear();
        return *scene;
    }

    RecordingLog& log() { return d3d->Log(); }

    static inline WindowHandle const kWindow = reinterpret_cast<WindowHandle>(0x5A5A);

    std::filesystem::path dir;
    FakeRegistry registry;
    FakeFolders folders;
    FakeClock clock;
    std::shared_ptr<RecordingDirect3D> d3d;
    std::shared_ptr<PictureLoader> loader;
    bool noDirect3D = false;
    std::string decimalSeparator = ".";
    std::vector<int> quitCodes;
    std::unique_ptr<Scene> scene;
};

}  // namespace vtl::scene_test

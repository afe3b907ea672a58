#pragma once
// Recording backend of the render-device seam. Every call on the Direct3D object, the
// device and its vertex buffers goes, in order and with its arguments, into one shared
// log, so a test can assert the exact state sequence an operation sets. It behaves
// like a device where callers can observe it: GetTransform answers what was last set
// (identity before), Lock hands out the buffer's own bytes, and any call can be told
// to fail. It refuses what the real devices refuse: buffers of no bytes or of absurd
// sizes, locks outside the buffer, unbalanced scenes, and draws outside a scene or that
// would read past their vertex buffer. It draws nothing.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/renderdevice.h"

namespace vtl {

struct RecordedCall {
    std::string name;                 // e.g. "SetRenderState", "Lock"
    std::vector<std::uint32_t> args;  // integer arguments; objects by their id (0 = none)
    std::string text;                 // name and arguments, e.g. "SetRenderState(7,1)"
    D3DMATRIX matrix{};               // SetTransform, GetTransform
    D3DLIGHT8 light{};                // SetLight
    HResult result = 0;
};

// The log and the failure rules shared by one Direct3D object, its devices and buffers.
class RecordingLog {
public:
    // Makes the calls of that name fail with hr, after `skip` more successful ones.
    void FailCall(const std::string& name, HResult hr = D3DERR_INVALIDCALL, int skip = 0);
    void ClearFailures() { failures_.clear(); }

    const std::vector<RecordedCall>& Calls() const { return calls_; }
    // The texts of the calls, optionally only those with the given names.
    std::vector<std::string> Texts() const;
    std::vector<std::string> Texts(const std::vector<std::string>& names) const;
    std::size_t Count(const std::string& name) const;
    void Clear() { calls_.clear(); }

    // Records a call and decides its result.
    RecordedCall& Record(const std::string& name, std::vector<std::uint32_t> args);
    std::uint32_t NextId() { return ++lastId_; }

private:
    struct Failure {
        HResult hr;
        int skip;
    };
    std::vector<RecordedCall> calls_;
    std::map<std::string, Failure> failures_;
    std::uint32_t lastId_ = 0;
};

class RecordingVertexBuffer : public IRenderVertexBuffer {
public:
    RecordingVertexBuffer(std::shared_ptr<RecordingLog> log, std::uint32_t length, std::uint32_t fvf,
                          std::uint32_t pool);
    HResult Lock(std::uint32_t offset, std::uint32_t size, std::uint8_t** data, std::uint32_t flags) override;
    HResult Unlock() override;

    std::uint32_t Id() const { return id_; }
    std::uint32_t Fvf() const { return fvf_; }
    std::uint32_t Pool() const { return pool_; }
    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
    bool Locked() const { return locks_ > 0; }

private:
    std::shared_ptr<RecordingLog> log_;
    std::uint32_t id_;
    std::uint32_t fvf_, pool_;
    std::vector<std::uint8_t> bytes_;
    int locks_ = 0;  // locks nest; each needs its unlock
};

class RecordingTexture : public IRenderTexture {
public:
    RecordingTexture(std::uint32_t id, std::string source) : id_(id), source_(std::move(source)) {}
    std::uint32_t Id() const { return id_; }
    const std::string& Source() const { return source_; }

private:
    std::uint32_t id_;
    std::string source_;
};

class RecordingDevice : public IRenderDevice {
public:
    explicit RecordingDevice(std::shared_ptr<RecordingLog> log = std::make_shared<RecordingLog>());

    HResult BeginScene() override;
    HResult EndScene() override;
    HResult Present() override;
    HResult PresentTo(WindowHandle window) override;
    HResult TestCooperativeLevel() override;
    HResult Reset(D3DPRESENT_PARAMETERS& params) override;
    HResult Clear(std::uint32_t rectCount, std::uint32_t flags, D3DCOLOR color, float z,
                  std::uint32_t stencil) override;
    HResult SetRenderState(std::uint32_t state, std::uint32_t value) override;
    HResult SetTextureStageState(std::uint32_t stage, std::uint32_t type, std::uint32_t value) override;
    HResult SetTransform(std::uint32_t state, const D3DMATRIX& matrix) override;
    HResult GetTransform(std::uint32_t state, D3DMATRIX& matrix) override;
    HResult SetLight(std::uint32_t index, const D3DLIGHT8& light) override;
    HResult LightEnable(std::uint32_t index, bool enable) override;
    HResult CreateVertexBuffer(std::uint32_t length, std::uint32_t usage, std::uint32_t fvf, std::uint32_t pool,
                               std::shared_ptr<IRenderVertexBuffer>& buffer) override;
    HResult SetStreamSource(std::uint32_t stream, IRenderVertexBuffer* buffer, std::uint32_t stride) override;
    HResult SetVertexShader(std::uint32_t handle) override;
    HResult DrawPrimitive(std::uint32_t type, std::uint32_t startVertex, std::uint32_t primitiveCount) override;
    HResult SetTexture(std::uint32_t stage, IRenderTexture* texture) override;

    RecordingLog& Log() { return *log_; }
    const std::shared_ptr<RecordingLog>& SharedLog() const { return log_; }
    // A texture whose id comes from this log, as a texture loader would hand out.
    std::shared_ptr<RecordingTexture> NewTexture(const std::string& source);

    // Current state as the calls left it; the fallback when never set.
    std::uint32_t RenderState(std::uint32_t state, std::uint32_t fallback = 0) const;
    std::uint32_t TextureStageState(std::uint32_t stage, std::uint32_t type, std::uint32_t fallback = 0) const;
    std::uint32_t TextureId(std::uint32_t stage) const;  // 0: none
    const D3DMATRIX& Transform(std::uint32_t state) const;
    // Every buffer the device created, in order of creation.
    const std::vector<std::shared_ptr<RecordingVertexBuffer>>& Buffers() const { return buffers_; }

private:
    // Whether a draw of that many primitives reads only vertices inside the stream.
    bool DrawFits(std::uint32_t type, std::uint32_t startVertex, std::uint32_t primitiveCount) const;

    std::shared_ptr<RecordingLog> log_;
    bool inScene_ = false;
    RecordingVertexBuffer* stream_ = nullptr;  // one of buffers_, which outlive it
    std::uint32_t stride_ = 0;
    std::uint32_t fvf_ = 0;
    std::map<std::uint32_t, std::uint32_t> renderStates_;
    std::map<std::pair<std::uint32_t, std::uint32_t>, std::uint32_t> stageStates_;
    std::map<std::uint32_t, std::uint32_t> textures_;
    std::map<std::uint32_t, D3DMATRIX> transforms_;
    std::vector<std::shared_ptr<RecordingVertexBuffer>> buffers_;
};

class RecordingDirect3D : public IRenderD3D {
public:
    explicit RecordingDirect3D(std::shared_ptr<RecordingLog> log = std::make_shared<RecordingLog>());

    HResult GetAdapterDisplayMode(std::uint32_t adapter, D3DDISPLAYMODE& mode) override;
    HResult CreateDevice(std::uint32_t adapter, std::uint32_t deviceType, WindowHandle focusWindow,
                         std::uint32_t behaviorFlags, D3DPRESENT_PARAMETERS& params,
                         std::shared_ptr<IRenderDevice>& device) override;

    RecordingLog& Log() { return *log_; }
    void SetDisplayMode(const D3DDISPLAYMODE& mode) { mode_ = mode; }
    const D3DPRESENT_PARAMETERS& LastPresentParameters() const { return lastParams_; }
    WindowHandle LastFocusWindow() const { return lastWindow_; }
    // The device of the last successful CreateDevice, or null.
    const std::shared_ptr<RecordingDevice>& LastDevice() const { return lastDevice_; }

private:
    std::shared_ptr<RecordingLog> log_;
    D3DDISPLAYMODE mode_{1024, 768, 60, D3DFMT_X8R8G8B8};
    D3DPRESENT_PARAMETERS lastParams_{};
    WindowHandle lastWindow_ = nullptr;
    std::shared_ptr<RecordingDevice> lastDevice_;
};

}  // namespace vtl

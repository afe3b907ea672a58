#include "platform/fake/recording_device.h"

#include <cstdio>
#include <cstring>

namespace vtl {

namespace {

std::string Join(const std::string& name, const std::vector<std::uint32_t>& args) {
    std::string text = name + "(";
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (i) text += ",";
        text += std::to_string(args[i]);
    }
    return text + ")";
}

std::uint32_t FloatBits(float f) {
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

std::string FloatText(float f) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", double(f));
    return buf;
}

D3DMATRIX Identity() {
    D3DMATRIX m{};
    for (int i = 0; i < 4; ++i) m.m[i][i] = 1.0f;
    return m;
}

// Direct3D 8's highest vertex format: handles above it name vertex shaders.
constexpr std::uint32_t kHighestVertexFormat = 0xF0000000u;
constexpr std::uint32_t kMaxBufferBytes = 256u << 20;

// The bytes of one vertex of a fixed-function vertex format; 0 for a format without a
// position or with more texture sets than Direct3D 8 has.
std::uint32_t VertexBytes(std::uint32_t fvf) {
    static constexpr std::uint32_t kPositionBytes[8] = {0, 12, 16, 16, 20, 24, 28, 32};  // by (fvf & 0xE) / 2
    std::uint32_t bytes = kPositionBytes[(fvf & 0x00E) >> 1];
    if (bytes == 0) return 0;
    if (fvf & D3DFVF_NORMAL) bytes += 12;
    if (fvf & 0x020) bytes += 4;  // point size
    if (fvf & D3DFVF_DIFFUSE) bytes += 4;
    if (fvf & 0x080) bytes += 4;  // specular
    const std::uint32_t sets = (fvf >> 8) & 0xF;
    if (sets > 8) return 0;
    // Each set's size sits in two bits from bit 16: 2, 3, 4 or 1 floats.
    static constexpr std::uint32_t kSetBytes[4] = {8, 12, 16, 4};
    for (std::uint32_t i = 0; i < sets; ++i) bytes += kSetBytes[(fvf >> (16 + 2 * i)) & 3];
    return bytes;
}

std::uint32_t IdOf(IRenderVertexBuffer* buffer) {
    auto* rec = dynamic_cast<RecordingVertexBuffer*>(buffer);
    return rec ? rec->Id() : (buffer ? 0xFFFFFFFFu : 0u);
}

std::uint32_t IdOf(IRenderTexture* texture) {
    auto* rec = dynamic_cast<RecordingTexture*>(texture);
    return rec ? rec->Id() : (texture ? 0xFFFFFFFFu : 0u);
}

}  // namespace

// --- RecordingLog ---

void RecordingLog::FailCall(const std::string& name, HResult hr, int skip) { failures_[name] = Failure{hr, skip}; }

RecordedCall& RecordingLog::Record(const std::string& name, std::vector<std::uint32_t> args) {
    RecordedCall call;
    call.name = name;
    call.text = Join(name, args);
    call.args = std::move(args);
    auto it = failures_.find(name);
    if (it != failures_.end()) {
        if (it->second.skip > 0)
            --it->second.skip;
        else
            call.result = it->second.hr;
    }
    calls_.push_back(std::move(call));
    return calls_.back();
}

std::vector<std::string> RecordingLog::Texts() const {
    std::vector<std::string> out;
    for (const auto& c : calls_) out.push_back(c.text);
    return out;
}

std::vector<std::string> RecordingLog::Texts(const std::vector<std::string>& names) const {
    std::vector<std::string> out;
    for (const auto& c : calls_)
        for (const auto& n : names)
            if (c.name == n) out.push_back(c.text);
    return out;
}

std::size_t RecordingLog::Count(const std::string& name) const {
    std::size_t n = 0;
    for (const auto& c : calls_) n += c.name == name;
    return n;
}

// --- RecordingVertexBuffer ---

RecordingVertexBuffer::RecordingVertexBuffer(std::shared_ptr<RecordingLog> log, std::uint32_t length, std::uint32_t fvf,
                                             std::uint32_t pool)
    : log_(std::move(log)), id_(log_->NextId()), fvf_(fvf), pool_(pool), bytes_(length) {}

HResult RecordingVertexBuffer::Lock(std::uint32_t offset, std::uint32_t size, std::uint8_t** data,
                                    std::uint32_t flags) {
    RecordedCall& call = log_->Record("Lock", {id_, offset, size, flags});
    if (call.result < 0) return call.result;
    const std::uint64_t end = size == 0 ? bytes_.size() : std::uint64_t(offset) + size;
    if (data == nullptr || end > bytes_.size() || offset > bytes_.size()) {
        call.result = D3DERR_INVALIDCALL;
        return call.result;
    }
    ++locks_;
    *data = bytes_.data() + offset;
    return D3D_OK;
}

HResult RecordingVertexBuffer::Unlock() {
    RecordedCall& call = log_->Record("Unlock", {id_});
    if (call.result < 0) return call.result;
    if (locks_ == 0) return call.result = D3DERR_INVALIDCALL;
    --locks_;
    return D3D_OK;
}

// --- RecordingDevice ---

RecordingDevice::RecordingDevice(std::shared_ptr<RecordingLog> log) : log_(std::move(log)) {}

HResult RecordingDevice::BeginScene() {
    RecordedCall& call = log_->Record("BeginScene", {});
    if (call.result >= 0 && inScene_) call.result = D3DERR_INVALIDCALL;
    if (call.result >= 0) inScene_ = true;
    return call.result;
}

HResult RecordingDevice::EndScene() {
    RecordedCall& call = log_->Record("EndScene", {});
    if (call.result >= 0 && !inScene_) call.result = D3DERR_INVALIDCALL;
    // A scene ends with its EndScene whether or not that reports success.
    inScene_ = false;
    return call.result;
}
HResult RecordingDevice::Present() { return log_->Record("Present", {}).result; }
HResult RecordingDevice::TestCooperativeLevel() { return log_->Record("TestCooperativeLevel", {}).result; }
HResult RecordingDevice::Reset(D3DPRESENT_PARAMETERS& params) {
    return log_->Record("Reset", {params.SwapEffect, static_cast<std::uint32_t>(params.Windowed)}).result;
}
HResult RecordingDevice::PresentTo(WindowHandle window) {
    return log_->Record("PresentTo", {static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(window))}).result;
}

HResult RecordingDevice::Clear(std::uint32_t rectCount, std::uint32_t flags, D3DCOLOR color, float z,
                               std::uint32_t stencil) {
    RecordedCall& call = log_->Record("Clear", {rectCount, flags, color, FloatBits(z), stencil});
    call.text = "Clear(" + std::to_string(rectCount) + "," + std::to_string(flags) + "," + std::to_string(color) + "," +
                FloatText(z) + "," + std::to_string(stencil) + ")";
    return call.result;
}

HResult RecordingDevice::SetRenderState(std::uint32_t state, std::uint32_t value) {
    RecordedCall& call = log_->Record("SetRenderState", {state, value});
    if (call.result >= 0) renderStates_[state] = value;
    return call.result;
}

HResult RecordingDevice::SetTextureStageState(std::uint32_t stage, std::uint32_t type, std::uint32_t value) {
    RecordedCall& call = log_->Record("SetTextureStageState", {stage, type, value});
    if (call.result >= 0) stageStates_[{stage, type}] = value;
    return call.result;
}

HResult RecordingDevice::SetTransform(std::uint32_t state, const D3DMATRIX& matrix) {
    RecordedCall& call = log_->Record("SetTransform", {state});
    call.matrix = matrix;
    if (call.result >= 0) transforms_[state] = matrix;
    return call.result;
}

HResult RecordingDevice::GetTransform(std::uint32_t state, D3DMATRIX& matrix) {
    RecordedCall& call = log_->Record("GetTransform", {state});
    if (call.result < 0) return call.result;
    matrix = Transform(state);
    call.matrix = matrix;
    return call.result;
}

HResult RecordingDevice::SetLight(std::uint32_t index, const D3DLIGHT8& light) {
    RecordedCall& call = log_->Record("SetLight", {index});
    call.light = light;
    return call.result;
}

HResult RecordingDevice::LightEnable(std::uint32_t index, bool enable) {
    return log_->Record("LightEnable", {index, enable ? 1u : 0u}).result;
}

HResult RecordingDevice::CreateVertexBuffer(std::uint32_t length, std::uint32_t usage, std::uint32_t fvf,
                                            std::uint32_t pool, std::shared_ptr<IRenderVertexBuffer>& buffer) {
    RecordedCall& call = log_->Record("CreateVertexBuffer", {length, usage, fvf, pool});
    // As the real devices: a zero-length buffer is refused, and no device gives one
    // buffer more than it has (the OpenGL device's bound).
    if (call.result >= 0 && length == 0) call.result = D3DERR_INVALIDCALL;
    if (call.result >= 0 && length > kMaxBufferBytes) call.result = D3DERR_OUTOFVIDEOMEMORY;
    if (call.result < 0) return call.result;
    auto created = std::make_shared<RecordingVertexBuffer>(log_, length, fvf, pool);
    buffers_.push_back(created);
    buffer = created;
    return D3D_OK;
}

HResult RecordingDevice::SetStreamSource(std::uint32_t stream, IRenderVertexBuffer* buffer, std::uint32_t stride) {
    RecordedCall& call = log_->Record("SetStreamSource", {stream, IdOf(buffer), stride});
    if (call.result >= 0) {
        // A buffer of another device has no bytes here: a draw from it is refused.
        stream_ = dynamic_cast<RecordingVertexBuffer*>(buffer);
        stride_ = stride;
    }
    return call.result;
}

HResult RecordingDevice::SetVertexShader(std::uint32_t handle) {
    RecordedCall& call = log_->Record("SetVertexShader", {handle});
    // The seam makes no vertex shaders, so a handle above the vertex formats names none.
    if (call.result >= 0 && handle > kHighestVertexFormat) call.result = D3DERR_INVALIDCALL;
    if (call.result >= 0) fvf_ = handle;
    return call.result;
}

HResult RecordingDevice::DrawPrimitive(std::uint32_t type, std::uint32_t startVertex, std::uint32_t primitiveCount) {
    RecordedCall& call = log_->Record("DrawPrimitive", {type, startVertex, primitiveCount});
    if (call.result >= 0 && !(inScene_ && DrawFits(type, startVertex, primitiveCount)))
        call.result = D3DERR_INVALIDCALL;
    return call.result;
}

bool RecordingDevice::DrawFits(std::uint32_t type, std::uint32_t startVertex, std::uint32_t primitiveCount) const {
    const std::uint64_t n = primitiveCount;
    std::uint64_t vertices = 0;
    switch (type) {
        case 1: vertices = n; break;      // points
        case 2: vertices = 2 * n; break;  // lines
        case 3: vertices = n + 1; break;  // a line strip
        case 4: vertices = 3 * n; break;  // triangles
        case 5:
        case 6: vertices = n + 2; break;  // a triangle strip or fan
        default: return false;
    }
    if (primitiveCount == 0) return true;
    const std::uint32_t vertexBytes = VertexBytes(fvf_);
    if (!stream_ || vertexBytes == 0 || stride_ < vertexBytes) return false;
    const std::uint64_t last = std::uint64_t(startVertex) + vertices - 1;
    return last * stride_ + vertexBytes <= stream_->Bytes().size();
}

HResult RecordingDevice::SetTexture(std::uint32_t stage, IRenderTexture* texture) {
    RecordedCall& call = log_->Record("SetTexture", {stage, IdOf(texture)});
    if (call.result >= 0) textures_[stage] = IdOf(texture);
    return call.result;
}

std::shared_ptr<RecordingTexture> RecordingDevice::NewTexture(const std::string& source) {
    return std::make_shared<RecordingTexture>(log_->NextId(), source);
}

std::uint32_t RecordingDevice::RenderState(std::uint32_t state, std::uint32_t fallback) const {
    auto it = renderStates_.find(state);
    return it == renderStates_.end() ? fallback : it->second;
}

std::uint32_t RecordingDevice::TextureStageState(std::uint32_t stage, std::uint32_t type,
                                                 std::uint32_t fallback) const {
    auto it = stageStates_.find({stage, type});
    return it == stageStates_.end() ? fallback : it->second;
}

std::uint32_t RecordingDevice::TextureId(std::uint32_t stage) const {
    auto it = textures_.find(stage);
    return it == textures_.end() ? 0 : it->second;
}

const D3DMATRIX& RecordingDevice::Transform(std::uint32_t state) const {
    static const D3DMATRIX identity = Identity();
    auto it = transforms_.find(state);
    return it == transforms_.end() ? identity : it->second;
}

// --- RecordingDirect3D ---

RecordingDirect3D::RecordingDirect3D(std::shared_ptr<RecordingLog> log) : log_(std::move(log)) {}

HResult RecordingDirect3D::GetAdapterDisplayMode(std::uint32_t adapter, D3DDISPLAYMODE& mode) {
    RecordedCall& call = log_->Record("GetAdapterDisplayMode", {adapter});
    if (call.result >= 0) mode = mode_;
    return call.result;
}

HResult RecordingDirect3D::CreateDevice(std::uint32_t adapter, std::uint32_t deviceType, WindowHandle focusWindow,
                                        std::uint32_t behaviorFlags, D3DPRESENT_PARAMETERS& params,
                                        std::shared_ptr<IRenderDevice>& device) {
    RecordedCall& call = log_->Record("CreateDevice", {adapter, deviceType, behaviorFlags});
    lastWindow_ = focusWindow;
    lastParams_ = params;
    if (call.result < 0) return call.result;
    lastDevice_ = std::make_shared<RecordingDevice>(log_);
    device = lastDevice_;
    return D3D_OK;
}

}  // namespace vtl

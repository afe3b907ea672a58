#pragma once
// Reads a scene's frame back from the recording device: the draw sequence as a line of
// words named after the scene's objects, and the world matrix each object was drawn
// with.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/fake/recording_device.h"
#include "scene/scene.h"

namespace vtl::scene_test {

inline std::uint32_t IdOf(const std::shared_ptr<IRenderVertexBuffer>& b) {
    auto* rec = dynamic_cast<RecordingVertexBuffer*>(b.get());
    return rec ? rec->Id() : 0;
}
inline std::uint32_t IdOf(const std::shared_ptr<IRenderTexture>& t) {
    auto* rec = dynamic_cast<RecordingTexture*>(t.get());
    return rec ? rec->Id() : 0;
}

// The frame as a readable line: frame protocol, camera, texture bindings, the texture
// transform of a reflection, and each buffer drawn, named after the scene's objects.
class FrameReader {
public:
    explicit FrameReader(const Scene& s) {
        Mesh(s.BackgroundQuad.get(), "quad");
        Mesh(s.SkullMesh.get(), "skull");
        Mesh(s.GlassesMesh.get(), "glasses");
        Texture(s.BackgroundTexture.get(), "background");
        Texture(s.SkullReflection.get(), "skullenv");
        Texture(s.GlassesReflection.get(), "glassesenv");
        if (s.NumFont) {
            buffers_[IdOf(s.NumFont->VertexBuffer)] = "font";
            textures_[IdOf(s.NumFont->Texture)] = "font";
        }
    }

    std::string Events(const RecordingLog& log) const {
        std::string out;
        auto add = [&](const std::string& e) { out += (out.empty() ? "" : " ") + e; };
        for (const RecordedCall& c : log.Calls()) {
            if (c.name == "BeginScene")
                add("begin");
            else if (c.name == "Clear")
                add("clear");
            else if (c.name == "EndScene")
                add("end");
            else if (c.name == "Present")
                add("present");
            else if (c.name == "SetTransform" && c.args[0] == D3DTS_VIEW)
                add("camera");
            else if (c.name == "SetTransform" && c.args[0] == D3DTS_TEXTURE0)
                add("envmap");
            else if (c.name == "SetStreamSource")
                add(Name(buffers_, c.args[1]));
            else if (c.name == "SetTexture")
                add("tex:" + (c.args[1] ? Name(textures_, c.args[1]) : "none"));
        }
        return out;
    }

    // The world matrix in force when a buffer was drawn the first time.
    D3DMATRIX WorldAt(const RecordingLog& log, const std::string& buffer) const {
        D3DMATRIX world{};
        for (const RecordedCall& c : log.Calls()) {
            if (c.name == "SetTransform" && c.args[0] == D3DTS_WORLD) world = c.matrix;
            if (c.name == "SetStreamSource" && Name(buffers_, c.args[1]) == buffer) return world;
        }
        ADD_FAILURE() << buffer << " not drawn";
        return world;
    }

    std::size_t Count(const RecordingLog& log, const std::string& buffer) const {
        std::size_t n = 0;
        for (const RecordedCall& c : log.Calls())
            if (c.name == "SetStreamSource" && Name(buffers_, c.args[1]) == buffer) ++n;
        return n;
    }

private:
    void Mesh(const TMeshInfo* m, const std::string& name) {
        if (!m) return;
        buffers_[IdOf(m->FrontBuffer)] = name + ".front";
        if (m->BackBuffer) buffers_[IdOf(m->BackBuffer)] = name + ".back";
    }
    void Texture(const TTextureInfo* t, const std::string& name) {
        if (t) textures_[IdOf(t->Texture)] = name;
    }
    static std::string Name(const std::map<std::uint32_t, std::string>& names, std::uint32_t id) {
        auto it = names.find(id);
        return it == names.end() ? "?" + std::to_string(id) : it->second;
    }
    std::map<std::uint32_t, std::string> buffers_, textures_;
};

inline D3DVECTOR Apply(const D3DVECTOR& v, const D3DMATRIX& m) {
    return {v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0] + m.m[3][0],
            v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1] + m.m[3][1],
            v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2] + m.m[3][2]};
}

}  // namespace vtl::scene_test

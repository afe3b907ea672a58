// The OpenGL render device's draws: DrawPrimitive applies the plan that state/draw_plan.h
// makes from the kept Direct3D 8 states (the program variant, vertex attributes,
// uniforms, sampler and output-merger settings) and draws. It decides nothing itself;
// see gl_shaders.cpp for the fixed-function maths. D3DCOLOR is B, G, R, A in memory,
// so the diffuse colour is read as GL_BGRA.
#include <epoxy/gl.h>

#include <cstdint>

#include "platform/gl/gl_device_impl.h"

namespace vtl::gl::detail {

namespace {

const void* At(std::uint32_t bytes) { return reinterpret_cast<const void*>(std::uintptr_t(bytes)); }

GLboolean Bool(bool on) { return on ? GL_TRUE : GL_FALSE; }

void Enable(GLenum capability, bool on) {
    if (on) {
        glEnable(capability);
    } else {
        glDisable(capability);
    }
}

}  // namespace

HResult GlDevice::DrawPrimitive(std::uint32_t type, std::uint32_t startVertex, std::uint32_t primitiveCount) {
    const std::shared_ptr<GlTexture>& texture = textures_[0];
    DrawRequest request;
    request.type = type;
    request.startVertex = startVertex;
    request.primitiveCount = primitiveCount;
    request.inScene = inScene_;
    request.hasTarget = targets_;
    request.hasDepth = hasDepth_;
    request.width = width_;
    request.height = height_;
    request.hasStream = stream_ != nullptr;
    request.streamBytes = stream_ ? stream_->Length() : 0;
    request.stride = stride_;
    request.textured = texture != nullptr;
    request.textureLive = texture && texture->Live();
    DrawPlan plan;
    const HResult planned = PlanDraw(states_, request, plan);
    if (planned < 0 || plan.primitive.vertices == 0) return planned;

    FrameTarget();
    glViewport(0, 0, width_, height_);
    const Program* program = ProgramFor(plan.key);
    if (!program) return D3DERR_INVALIDCALL;
    glUseProgram(program->name);
    BindVertices(plan);
    Apply(*program, plan);
    glDrawArrays(GLenum(plan.primitive.mode), GLint(plan.first), GLsizei(plan.primitive.vertices));
    return D3D_OK;
}

const Program* GlDevice::ProgramFor(const ShaderKey& key) {
    const std::uint64_t packed = key.Packed();
    if (const auto found = programs_.find(packed); found != programs_.end()) return &found->second;
    Program program;
    if (!BuildProgram(program, key)) return nullptr;
    return &programs_.emplace(packed, program).first->second;
}

void GlDevice::BindVertices(const DrawPlan& plan) {
    const VertexLayout& layout = plan.layout;
    glBindVertexArray(vao_);
    glBindBuffer(GL_ARRAY_BUFFER, stream_->Name());
    const GLsizei stride = GLsizei(stride_);
    glEnableVertexAttribArray(kAttribPosition);
    glVertexAttribPointer(kAttribPosition, 3, GL_FLOAT, GL_FALSE, stride, At(0));
    if (layout.hasNormal) {
        glEnableVertexAttribArray(kAttribNormal);
        glVertexAttribPointer(kAttribNormal, 3, GL_FLOAT, GL_FALSE, stride, At(layout.normalAt));
    } else {
        glDisableVertexAttribArray(kAttribNormal);
        glVertexAttrib3f(kAttribNormal, 0, 0, 0);
    }
    if (layout.hasDiffuse) {
        glEnableVertexAttribArray(kAttribDiffuse);
        glVertexAttribPointer(kAttribDiffuse, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride, At(layout.diffuseAt));
    } else {
        glDisableVertexAttribArray(kAttribDiffuse);
        glVertexAttrib4f(kAttribDiffuse, 1, 1, 1, 1);
    }
    if (plan.hasTexCoord) {
        glEnableVertexAttribArray(kAttribTexCoord);
        glVertexAttribPointer(kAttribTexCoord, 2, GL_FLOAT, GL_FALSE, stride, At(plan.texCoordAt));
    } else {
        glDisableVertexAttribArray(kAttribTexCoord);
        glVertexAttrib2f(kAttribTexCoord, 0, 0);
    }
}

void GlDevice::Apply(const Program& program, const DrawPlan& plan) {
    const Uniforms& u = program.uniforms;
    const UniformValues& v = plan.uniforms;
    glUniformMatrix4fv(u.worldView, 1, GL_FALSE, &v.worldView.m[0][0]);
    glUniformMatrix4fv(u.projection, 1, GL_FALSE, &v.projection.m[0][0]);
    glUniformMatrix3fv(u.normalMatrix, 1, GL_FALSE, &v.normal.m[0][0]);
    glUniform2f(u.pixelOffset, v.pixelOffset[0], v.pixelOffset[1]);
    glUniform3fv(u.lightDirection, GLsizei(kShaderLights), v.lightDirection);
    glUniform3fv(u.lightDiffuse, GLsizei(kShaderLights), v.lightDiffuse);
    glUniformMatrix4fv(u.texMatrix, 1, GL_FALSE, &v.texMatrix.m[0][0]);
    glUniform4f(u.textureFactor, v.textureFactor[0], v.textureFactor[1], v.textureFactor[2], v.textureFactor[3]);

    const std::shared_ptr<GlTexture>& texture = textures_[0];
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture ? texture->Name() : 0);
    glUniform1i(u.sampler, 0);
    glBindSampler(0, sampler_);
    glSamplerParameteri(sampler_, GL_TEXTURE_MAG_FILTER, GLint(plan.sampler.magFilter));
    glSamplerParameteri(sampler_, GL_TEXTURE_MIN_FILTER, GLint(plan.sampler.minFilter));
    glSamplerParameteri(sampler_, GL_TEXTURE_WRAP_S, GLint(plan.sampler.wrapS));
    glSamplerParameteri(sampler_, GL_TEXTURE_WRAP_T, GLint(plan.sampler.wrapT));

    const OutputPlan& out = plan.output;
    Enable(GL_DEPTH_TEST, out.depthTest);
    if (out.depthTest) {
        glDepthFunc(GLenum(out.depthFunc));
        glDepthMask(Bool(out.depthWrite));
    }
    Enable(GL_CULL_FACE, out.cull);
    if (out.cull) {
        glFrontFace(GLenum(out.frontFace));
        glCullFace(GLenum(out.cullFace));
    }
    Enable(GL_BLEND, out.blend);
    if (out.blend) glBlendFunc(GLenum(out.srcFactor), GLenum(out.dstFactor));
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}

}  // namespace vtl::gl::detail

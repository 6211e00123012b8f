#include "world/render/world_renderer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <utility>

#include "world/render/ground_texture.h"
#include "world/render/skirt_depths.h"
#include "world/render/terrain_program.h"
#include "world/render/view_projection.h"

namespace world::render {

namespace {

// Whether the patch holds what its side promises; anything else is left out of the frame.
bool Drawable(const TerrainPatch& patch) {
    const std::size_t count = std::size_t(std::max(patch.side, 0)) * std::size_t(patch.side);
    return patch.side >= 2 && patch.step >= 1 && patch.heights && patch.heights->size() >= count &&
           (!patch.present || patch.present->size() >= count);
}

// A driver drawing in software keeps what it has been given to draw until the frame is flushed,
// some hundreds of bytes a triangle: flushing every so many triangles keeps that bounded however
// much ground a frame holds.
constexpr std::size_t FlushTriangles = std::size_t{1} << 15;

}  // namespace

WorldRenderer::WorldRenderer(std::size_t bufferBudgetBytes)
    : program_(BuildTerrainProgram(false)),
      // A vertex array with no attributes: the program fetches what it needs itself.
      vertexArray_(gl::VertexArray::Create()),
      patches_(bufferBudgetBytes) {}

WorldRenderer::~WorldRenderer() = default;

void WorldRenderer::SetGroundTexture(const GroundImage& image) {
    groundTexture_ = MakeGroundTexture(image);
}

void WorldRenderer::ClearGroundTexture() {
    groundTexture_ = gl::Texture();
}

const gl::Program& WorldRenderer::Program() {
    if (shading_ == Shading::Height) {
        return program_;
    }
    if (!litProgram_) {
        litProgram_ = BuildTerrainProgram(true);
    }
    return litProgram_;
}

const IndexBuffer& WorldRenderer::SharedIndices(int side) {
    auto found = sharedIndices_.find(side);
    if (found == sharedIndices_.end()) {
        found = sharedIndices_.emplace(side, UploadIndices(MakePatchIndices(side))).first;
    }
    return found->second;
}

void WorldRenderer::ApplyState(GLuint framebuffer, int width, int height) {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    // Direct3D's clip volume (0 <= z <= w) and its y-down window, as the viewer's gl backend
    // sets them: row 0 is the top row, and Direct3D's clockwise front faces are GL's clockwise
    // ones. The viewer culls the others (D3DCULL_CCW).
    glClipControl(GL_UPPER_LEFT, GL_ZERO_TO_ONE);
    glFrontFace(GL_CW);
    glCullFace(GL_BACK);
    // Reversed depth: nearer is greater.
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_GREATER);
    glDepthMask(GL_TRUE);
    glDepthRangef(0.0f, 1.0f);
    glDisable(GL_BLEND);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_STENCIL_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    // Direct3D's pixel centres lie on whole coordinates, GL's on halves: the viewport moves by
    // half a pixel, less one sub-pixel step, so that edges through pixel centres fall as the
    // viewer's backend lets them fall (left and top edges keep their pixels) on every driver.
    GLint subpixelBits = 0;
    glGetIntegerv(GL_SUBPIXEL_BITS, &subpixelBits);
    const GLfloat tieBreak = std::ldexp(1.0f, -std::clamp(subpixelBits, 4, 8));
    glViewportIndexedf(0, 0.5f - tieBreak, 0.5f - tieBreak, static_cast<GLfloat>(width),
                       static_cast<GLfloat>(height));
    glUseProgram(Program().name());
    glBindVertexArray(vertexArray_.name());
    glBindSampler(terrain_program::GroundUnit, 0);
    glBindTextureUnit(terrain_program::GroundUnit, groundTexture_.name());
}

void WorldRenderer::Prepare(GLuint framebuffer, int width, int height) {
    // Two patches at different steps side by side, so that skirts are drawn too; their keys
    // belong to no sector or node.
    FrameSelection frame;
    for (const int step : {1, 2}) {
        TerrainPatch patch;
        patch.key = ~std::uint64_t{0} - static_cast<std::uint64_t>(step);
        patch.originX = step == 1 ? 0 : 2;
        patch.step = step;
        patch.side = step == 1 ? 3 : 2;
        patch.heights = std::make_shared<const std::vector<std::uint16_t>>(
            static_cast<std::size_t>(patch.side * patch.side), std::uint16_t{0});
        patch.skirtDepth = 100.0f;
        frame.patches.push_back(std::move(patch));
    }
    Draw(frame, Camera{20.0, 10.0, 200.0, 0.0, 3.1}, ShadingRange(0, 1), framebuffer, width,
         height);
}

void WorldRenderer::Draw(const FrameSelection& frame, const Camera& camera,
                         const ShadingRange& range, GLuint framebuffer, int width, int height) {
    ++frameNumber_;
    stats_ = FrameStats{};
    ApplyState(framebuffer, width, height);
    // The viewer's clear colour, D3DCOLOR 0xFF0000FF; depth 0 is infinitely far.
    const GLfloat blue[4] = {0.0f, 0.0f, 1.0f, 1.0f};
    const GLfloat farthest = 0.0f;
    glClearNamedFramebufferfv(framebuffer, GL_COLOR, 0, blue);
    glClearNamedFramebufferfv(framebuffer, GL_DEPTH, 0, &farthest);

    const GLuint program = Program().name();
    const ViewProjection view = MakeViewProjection(camera, width, height);
    glProgramUniformMatrix3fv(program, terrain_program::Rotation, 1, GL_FALSE,
                              view.rotation.data());
    glProgramUniform3f(program, terrain_program::Projection, view.xScale, view.yScale,
                       view.nearPlane);
    glProgramUniform2ui(program, terrain_program::Shading, range.Low(), range.Range());
    glProgramUniform1i(program, terrain_program::Textured, groundTexture_ ? 1 : 0);
    const bool lit = shading_ != Shading::Height;
    if (lit) {
        glProgramUniform1i(program, terrain_program::Relief, static_cast<GLint>(shading_));
    }

    const std::vector<std::array<float, 4>> skirtDepths = SkirtDepths(frame.patches);
    std::size_t sinceFlush = 0;
    for (std::size_t p = 0; p < frame.patches.size(); ++p) {
        const TerrainPatch& patch = frame.patches[p];
        if (!Drawable(patch)) {
            continue;
        }
        PatchBuffers* buffers = patches_.Find(patch.key, patch.version, frameNumber_);
        if (buffers == nullptr) {
            PatchBuffers uploaded = UploadPatch(patch);
            const std::size_t bytes = uploaded.bytes;
            buffers = &patches_.Insert(patch.key, patch.version, bytes, std::move(uploaded),
                                       frameNumber_);
            ++stats_.uploads;
        }
        const IndexBuffer& indices =
            buffers->ownIndices ? *buffers->ownIndices : SharedIndices(patch.side);

        const std::array<float, 3> origin = PatchOffset(patch, camera);
        glProgramUniform3f(program, terrain_program::Origin, origin[0], origin[1], origin[2]);
        glProgramUniform4i(program, terrain_program::Grid, patch.side, patch.step,
                           TexturePhase(patch.originX), TexturePhase(patch.originY));
        glProgramUniform4fv(program, terrain_program::SkirtDepth, 1, skirtDepths[p].data());
        glBindBufferBase(GL_SHADER_STORAGE_BUFFER, terrain_program::HeightsBinding,
                         buffers->heights.name());
        // The program by height alone has no use for presence, and so no such uniform.
        const bool absent = static_cast<bool>(buffers->presence);
        if (lit) {
            glProgramUniform1i(program, terrain_program::HasAbsentPoints, absent ? 1 : 0);
        }
        // A storage block the program names must have a buffer bound, used or not.
        glBindBufferBase(GL_SHADER_STORAGE_BUFFER, terrain_program::PresenceBinding,
                         absent ? buffers->presence.name() : buffers->heights.name());
        glVertexArrayElementBuffer(vertexArray_.name(), indices.buffer.name());

        glEnable(GL_CULL_FACE);
        glDrawElements(GL_TRIANGLES, indices.groundCount, GL_UNSIGNED_INT, nullptr);
        std::size_t drawn = static_cast<std::size_t>(indices.groundCount);
        // Skirts hang where the patch parts from a neighbour; half of them face away from the
        // camera, so they are drawn from both sides.
        std::array<GLsizei, 4> counts{};
        std::array<const void*, 4> starts{};
        GLsizei skirts = 0;
        for (std::size_t edge = 0; edge < 4; ++edge) {
            if (skirtDepths[p][edge] > 0.0f && indices.skirtCount[edge] > 0) {
                counts[skirts] = indices.skirtCount[edge];
                starts[skirts] = reinterpret_cast<const void*>(
                    std::uintptr_t{sizeof(std::uint32_t)} *
                    static_cast<std::uintptr_t>(indices.skirtFirst[edge]));
                drawn += static_cast<std::size_t>(indices.skirtCount[edge]);
                ++skirts;
            }
        }
        if (skirts > 0) {
            glDisable(GL_CULL_FACE);
            glMultiDrawElements(GL_TRIANGLES, counts.data(), GL_UNSIGNED_INT, starts.data(),
                                skirts);
        }
        ++stats_.patches;
        stats_.triangles += drawn / 3;
        sinceFlush += drawn / 3;
        if (sinceFlush >= FlushTriangles) {
            glFlush();
            sinceFlush = 0;
        }
    }
    patches_.Trim(frameNumber_);
    stats_.bufferBytes = patches_.Bytes();
}

}  // namespace world::render

#pragma once
// Draws the world as the viewer draws a sector: the viewer's grey over the world's one shading
// range, modulating the ground texture tiled every 7 samples, seen through the viewer's camera
// and field of view, on a blue ground. It follows Direct3D's conventions as the viewer's gl
// backend keeps them (row 0 at the top, clockwise front faces with back faces culled, pixel
// centres on whole coordinates), so one camera gives the same frame in both; unlike the viewer
// it has no far plane (reversed, infinite depth into a 32-bit float depth buffer).

#include <cstddef>
#include <cstdint>
#include <map>

#include "gl/object.h"
#include "terrain/shading_range.h"
#include "world/relief_shading.h"
#include "world/render/ground_image.h"
#include "world/render/lru_budget.h"
#include "world/render/patch_buffers.h"
#include "world/world_camera.h"
#include "world/world_model.h"

namespace world::render {

struct FrameStats {
    std::size_t patches = 0;      // patches drawn
    std::size_t triangles = 0;    // ground and skirt triangles drawn
    std::size_t uploads = 0;      // patches whose samples went to the GPU for this frame
    std::size_t bufferBytes = 0;  // patch buffers kept on the GPU after the frame
};

class WorldRenderer {
public:
    static constexpr std::size_t DefaultBufferBudget = std::size_t{256} << 20;

    // Needs a current OpenGL 4.5 core context, current again whenever the renderer is used and
    // when it is destroyed. Patch buffers are kept between frames up to `bufferBudgetBytes`.
    // Throws std::runtime_error when the program cannot be built.
    explicit WorldRenderer(std::size_t bufferBudgetBytes = DefaultBufferBudget);
    ~WorldRenderer();
    WorldRenderer(const WorldRenderer&) = delete;
    WorldRenderer& operator=(const WorldRenderer&) = delete;

    // The ground texture from now on. Throws std::runtime_error (and keeps the one before) when
    // the driver cannot hold the picture.
    void SetGroundTexture(const GroundImage& image);
    // Grey terrain from now on.
    void ClearGroundTexture();
    bool Textured() const { return static_cast<bool>(groundTexture_); }

    // How the ground is shaded from now on: the viewer's grey by height (the default), the
    // light on its slopes, or both.
    void SetShading(Shading shading) { shading_ = shading; }

    // Clears `framebuffer` (0: the default one) to the clear colour and draws the frame's
    // patches into its width x height pixels, row 0 the picture's top. The framebuffer needs a
    // depth buffer; 32-bit float keeps far ground apart. Sets the GL state it draws with.
    void Draw(const FrameSelection& frame, const Camera& camera, const ShadingRange& range,
              GLuint framebuffer, int width, int height);

    // Draws two small patches, with a skirt between them, into `framebuffer` as Draw would, so
    // that the driver builds what a frame draws with now (llvmpipe compiles its shaders at their
    // first draw) rather than in the first frame of a world. Leaves the framebuffer to be drawn
    // over.
    void Prepare(GLuint framebuffer, int width, int height);

    // What the last Draw did.
    const FrameStats& LastFrame() const { return stats_; }

private:
    const IndexBuffer& SharedIndices(int side);
    // The program for the shading chosen.
    const gl::Program& Program();
    void ApplyState(GLuint framebuffer, int width, int height);

    // By height alone, and with the relief's light (made when first wanted).
    gl::Program program_;
    gl::Program litProgram_;
    gl::VertexArray vertexArray_;
    gl::Texture groundTexture_;
    Shading shading_ = Shading::Height;
    std::map<int, IndexBuffer> sharedIndices_;  // by grid side
    LruBudget<PatchBuffers> patches_;
    std::uint64_t frameNumber_ = 0;
    FrameStats stats_;
};

}  // namespace world::render

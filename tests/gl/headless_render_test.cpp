#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "gl/headless_context.h"
#include "gl/object.h"
#include "gl/offscreen_framebuffer.h"
#include "gl/read_back.h"
#include "gl/shader_program.h"

namespace gl {

// Names the parameter in test output; found by argument-dependent lookup, so in gl itself.
static void PrintTo(ClipOrigin origin, std::ostream* out) {
    *out << (origin == ClipOrigin::LowerLeft ? "LowerLeft" : "UpperLeft");
}

namespace {

// Not square, so that swapped sides or a mirrored picture show; no pixel centre lies on the
// triangle's slanted edge.
constexpr GLsizei Width = 8;
constexpr GLsizei Height = 6;

using Rgba = std::array<std::uint8_t, 4>;
constexpr Rgba Blue{0, 0, 255, 255};
constexpr Rgba Red{255, 0, 0, 255};
constexpr Rgba Green{0, 255, 0, 255};

// A triangle over the picture's top-left half-quadrant, at one depth, in one colour.
constexpr const char* VertexSource = R"(#version 450 core
layout(location = 0) uniform float depth;
const vec2 corners[3] = vec2[](vec2(-1.0, 1.0), vec2(0.0, 1.0), vec2(-1.0, 0.0));
void main() { gl_Position = vec4(corners[gl_VertexID], depth, 1.0); }
)";

constexpr const char* FragmentSource = R"(#version 450 core
layout(location = 1) uniform vec4 colour;
layout(location = 0) out vec4 fragmentColour;
void main() { fragmentColour = colour; }
)";

// Whether the pixel at column x, row y (row 0 at the top) has its centre inside the triangle.
bool InTriangle(int x, int y) {
    const double clipX = -1.0 + (2.0 * x + 1.0) / Width;
    const double clipY = 1.0 - (2.0 * y + 1.0) / Height;
    return clipY >= clipX + 1.0;
}

Rgba PixelAt(const std::vector<std::uint8_t>& rgba, int x, int y) {
    const auto at = (static_cast<std::size_t>(y) * Width + static_cast<std::size_t>(x)) * 4;
    return {rgba[at], rgba[at + 1], rgba[at + 2], rgba[at + 3]};
}

class HeadlessRenderTest : public ::testing::TestWithParam<ClipOrigin> {
protected:
    void SetUp() override {
        try {
            context_ = std::make_unique<HeadlessContext>();
        } catch (const std::runtime_error& error) {
            FAIL() << "the gl tests need EGL surfaceless (Mesa): " << error.what();
        }
        framebuffer_ = std::make_unique<OffscreenFramebuffer>(Width, Height, GetParam());
        program_ = BuildProgram(VertexSource, FragmentSource);
        vertexArray_ = VertexArray::Create();
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_->name());
        glViewport(0, 0, Width, Height);
        // Reversed Z: depth 1 is near, cleared to 0 (far), nearer fragments pass.
        glClipControl(GetParam() == ClipOrigin::UpperLeft ? GL_UPPER_LEFT : GL_LOWER_LEFT,
                      GL_ZERO_TO_ONE);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_GREATER);
        glUseProgram(program_.name());
        glBindVertexArray(vertexArray_.name());
        const GLfloat blue[4] = {0, 0, 1, 1};
        const GLfloat far = 0;
        glClearNamedFramebufferfv(framebuffer_->name(), GL_COLOR, 0, blue);
        glClearNamedFramebufferfv(framebuffer_->name(), GL_DEPTH, 0, &far);
    }

    void DrawTriangle(float depth, const Rgba& colour) {
        glUniform1f(0, depth);
        glUniform4f(1, colour[0] / 255.0f, colour[1] / 255.0f, colour[2] / 255.0f,
                    colour[3] / 255.0f);
        glDrawArrays(GL_TRIANGLES, 0, 3);
    }

    std::unique_ptr<HeadlessContext> context_;
    std::unique_ptr<OffscreenFramebuffer> framebuffer_;
    Program program_;
    VertexArray vertexArray_;
};

TEST_P(HeadlessRenderTest, ATriangleDrawnAtTheTopLeftReadsBackThereOverTheClearColour) {
    DrawTriangle(0.5f, Red);
    const std::vector<std::uint8_t> rgba = framebuffer_->ReadPixels();
    ASSERT_EQ(rgba.size(), std::size_t{Width} * Height * 4);
    EXPECT_EQ(PixelAt(rgba, 0, 0), Red);
    EXPECT_EQ(PixelAt(rgba, 0, Height - 1), Blue);
    for (int y = 0; y < Height; ++y) {
        for (int x = 0; x < Width; ++x) {
            EXPECT_EQ(PixelAt(rgba, x, y), InTriangle(x, y) ? Red : Blue) << x << ", " << y;
        }
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_P(HeadlessRenderTest, FloatDepthKeepsSurfacesApartThatFixedPointDepthWouldMerge) {
    // A 24-bit depth buffer stores both as 0, the cleared far plane, and draws neither; no
    // depth buffer at all lets the later, farther one cover the nearer.
    DrawTriangle(2e-9f, Red);
    DrawTriangle(1e-9f, Green);
    EXPECT_EQ(PixelAt(framebuffer_->ReadPixels(), 0, 0), Red);
}

INSTANTIATE_TEST_SUITE_P(BothClipOrigins, HeadlessRenderTest,
                         ::testing::Values(ClipOrigin::LowerLeft, ClipOrigin::UpperLeft),
                         ::testing::PrintToStringParamName());

// The message of what `build` throws, or "" when it throws nothing.
template <class Build>
std::string FailureOf(Build build) {
    try {
        build();
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "";
}

TEST(ShaderProgramTest, CompileAndLinkFailuresCarryTheInfoLog) {
    const HeadlessContext context;
    const std::string compile = FailureOf([] {
        CompileShader(GL_FRAGMENT_SHADER, "#version 450 core\nvoid main() { undeclaredThing; }\n");
    });
    EXPECT_NE(compile.find("fragment"), std::string::npos) << compile;
    EXPECT_NE(compile.find("undeclaredThing"), std::string::npos) << compile;

    // Each stage compiles, but the fragment stage reads what the vertex stage never writes.
    const std::string link = FailureOf([] {
        BuildProgram("#version 450 core\nvoid main() { gl_Position = vec4(0.0); }\n",
                     "#version 450 core\nin vec4 missingVarying;\nout vec4 colour;\n"
                     "void main() { colour = missingVarying; }\n");
    });
    EXPECT_NE(link.find("missingVarying"), std::string::npos) << link;
}

}  // namespace
}  // namespace gl

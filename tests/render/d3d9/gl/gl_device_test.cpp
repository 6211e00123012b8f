#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "render/d3d9/d3d9.h"
#include "render/d3d9/direct3d_backend.h"
#include "render/d3d9/gl/gl_backend.h"
#include "render/d3d9/gl/offscreen_target.h"
#include "render/d3d9/windowed_parameters.h"

namespace velmora::d3d9::gl {
namespace {

constexpr UINT Size = 64;
constexpr D3DCOLOR Blue = 0xFF0000FF;
constexpr DWORD Fvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// The FVF 0x142 layout; positions are given in clip space (all transforms are the identity).
struct Vertex {
    float x, y, z;
    D3DCOLOR diffuse;
    float u, v;
};
static_assert(sizeof(Vertex) == 24);

// Releases a Direct3D object at scope end.
struct Releaser {
    void operator()(IUnknown* object) const { object->Release(); }
};
template <class T>
using Ref = std::unique_ptr<T, Releaser>;

int ChannelDistance(D3DCOLOR a, D3DCOLOR b) {
    int worst = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        worst = std::max(worst, std::abs(static_cast<int>((a >> shift) & 0xFF) -
                                         static_cast<int>((b >> shift) & 0xFF)));
    }
    return worst;
}

class GlDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        target_ = OffscreenTarget::Create(Size, Size);
        ASSERT_NE(target_, nullptr) << "EGL surfaceless (Mesa) is needed for the gl tests";
        d3d_.reset(Direct3DCreate9(D3D_SDK_VERSION));
        ASSERT_NE(d3d_, nullptr);
        params_ = WindowedParameters(target_->Window());
        IDirect3DDevice9* device = nullptr;
        ASSERT_EQ(d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                                     D3DCREATE_HARDWARE_VERTEXPROCESSING, &params_, &device),
                  D3D_OK);
        device_.reset(device);
    }

    // Uploads `vertices` and `indices` and binds them for drawing.
    void Bind(const std::vector<Vertex>& vertices, const std::vector<std::uint16_t>& indices) {
        IDirect3DVertexBuffer9* vb = nullptr;
        const auto vbBytes = static_cast<UINT>(vertices.size() * sizeof(Vertex));
        ASSERT_EQ(device_->CreateVertexBuffer(vbBytes, 0, Fvf, D3DPOOL_DEFAULT, &vb, nullptr),
                  D3D_OK);
        vertexBuffer_.reset(vb);
        void* data = nullptr;
        ASSERT_EQ(vb->Lock(0, vbBytes, &data, 0), D3D_OK);
        std::memcpy(data, vertices.data(), vbBytes);
        ASSERT_EQ(vb->Unlock(), D3D_OK);

        IDirect3DIndexBuffer9* ib = nullptr;
        const auto ibBytes = static_cast<UINT>(indices.size() * sizeof(std::uint16_t));
        ASSERT_EQ(
            device_->CreateIndexBuffer(ibBytes, 0, D3DFMT_INDEX16, D3DPOOL_DEFAULT, &ib, nullptr),
            D3D_OK);
        indexBuffer_.reset(ib);
        ASSERT_EQ(ib->Lock(0, 0, &data, 0), D3D_OK);
        std::memcpy(data, indices.data(), ibBytes);
        ASSERT_EQ(ib->Unlock(), D3D_OK);

        ASSERT_EQ(device_->SetFVF(Fvf), D3D_OK);
        ASSERT_EQ(device_->SetStreamSource(0, vb, 0, sizeof(Vertex)), D3D_OK);
        ASSERT_EQ(device_->SetIndices(ib), D3D_OK);
    }

    // Clears to blue, draws the strip of `vertices` (indices 0..n-1) and presents.
    BackBufferPixels DrawStrip(const std::vector<Vertex>& vertices) {
        std::vector<std::uint16_t> indices;
        for (std::uint16_t i = 0; i < vertices.size(); ++i) {
            indices.push_back(i);
        }
        Bind(vertices, indices);
        EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, Blue, 1.0f, 0),
                  D3D_OK);
        EXPECT_EQ(device_->BeginScene(), D3D_OK);
        const auto count = static_cast<UINT>(vertices.size());
        EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, 0, count, 0, count - 2),
                  D3D_OK);
        EXPECT_EQ(device_->EndScene(), D3D_OK);
        EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
        return Read();
    }

    BackBufferPixels Read() {
        std::optional<BackBufferPixels> pixels = ReadBackBuffer(device_.get());
        EXPECT_TRUE(pixels.has_value());
        // Every frame a test reads was drawn without a GL error.
        EXPECT_EQ(TakeGlError(device_.get()), 0u);
        return pixels.value_or(BackBufferPixels{});
    }

    ScopedDirect3DBackend backend_{GlBackend()};
    std::shared_ptr<OffscreenTarget> target_;
    D3DPRESENT_PARAMETERS params_{};
    Ref<IDirect3D9> d3d_;
    Ref<IDirect3DDevice9> device_;
    Ref<IDirect3DVertexBuffer9> vertexBuffer_;
    Ref<IDirect3DIndexBuffer9> indexBuffer_;
};

// A triangle around the centre, clockwise on screen (top left, top right, bottom middle).
std::vector<Vertex> ClockwiseTriangle(D3DCOLOR colour, float z = 0.5f) {
    return {{-0.5f, 0.5f, z, colour, 0, 0},
            {0.5f, 0.5f, z, colour, 0, 0},
            {0.0f, -0.5f, z, colour, 0, 0}};
}

TEST_F(GlDeviceTest, CreationTakesTheTargetSizeAndWritesItBack) {
    EXPECT_EQ(params_.BackBufferWidth, Size);
    EXPECT_EQ(params_.BackBufferHeight, Size);
    EXPECT_EQ(params_.BackBufferFormat, D3DFMT_X8R8G8B8);
    const BackBufferPixels pixels = Read();
    EXPECT_EQ(pixels.width, Size);
    EXPECT_EQ(pixels.height, Size);
}

TEST_F(GlDeviceTest, ClearFillsTheBackBufferWithExactlyTheColourAsked) {
    for (D3DCOLOR colour : {Blue, D3DCOLOR_ARGB(0x00, 0x33, 0x66, 0x99)}) {
        ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, colour, 1.0f, 0),
                  D3D_OK);
        const BackBufferPixels pixels = Read();
        for (UINT y = 0; y < Size; ++y) {
            for (UINT x = 0; x < Size; ++x) {
                // The back buffer is X8R8G8B8: alpha reads as opaque.
                ASSERT_EQ(pixels.At(x, y), colour | 0xFF000000) << x << "," << y;
            }
        }
    }
}

TEST_F(GlDeviceTest, DefaultCullingDrawsClockwiseAndCullsCounterClockwiseTriangles) {
    ASSERT_EQ(device_->SetRenderState(D3DRS_LIGHTING, FALSE), D3D_OK);
    const D3DCOLOR red = 0xFFFF0000;
    std::vector<Vertex> triangle = ClockwiseTriangle(red);
    EXPECT_EQ(DrawStrip(triangle).At(Size / 2, Size / 2), red);

    std::swap(triangle[1], triangle[2]);  // counter-clockwise on screen
    EXPECT_EQ(DrawStrip(triangle).At(Size / 2, Size / 2), Blue);
}

TEST_F(GlDeviceTest, LaterStripTrianglesKeepTheFirstOnesFacing) {
    ASSERT_EQ(device_->SetRenderState(D3DRS_LIGHTING, FALSE), D3D_OK);
    const D3DCOLOR green = 0xFF00FF00;
    // A clockwise quad strip: top left, top right, bottom left, bottom right.
    const BackBufferPixels pixels = DrawStrip({{-1, 1, 0.5f, green, 0, 0},
                                               {1, 1, 0.5f, green, 0, 0},
                                               {-1, -1, 0.5f, green, 0, 0},
                                               {1, -1, 0.5f, green, 0, 0}});
    EXPECT_EQ(pixels.At(4, 4), green);                // first triangle
    EXPECT_EQ(pixels.At(Size - 4, Size - 4), green);  // second triangle
}

TEST_F(GlDeviceTest, OfTwoOverlappingTrianglesTheNearerWinsWhateverTheOrder) {
    ASSERT_EQ(device_->SetRenderState(D3DRS_LIGHTING, FALSE), D3D_OK);
    ASSERT_EQ(device_->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE), D3D_OK);
    const D3DCOLOR nearColour = 0xFF00FF00;
    const D3DCOLOR farColour = 0xFFFF0000;
    for (bool nearFirst : {true, false}) {
        std::vector<Vertex> nearTriangle = ClockwiseTriangle(nearColour, 0.2f);
        std::vector<Vertex> farTriangle = ClockwiseTriangle(farColour, 0.8f);
        std::vector<Vertex> both = nearFirst ? nearTriangle : farTriangle;
        const std::vector<Vertex>& second = nearFirst ? farTriangle : nearTriangle;
        both.insert(both.end(), second.begin(), second.end());
        Bind(both, {0, 1, 2, 3, 4, 5});
        device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, Blue, 1.0f, 0);
        device_->BeginScene();
        EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, 0, 3, 0, 1), D3D_OK);
        EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 3, 0, 3, 0, 1), D3D_OK);
        device_->EndScene();
        EXPECT_EQ(Read().At(Size / 2, Size / 2), nearColour) << "near drawn first: " << nearFirst;
    }
}

TEST_F(GlDeviceTest, DepthOutsideTheZeroToOneClipRangeIsClipped) {
    ASSERT_EQ(device_->SetRenderState(D3DRS_LIGHTING, FALSE), D3D_OK);
    EXPECT_EQ(DrawStrip(ClockwiseTriangle(0xFFFF0000, -0.25f)).At(Size / 2, Size / 2), Blue);
    EXPECT_EQ(DrawStrip(ClockwiseTriangle(0xFFFF0000, 0.0f)).At(Size / 2, Size / 2), 0xFFFF0000);
}

TEST_F(GlDeviceTest, TexturedStripShowsTextureTimesDiffuseWrappedPastOne) {
    ASSERT_EQ(device_->SetRenderState(D3DRS_LIGHTING, FALSE), D3D_OK);
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(
        device_->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
        D3D_OK);
    Ref<IDirect3DTexture9> textureRef(texture);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    const D3DCOLOR texels[2][2] = {{0xFFFF0000, 0xFF00FF00}, {0xFF0000FF, 0xFFFFFFFF}};
    for (int row = 0; row < 2; ++row) {
        std::memcpy(static_cast<std::uint8_t*>(locked.pBits) + row * locked.Pitch, texels[row],
                    sizeof texels[row]);
    }
    ASSERT_EQ(texture->UnlockRect(0), D3D_OK);
    // The viewer's stage setup: texture times diffuse.
    ASSERT_EQ(device_->SetTexture(0, texture), D3D_OK);
    ASSERT_EQ(device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE), D3D_OK);
    ASSERT_EQ(device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE), D3D_OK);
    ASSERT_EQ(device_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE), D3D_OK);
    ASSERT_EQ(device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_DISABLE), D3D_OK);

    // A full-screen quad with u and v running 0..2: each texel covers 16 x 16 pixels, the
    // texture repeats once across and once down.
    const D3DCOLOR grey = 0x00808080;  // alpha 0, as the terrain's vertices have
    const BackBufferPixels pixels = DrawStrip({{-1, 1, 0.5f, grey, 0, 0},
                                               {1, 1, 0.5f, grey, 2, 0},
                                               {-1, -1, 0.5f, grey, 0, 2},
                                               {1, -1, 0.5f, grey, 2, 2}});
    const auto modulated = [](D3DCOLOR texel) {
        D3DCOLOR result = 0xFF000000;
        for (int shift = 0; shift < 24; shift += 8) {
            result |= ((((texel >> shift) & 0xFF) * 0x80 + 127) / 255) << shift;
        }
        return result;
    };
    for (UINT repeatY : {0u, 32u}) {
        for (UINT repeatX : {0u, 32u}) {
            for (int row = 0; row < 2; ++row) {
                for (int col = 0; col < 2; ++col) {
                    const D3DCOLOR seen = pixels.At(repeatX + 16 * col + 8, repeatY + 16 * row + 8);
                    EXPECT_LE(ChannelDistance(seen, modulated(texels[row][col])), 1)
                        << std::hex << seen << " at texel " << row << "," << col;
                }
            }
        }
    }
}

TEST_F(GlDeviceTest, WithoutATextureTheDiffuseColourPassesThrough) {
    ASSERT_EQ(device_->SetRenderState(D3DRS_LIGHTING, FALSE), D3D_OK);
    // Default stage 0 is MODULATE(TEXTURE, CURRENT); with no texture it is skipped.
    const D3DCOLOR colour = 0xFF20C040;
    EXPECT_EQ(DrawStrip(ClockwiseTriangle(colour)).At(Size / 2, Size / 2), colour);
    // Also when the stage selects the texture alone.
    ASSERT_EQ(device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1), D3D_OK);
    EXPECT_EQ(DrawStrip(ClockwiseTriangle(colour)).At(Size / 2, Size / 2), colour);
}

TEST_F(GlDeviceTest, ClipSpaceTopLeftLandsInTheTopLeftPixels) {
    ASSERT_EQ(device_->SetRenderState(D3DRS_LIGHTING, FALSE), D3D_OK);
    const D3DCOLOR red = 0xFFFF0000;
    // A small clockwise triangle in the top left corner of clip space.
    const BackBufferPixels pixels = DrawStrip(
        {{-1, 1, 0.5f, red, 0, 0}, {-0.5f, 1, 0.5f, red, 0, 0}, {-1, 0.5f, 0.5f, red, 0, 0}});
    EXPECT_EQ(pixels.At(1, 1), red);
    EXPECT_EQ(pixels.At(Size - 2, 1), Blue);
    EXPECT_EQ(pixels.At(1, Size - 2), Blue);
    EXPECT_EQ(pixels.At(Size - 2, Size - 2), Blue);
}

TEST_F(GlDeviceTest, PixelCentresSitOnIntegerScreenCoordinatesUnderTheTopLeftRule) {
    ASSERT_EQ(device_->SetRenderState(D3DRS_LIGHTING, FALSE), D3D_OK);
    const D3DCOLOR red = 0xFFFF0000;
    // Screen x = (1 + x_ndc) * 32 and y = (1 - y_ndc) * 32. Edges at screen 10 and 20 pass
    // through the centres of pixels 10 and 20: the top-left rule takes the left and top ones
    // (10) and leaves the right and bottom ones (20). GL's own centres (at 10.5) would shift
    // the picture by half a pixel.
    const float low = 10.0f / 32.0f - 1.0f;
    const float high = 20.0f / 32.0f - 1.0f;
    const BackBufferPixels pixels = DrawStrip({{low, -low, 0.5f, red, 0, 0},
                                               {high, -low, 0.5f, red, 0, 0},
                                               {low, -high, 0.5f, red, 0, 0},
                                               {high, -high, 0.5f, red, 0, 0}});
    for (UINT along : {10u, 15u, 19u}) {
        EXPECT_EQ(pixels.At(9, along), Blue) << along;
        EXPECT_EQ(pixels.At(10, along), red) << along;
        EXPECT_EQ(pixels.At(19, along), red) << along;
        EXPECT_EQ(pixels.At(20, along), Blue) << along;
        EXPECT_EQ(pixels.At(along, 9), Blue) << along;
        EXPECT_EQ(pixels.At(along, 10), red) << along;
        EXPECT_EQ(pixels.At(along, 19), red) << along;
        EXPECT_EQ(pixels.At(along, 20), Blue) << along;
    }
}

TEST_F(GlDeviceTest, AFullScreenQuadCoversEveryPixelOnce) {
    ASSERT_EQ(device_->SetRenderState(D3DRS_LIGHTING, FALSE), D3D_OK);
    const D3DCOLOR red = 0xFFFF0000;
    const BackBufferPixels pixels = DrawStrip({{-1, 1, 0.5f, red, 0, 0},
                                               {1, 1, 0.5f, red, 0, 0},
                                               {-1, -1, 0.5f, red, 0, 0},
                                               {1, -1, 0.5f, red, 0, 0}});
    for (UINT i = 0; i < Size; ++i) {
        EXPECT_EQ(pixels.At(i, 0), red) << i;
        EXPECT_EQ(pixels.At(0, i), red) << i;
        EXPECT_EQ(pixels.At(i, Size - 1), red) << i;
        EXPECT_EQ(pixels.At(Size - 1, i), red) << i;
    }
}

TEST_F(GlDeviceTest, LightingIsOnByDefaultAndTurnsAnUnlitMeshBlack) {
    const BackBufferPixels pixels = DrawStrip(ClockwiseTriangle(0xFFFFFFFF));
    EXPECT_EQ(pixels.At(Size / 2, Size / 2), 0xFF000000);
}

TEST_F(GlDeviceTest, DrawsAreCheckedAgainstTheBoundBuffers) {
    Bind(ClockwiseTriangle(0xFFFFFFFF), {0, 1, 2, 7});
    // Nothing to draw: accepted and skipped.
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, 0, 0, 0, 1), D3D_OK);
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, 0, 3, 0, 0), D3D_OK);
    // Index 7 and a base vertex past the end fetch vertices the buffer does not have.
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, 0, 3, 1, 1),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 1, 0, 3, 0, 1),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, -1, 0, 3, 0, 1),
              D3DERR_INVALIDCALL);
    // More indices than the buffer holds.
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, 0, 3, 2, 1),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, 0, 3, 0, 0xFFFFFFFFu),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, 0, 3, 0, 1), D3D_OK);
    // Without indices there is nothing to draw from.
    device_->SetIndices(nullptr);
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, 0, 3, 0, 1),
              D3DERR_INVALIDCALL);
}

TEST_F(GlDeviceTest, ValuesOutsideTheSupportedSubsetAreRefused) {
    EXPECT_EQ(device_->SetRenderState(static_cast<D3DRENDERSTATETYPE>(22), 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetRenderState(D3DRS_ZENABLE, D3DZB_USEW), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_ANISOTROPIC),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR), D3D_OK);
    EXPECT_EQ(device_->SetTextureStageState(0, D3DTSS_COLOROP, 7), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(16), nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1.0f, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.5f, 0), D3DERR_INVALIDCALL);

    IDirect3DIndexBuffer9* ib = nullptr;
    EXPECT_EQ(device_->CreateIndexBuffer(8, 0, D3DFMT_INDEX32, D3DPOOL_DEFAULT, &ib, nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->CreateIndexBuffer(0, 0, D3DFMT_INDEX16, D3DPOOL_DEFAULT, &ib, nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(ib, nullptr);
    IDirect3DVertexBuffer9* vb = nullptr;
    EXPECT_EQ(device_->CreateVertexBuffer(24, 0, Fvf, D3DPOOL_MANAGED, &vb, nullptr),
              D3DERR_INVALIDCALL);
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(
        device_->CreateTexture(4, 4, 4, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
        D3DERR_INVALIDCALL);  // a 4 x 4 chain has three levels
    EXPECT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_D24X8, D3DPOOL_MANAGED, &texture, nullptr),
              D3DERR_INVALIDCALL);
}

TEST_F(GlDeviceTest, ScenesFollowDirect3DNestingRules) {
    EXPECT_EQ(device_->EndScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->BeginScene(), D3D_OK);
    EXPECT_EQ(device_->BeginScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->EndScene(), D3D_OK);
    EXPECT_EQ(device_->EndScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
}

TEST_F(GlDeviceTest, BuffersLockWithinTheirLengthAndTexturesDescribeTheirLevels) {
    IDirect3DVertexBuffer9* vb = nullptr;
    ASSERT_EQ(device_->CreateVertexBuffer(48, 0, Fvf, D3DPOOL_DEFAULT, &vb, nullptr), D3D_OK);
    Ref<IDirect3DVertexBuffer9> vbRef(vb);
    void* data = nullptr;
    EXPECT_EQ(vb->Lock(24, 25, &data, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(vb->Lock(49, 0, &data, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(vb->Unlock(), D3DERR_INVALIDCALL);
    EXPECT_EQ(vb->Lock(24, 0, &data, 0), D3D_OK);
    EXPECT_EQ(vb->Unlock(), D3D_OK);

    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(
        device_->CreateTexture(256, 64, 0, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
        D3D_OK);
    Ref<IDirect3DTexture9> textureRef(texture);
    EXPECT_EQ(texture->GetLevelCount(), 9u);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(texture->GetLevelDesc(7, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, 2u);
    EXPECT_EQ(desc.Height, 1u);
    EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
    D3DLOCKED_RECT locked{};
    const RECT outside{0, 0, 3, 1};
    EXPECT_EQ(texture->LockRect(7, &locked, &outside, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(texture->UnlockRect(7), D3DERR_INVALIDCALL);
    ASSERT_EQ(texture->LockRect(7, &locked, nullptr, 0), D3D_OK);
    EXPECT_EQ(locked.Pitch, 8);
    EXPECT_EQ(texture->UnlockRect(7), D3D_OK);
}

TEST_F(GlDeviceTest, ResourcesKeepTheDeviceAliveAfterItsOwnReferenceIsGone) {
    IDirect3DVertexBuffer9* vb = nullptr;
    ASSERT_EQ(device_->CreateVertexBuffer(24, 0, Fvf, D3DPOOL_DEFAULT, &vb, nullptr), D3D_OK);
    ASSERT_EQ(device_->SetStreamSource(0, vb, 0, 24), D3D_OK);
    EXPECT_EQ(device_.release()->Release(), 1u);  // the buffer's reference remains
    EXPECT_EQ(vb->Release(), 0u);                 // frees the buffer, then the device
    EXPECT_EQ(d3d_.release()->Release(), 0u);
}

TEST(GlBackendTest, CreateDeviceWithoutARegisteredSurfaceIsNotAvailable) {
    ScopedDirect3DBackend backend(GlBackend());
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    int notAWindow = 0;
    D3DPRESENT_PARAMETERS params{};
    params.Windowed = TRUE;
    params.SwapEffect = D3DSWAPEFFECT_DISCARD;
    params.hDeviceWindow = reinterpret_cast<HWND>(&notAWindow);
    IDirect3DDevice9* device = nullptr;
    EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                &params, &device),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(device, nullptr);
    EXPECT_EQ(d3d->Release(), 0u);
}

}  // namespace
}  // namespace velmora::d3d9::gl

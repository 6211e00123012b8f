#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "render/d3d9/d3d9.h"
#include "render/d3d9/direct3d_backend.h"
#include "render/d3d9/gl/gl_backend.h"
#include "render/d3d9/gl/pbuffer_window_target.h"
#include "render/d3d9/windowed_parameters.h"

namespace velmora::d3d9::gl {
namespace {

constexpr D3DCOLOR Blue = 0xFF0000FF;
constexpr D3DCOLOR Red = 0xFFFF0000;

struct Vertex {
    float x, y, z;
    D3DCOLOR diffuse;
    float u, v;
};

struct Releaser {
    void operator()(IUnknown* object) const { object->Release(); }
};
template <class T>
using Ref = std::unique_ptr<T, Releaser>;

D3DCOLOR PixelAt(const std::vector<std::uint8_t>& rgba, UINT width, UINT x, UINT y) {
    const std::size_t at = (std::size_t{y} * width + x) * 4;
    return D3DCOLOR_ARGB(0xFF, rgba[at], rgba[at + 1], rgba[at + 2]);
}

// Presents into a pbuffer that stands in for the viewport window.
class WindowPresentTest : public ::testing::Test {
protected:
    void MakeDevice(UINT interval) {
        d3d_.reset(Direct3DCreate9(D3D_SDK_VERSION));
        ASSERT_NE(d3d_, nullptr);
        D3DPRESENT_PARAMETERS params = WindowedParameters(window_->Window(), interval);
        IDirect3DDevice9* device = nullptr;
        ASSERT_EQ(d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                                     D3DCREATE_HARDWARE_VERTEXPROCESSING, &params, &device),
                  D3D_OK);
        device_.reset(device);
        backBufferWidth_ = params.BackBufferWidth;
        ASSERT_EQ(device_->SetRenderState(D3DRS_LIGHTING, FALSE), D3D_OK);
    }

    // Clears to blue, draws a red clockwise strip over `vertices` and presents.
    void DrawAndPresent(const std::vector<Vertex>& vertices) {
        IDirect3DVertexBuffer9* vb = nullptr;
        const auto bytes = static_cast<UINT>(vertices.size() * sizeof(Vertex));
        ASSERT_EQ(device_->CreateVertexBuffer(bytes, 0, 0x142, D3DPOOL_DEFAULT, &vb, nullptr),
                  D3D_OK);
        Ref<IDirect3DVertexBuffer9> vbRef(vb);
        void* data = nullptr;
        vb->Lock(0, 0, &data, 0);
        std::memcpy(data, vertices.data(), bytes);
        vb->Unlock();
        IDirect3DIndexBuffer9* ib = nullptr;
        ASSERT_EQ(device_->CreateIndexBuffer(8, 0, D3DFMT_INDEX16, D3DPOOL_DEFAULT, &ib, nullptr),
                  D3D_OK);
        Ref<IDirect3DIndexBuffer9> ibRef(ib);
        ib->Lock(0, 0, &data, 0);
        const std::uint16_t indices[] = {0, 1, 2, 3};
        std::memcpy(data, indices, sizeof indices);
        ib->Unlock();

        device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, Blue, 1.0f, 0);
        device_->BeginScene();
        device_->SetFVF(0x142);
        device_->SetStreamSource(0, vb, 0, sizeof(Vertex));
        device_->SetIndices(ib);
        const auto count = static_cast<UINT>(vertices.size());
        EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, 0, count, 0, count - 2),
                  D3D_OK);
        device_->EndScene();
        EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    }

    ScopedDirect3DBackend backend_{GlBackend()};
    std::shared_ptr<PbufferWindowTarget> window_ = PbufferWindowTarget::Create(64, 64);
    Ref<IDirect3D9> d3d_;
    Ref<IDirect3DDevice9> device_;
    UINT backBufferWidth_ = 0;
};

TEST_F(WindowPresentTest, PresentShowsThePictureUprightAndSwapsOnce) {
    ASSERT_NE(window_, nullptr) << "EGL pbuffers on the surfaceless platform are needed";
    MakeDevice(D3DPRESENT_INTERVAL_ONE);
    EXPECT_EQ(window_->swapInterval(), 1);
    // A triangle in the top left corner of clip space.
    DrawAndPresent({{-1, 1, 0.5f, Red, 0, 0}, {0, 1, 0.5f, Red, 0, 0}, {-1, 0, 0.5f, Red, 0, 0}});
    EXPECT_EQ(window_->swapCount(), 1);
    const std::vector<std::uint8_t> shown = window_->ReadClientPixels();
    EXPECT_EQ(PixelAt(shown, 64, 2, 2), Red);
    EXPECT_EQ(PixelAt(shown, 64, 2, 61), Blue);
    EXPECT_EQ(PixelAt(shown, 64, 61, 2), Blue);
    // Reading the window left the device's own state intact.
    EXPECT_EQ(ReadBackBuffer(device_.get())->At(2, 2), Red);
}

TEST_F(WindowPresentTest, BackBufferKeepsItsCreationSizeAndIsStretchedIntoTheClientArea) {
    ASSERT_NE(window_, nullptr);
    window_->SetClientSize(32, 16);
    MakeDevice(D3DPRESENT_INTERVAL_IMMEDIATE);
    EXPECT_EQ(window_->swapInterval(), 0);
    EXPECT_EQ(backBufferWidth_, 32u);
    window_->SetClientSize(64, 64);  // the window grew after the device was made
    // The left half of the picture.
    DrawAndPresent({{-1, 1, 0.5f, Red, 0, 0},
                    {0, 1, 0.5f, Red, 0, 0},
                    {-1, -1, 0.5f, Red, 0, 0},
                    {0, -1, 0.5f, Red, 0, 0}});
    const std::vector<std::uint8_t> shown = window_->ReadClientPixels();
    for (UINT y : {2u, 32u, 61u}) {
        EXPECT_EQ(PixelAt(shown, 64, 4, y), Red) << y;
        EXPECT_EQ(PixelAt(shown, 64, 26, y), Red) << y;
        EXPECT_EQ(PixelAt(shown, 64, 38, y), Blue) << y;
        EXPECT_EQ(PixelAt(shown, 64, 60, y), Blue) << y;
    }
    const std::optional<BackBufferPixels> back = ReadBackBuffer(device_.get());
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->width, 32u);
    EXPECT_EQ(back->height, 16u);
}

}  // namespace
}  // namespace velmora::d3d9::gl

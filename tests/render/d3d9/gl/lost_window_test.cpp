#include <gtest/gtest.h>

#include <memory>

#include "app/platform/win32/gl_surface.h"
#include "render/d3d9/d3d9.h"
#include "render/d3d9/direct3d_backend.h"
#include "render/d3d9/gl/gl_backend.h"
#include "render/d3d9/gl/offscreen_target.h"

namespace velmora::d3d9::gl {
namespace {

// A window whose GL context can be destroyed under a living device, as when the toolkit
// destroys the canvas before the program releases its device.
class DisappearingWindow final : public win32::GlSurface {
public:
    explicit DisappearingWindow(std::shared_ptr<OffscreenTarget> context)
        : context_(std::move(context)) {}

    void Destroy() { context_.reset(); }

    bool MakeCurrent() override { return context_ != nullptr && context_->MakeCurrent(); }
    SIZE ClientSizeInPixels() const override { return SIZE{16, 16}; }
    void SwapBuffers() override {}
    bool SetSwapInterval(int) override { return false; }
    bool HasWindowFramebuffer() const override { return false; }

private:
    std::shared_ptr<OffscreenTarget> context_;
};

TEST(LostWindowTest, DeviceStopsTouchingGlOnceItsWindowIsGoneAndStillReleasesCleanly) {
    ScopedDirect3DBackend backend(GlBackend());
    auto window = std::make_shared<DisappearingWindow>(OffscreenTarget::Create(16, 16));
    ASSERT_TRUE(window->MakeCurrent());
    int handleTarget = 0;
    const HWND handle = reinterpret_cast<HWND>(&handleTarget);
    win32::ScopedGlSurfaceRegistration registration(handle, window);

    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    D3DPRESENT_PARAMETERS params{};
    params.SwapEffect = D3DSWAPEFFECT_DISCARD;
    params.hDeviceWindow = handle;
    params.Windowed = TRUE;
    params.EnableAutoDepthStencil = TRUE;
    params.AutoDepthStencilFormat = D3DFMT_D24X8;
    IDirect3DDevice9* device = nullptr;
    ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                &params, &device),
              D3D_OK);
    EXPECT_EQ(params.BackBufferWidth, 16u);
    IDirect3DVertexBuffer9* vb = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(72, 0, 0x142, D3DPOOL_DEFAULT, &vb, nullptr), D3D_OK);
    IDirect3DIndexBuffer9* ib = nullptr;
    ASSERT_EQ(device->CreateIndexBuffer(6, 0, D3DFMT_INDEX16, D3DPOOL_DEFAULT, &ib, nullptr),
              D3D_OK);
    device->SetFVF(0x142);
    device->SetStreamSource(0, vb, 0, 24);
    device->SetIndices(ib);

    window->Destroy();  // the EGL context is gone: any GL call now would be made without one

    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), D3DERR_DEVICELOST);
    EXPECT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, 0, 3, 0, 1), D3DERR_DEVICELOST);
    EXPECT_EQ(device->EndScene(), D3D_OK);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    EXPECT_FALSE(ReadBackBuffer(device).has_value());
    // Locks still hand out the buffer's bytes; there is just nothing to upload them to.
    void* data = nullptr;
    EXPECT_EQ(vb->Lock(0, 0, &data, 0), D3D_OK);
    EXPECT_EQ(vb->Unlock(), D3D_OK);
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(
        device->CreateTexture(4, 4, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
        D3DERR_DEVICELOST);

    EXPECT_EQ(ib->Release(), 0u);
    EXPECT_EQ(vb->Release(), 0u);
    EXPECT_EQ(device->Release(), 0u);
    EXPECT_EQ(d3d->Release(), 0u);
}

}  // namespace
}  // namespace velmora::d3d9::gl

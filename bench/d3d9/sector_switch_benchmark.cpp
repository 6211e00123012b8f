// The gl backend's share of the viewer's two heavy moments: a sector switch (a 387,096-byte
// vertex buffer created, locked, filled and unlocked) and a frame (clear, two transforms,
// bindings, 126 strip draws of 252 triangles, present), on an offscreen 630 x 630 target.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <numbers>
#include <vector>

#include "render/d3d9/d3dx9.h"
#include "render/d3d9/direct3d_backend.h"
#include "render/d3d9/gl/gl_backend.h"
#include "render/d3d9/gl/offscreen_target.h"

namespace {

using velmora::d3d9::gl::GlBackend;
using velmora::d3d9::gl::OffscreenTarget;
using velmora::d3d9::gl::ReadBackBuffer;

constexpr int Side = 127;
constexpr UINT VertexCount = Side * Side;
constexpr UINT VertexBytes = VertexCount * 24;
constexpr UINT IndexCount = 126 * 254;

struct Vertex {
    float x, y, z;
    D3DCOLOR diffuse;
    float u, v;
};

std::vector<Vertex> TerrainLikeMesh() {
    std::vector<Vertex> vertices;
    for (int c = 0; c < Side; ++c) {
        for (int r = 0; r < Side; ++r) {
            const float height = 100.0f * std::sin(0.1f * static_cast<float>(r + 2 * c));
            const auto grey = static_cast<DWORD>(128 + 100 * std::sin(0.05f * (r * c)));
            vertices.push_back({10.0f * r, 10.0f * c, height, D3DCOLOR_ARGB(0, grey, grey, grey),
                                r / 7.0f, c / 7.0f});
        }
    }
    return vertices;
}

std::vector<std::uint16_t> StripIndices() {
    std::vector<std::uint16_t> indices;
    for (int s = 0; s < 126; ++s) {
        for (int k = 0; k < Side; ++k) {
            indices.push_back(static_cast<std::uint16_t>(Side * (s + 1) + k));
            indices.push_back(static_cast<std::uint16_t>(Side * s + k));
        }
    }
    return indices;
}

struct Releaser {
    void operator()(IUnknown* object) const { object->Release(); }
};

// A device on a 630 x 630 offscreen target with the viewer's fixed states and grid indices.
class Scene {
public:
    Scene() : backend_(GlBackend()), target_(OffscreenTarget::Create(630, 630)) {
        if (!target_) {
            return;
        }
        d3d_.reset(Direct3DCreate9(D3D_SDK_VERSION));
        D3DPRESENT_PARAMETERS params{};
        params.BackBufferCount = 1;
        params.SwapEffect = D3DSWAPEFFECT_DISCARD;
        params.hDeviceWindow = target_->Window();
        params.Windowed = TRUE;
        params.EnableAutoDepthStencil = TRUE;
        params.AutoDepthStencilFormat = D3DFMT_D24X8;
        params.PresentationInterval = D3DPRESENT_INTERVAL_ONE;
        IDirect3DDevice9* device = nullptr;
        if (d3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                               &params, &device) != D3D_OK) {
            return;
        }
        device_.reset(device);
        device->SetRenderState(D3DRS_LIGHTING, FALSE);
        device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
        IDirect3DIndexBuffer9* ib = nullptr;
        device->CreateIndexBuffer(IndexCount * 2, 0, D3DFMT_INDEX16, D3DPOOL_DEFAULT, &ib, nullptr);
        indices_.reset(ib);
        void* data = nullptr;
        ib->Lock(0, IndexCount * 2, &data, 0);
        std::memcpy(data, StripIndices().data(), IndexCount * 2);
        ib->Unlock();
        mesh_ = TerrainLikeMesh();
    }

    bool ok() const { return device_ != nullptr; }
    IDirect3DDevice9* device() const { return device_.get(); }

    void LoadSector() {
        vertices_.reset();
        IDirect3DVertexBuffer9* vb = nullptr;
        device_->CreateVertexBuffer(VertexBytes, 0, 0x142, D3DPOOL_DEFAULT, &vb, nullptr);
        vertices_.reset(vb);
        void* data = nullptr;
        vb->Lock(0, VertexBytes, &data, 0);
        std::memcpy(data, mesh_.data(), VertexBytes);
        vb->Unlock();
    }

    void DrawFrame() {
        IDirect3DDevice9* device = device_.get();
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FF, 1.0f, 0);
        device->BeginScene();
        D3DXMATRIX view;
        D3DXMATRIX step;
        D3DXMatrixTranslation(&view, -600, -600, -3000);
        D3DXMatrixMultiply(&view, &view, D3DXMatrixRotationX(&step, 3.1f));
        D3DXMATRIX projection;
        D3DXMatrixPerspectiveFovLH(&projection, std::numbers::pi_v<float> / 4, 1.0f, 1.0f, 5000.0f);
        device->SetTransform(D3DTS_VIEW, &view);
        device->SetTransform(D3DTS_PROJECTION, &projection);
        device->SetFVF(0x142);
        device->SetStreamSource(0, vertices_.get(), 0, 24);
        for (UINT start = 0; start < IndexCount; start += 254) {
            device->SetIndices(indices_.get());
            device->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, 0, VertexCount, start, 252);
        }
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
    }

private:
    ScopedDirect3DBackend backend_;
    std::shared_ptr<OffscreenTarget> target_;
    std::unique_ptr<IDirect3D9, Releaser> d3d_;
    std::unique_ptr<IDirect3DDevice9, Releaser> device_;
    std::unique_ptr<IDirect3DIndexBuffer9, Releaser> indices_;
    std::unique_ptr<IDirect3DVertexBuffer9, Releaser> vertices_;
    std::vector<Vertex> mesh_;
};

// Create, lock, fill and unlock the sector's vertex buffer (the previous one released).
void BM_SectorSwitchUpload(benchmark::State& state) {
    Scene scene;
    if (!scene.ok()) {
        state.SkipWithError("no EGL surfaceless context");
        return;
    }
    for (auto _ : state) {
        scene.LoadSector();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * VertexBytes);
}
BENCHMARK(BM_SectorSwitchUpload)->Unit(benchmark::kMicrosecond);

// One frame's calls only; the read-back of a single frame at the end keeps the queue bounded.
void BM_FrameCalls(benchmark::State& state) {
    Scene scene;
    if (!scene.ok()) {
        state.SkipWithError("no EGL surfaceless context");
        return;
    }
    scene.LoadSector();
    for (auto _ : state) {
        scene.DrawFrame();
        state.PauseTiming();
        ReadBackBuffer(scene.device());
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FrameCalls)->Unit(benchmark::kMicrosecond);

// A whole frame until its pixels are read back: llvmpipe's rasterisation included.
void BM_FrameToPixels(benchmark::State& state) {
    Scene scene;
    if (!scene.ok()) {
        state.SkipWithError("no EGL surfaceless context");
        return;
    }
    scene.LoadSector();
    for (auto _ : state) {
        scene.DrawFrame();
        benchmark::DoNotOptimize(ReadBackBuffer(scene.device()));
    }
}
BENCHMARK(BM_FrameToPixels)->Unit(benchmark::kMillisecond);

// The read-back alone, to subtract from the above.
void BM_ReadBack(benchmark::State& state) {
    Scene scene;
    if (!scene.ok()) {
        state.SkipWithError("no EGL surfaceless context");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(ReadBackBuffer(scene.device()));
    }
}
BENCHMARK(BM_ReadBack)->Unit(benchmark::kMillisecond);

}  // namespace

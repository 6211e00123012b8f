#pragma once
// IDirect3DDevice9 over OpenGL 4.5 core with Direct3D 9's semantics (recipe A): clip control
// upper-left / zero-to-one, clockwise front faces, a half-pixel viewport offset, a back buffer
// framebuffer whose row 0 is the top row, blitted upside down into the window by Present.

#include <memory>
#include <optional>

#include <epoxy/gl.h>

#include "gl/object.h"
#include "render/d3d9/d3dx9math.h"
#include "render/d3d9/gl/back_buffer_pixels.h"
#include "render/d3d9/gl/fixed_function_program.h"
#include "render/d3d9/gl/gl_context.h"
#include "render/d3d9/gl/gl_resources.h"
#include "render/d3d9/gl/ref_counted.h"

namespace velmora::d3d9::gl {

struct GlDeviceSettings {
    UINT backBufferWidth;
    UINT backBufferHeight;
    bool depthBuffer;
};

class GlDevice final : public RefCounted<IDirect3DDevice9> {
public:
    // A device holding one reference to `direct3d`; null when its GL objects cannot be made.
    static GlDevice* Create(IDirect3D9& direct3d, std::shared_ptr<GlContext> context,
                            const GlDeviceSettings& settings);

    HRESULT SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) override;
    HRESULT SetTexture(DWORD Sampler, IDirect3DBaseTexture9* pTexture) override;
    HRESULT SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) override;
    HRESULT SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) override;
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) override;
    HRESULT Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z,
                  DWORD Stencil) override;
    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                    const RGNDATA* pDirtyRegion) override;
    HRESULT CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                               IDirect3DVertexBuffer9** ppVertexBuffer,
                               HANDLE* pSharedHandle) override;
    HRESULT CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                              IDirect3DIndexBuffer9** ppIndexBuffer,
                              HANDLE* pSharedHandle) override;
    HRESULT CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format,
                          D3DPOOL Pool, IDirect3DTexture9** ppTexture,
                          HANDLE* pSharedHandle) override;
    HRESULT SetFVF(DWORD FVF) override;
    HRESULT SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData,
                            UINT OffsetInBytes, UINT Stride) override;
    HRESULT SetIndices(IDirect3DIndexBuffer9* pIndexData) override;
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE Type, INT BaseVertexIndex, UINT MinVertexIndex,
                                 UINT NumVertices, UINT StartIndex, UINT PrimitiveCount) override;

    std::optional<BackBufferPixels> ReadBackBuffer();
    unsigned TakeGlError();

private:
    GlDevice(IDirect3D9& direct3d, std::shared_ptr<GlContext> context,
             const GlDeviceSettings& settings);
    ~GlDevice() override;

    bool MakeObjects();
    // Makes the context current and, if others may have touched GL since, re-applies the
    // device's fixed GL state. False when the context is gone.
    bool Ready();
    void ApplyFixedState();
    void ApplyDrawState();
    template <class Buffer, class Interface>
    HRESULT CreateBuffer(UINT Length, DWORD Usage, D3DPOOL Pool, bool formatAccepted,
                         Interface** ppBuffer, HANDLE* pSharedHandle);

    struct StageOperation {
        DWORD operation;
        DWORD argument1;
        DWORD argument2;
    };

    IDirect3D9& direct3d_;
    std::shared_ptr<GlContext> context_;
    GlDeviceSettings settings_;
    std::optional<unsigned> appliedGeneration_;

    ::gl::Program program_;
    ::gl::Framebuffer framebuffer_;
    ::gl::Renderbuffer colorBuffer_;
    ::gl::Renderbuffer depthBuffer_;
    ::gl::VertexArray vertexArray_;
    ::gl::Sampler sampler_;

    // Direct3D state, with Direct3D's defaults.
    bool lighting_ = true;
    DWORD zEnable_;
    StageOperation color_{D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT};
    StageOperation alpha_{D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_CURRENT};
    D3DXMATRIX world_;
    D3DXMATRIX view_;
    D3DXMATRIX projection_;
    DWORD fvf_ = 0;
    std::shared_ptr<GlBufferStorage> stream_;
    UINT streamOffset_ = 0;
    UINT streamStride_ = 0;
    std::shared_ptr<GlBufferStorage> indices_;
    std::shared_ptr<GlTextureStorage> texture_;
    bool inScene_ = false;

    // What the GL side holds, so that draws send only what changed.
    bool transformDirty_ = true;
    bool stageDirty_ = true;
    bool lightingDirty_ = true;
    bool depthDirty_ = true;
    bool textureDirty_ = true;
};

}  // namespace velmora::d3d9::gl

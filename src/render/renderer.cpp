#include "render/renderer.h"

#include <new>

#include <d3dx9.h>
#include "camera/view_matrix.h"
#include "render/strip_constants.h"

std::unique_ptr<RenderDevice> RendererDevice;
std::unique_ptr<GridIndexBuffer> RendererGrid;
std::unique_ptr<TerrainVertexBuffer> RendererTerrain;

bool CreateRenderer(HWND window) {
    DestroyRenderer();
    try {
        // Each object is held as soon as it exists, so a failure below leaves a partial renderer
        // that DestroyRenderer releases like a whole one.
        RendererDevice = std::make_unique<RenderDevice>();
        if (!RendererDevice->InitDevice(window)) {
            return false;
        }
        RendererGrid = std::make_unique<GridIndexBuffer>(RendererDevice.get());
        if (!RendererGrid->Build()) {
            return false;
        }
        RendererTerrain = std::make_unique<TerrainVertexBuffer>(RendererDevice.get());
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void DestroyRenderer() {
    RendererTerrain.reset();
    RendererGrid.reset();
    RendererDevice.reset();
}

void RenderFrame() {
    if (!RendererDevice) {
        return;
    }
    if (!RendererDevice->BeginFrame()) {
        return;
    }
    IDirect3DDevice9* device = RendererDevice->device;

    const D3DXMATRIX view = BuildViewMatrix();
    device->SetTransform(D3DTS_VIEW, &view);

    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, FieldOfView, AspectRatio, NearPlane, FarPlane);
    device->SetTransform(D3DTS_PROJECTION, &projection);

    // With a device but without both buffer objects (the index list could not be built) the
    // cleared frame is presented alone.
    if (RendererTerrain && RendererGrid) {
        RendererTerrain->BindFormat();
        RendererTerrain->BindStream();
        for (UINT start = 0; start < TotalIndexCount; start += StripIndexCount) {
            RendererTerrain->DrawStrip(RendererGrid.get(), start, StripTriangles);
        }
    }
    RendererDevice->EndFrame();
}

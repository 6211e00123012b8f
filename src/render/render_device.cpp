#include "render/render_device.h"

#include <afxwin.h>
#include <d3dx9.h>

RenderDevice::RenderDevice() : d3d(Direct3DCreate9(D3D_SDK_VERSION)) {}

RenderDevice::~RenderDevice() {
    if (groundTexture != nullptr) {
        groundTexture->Release();
    }
    if (device != nullptr) {
        device->Release();
    }
    if (d3d != nullptr) {
        d3d->Release();
    }
}

bool RenderDevice::InitDevice(HWND targetWindow) {
    window = targetWindow;

    D3DPRESENT_PARAMETERS parameters{};
    parameters.BackBufferWidth = 0;
    parameters.BackBufferHeight = 0;
    parameters.BackBufferFormat = D3DFMT_UNKNOWN;
    parameters.BackBufferCount = 1;
    parameters.MultiSampleType = D3DMULTISAMPLE_NONE;
    parameters.MultiSampleQuality = 0;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.hDeviceWindow = window;
    parameters.Windowed = TRUE;
    parameters.EnableAutoDepthStencil = TRUE;
    parameters.AutoDepthStencilFormat = D3DFMT_D24X8;
    parameters.Flags = 0;
    parameters.FullScreen_RefreshRateInHz = 0;
    parameters.PresentationInterval = D3DPRESENT_INTERVAL_ONE;

    if (d3d == nullptr) {
        return false;
    }
    const HRESULT created =
        d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                          D3DCREATE_HARDWARE_VERTEXPROCESSING, &parameters, &device);
    if (created != D3D_OK) {
        // A failed creation must not leave a pointer behind that the destructor would release.
        device = nullptr;
        AfxMessageBox(CString("Failed to Create 3D9Device. ") + DescribeResult(created), MB_OK);
        return false;
    }

    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);

    if (D3DXCreateTextureFromFileA(device, GroundTextureFile, &groundTexture) != D3D_OK) {
        groundTexture = nullptr;
        return true;
    }
    device->SetTexture(0, groundTexture);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    return true;
}

bool RenderDevice::BeginFrame() {
    if (device == nullptr) {
        return false;
    }
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, ClearColour, 1.0f, 0);
    return SUCCEEDED(device->BeginScene());
}

void RenderDevice::EndFrame() {
    if (device == nullptr) {
        return;
    }
    device->EndScene();
    device->Present(nullptr, nullptr, nullptr, nullptr);
}

CString DescribeResult(HRESULT hr) {
    switch (hr) {
        case D3D_OK:
            return "D3D_OK";
        case D3DERR_OUTOFVIDEOMEMORY:
            return "D3DERR_OUTOFVIDEOMEMORY";
        case D3DERR_DEVICELOST:
            return "D3DERR_DEVICELOST";
        case D3DERR_NOTAVAILABLE:
            return "D3DERR_NOTAVAILABLE";
        case D3DERR_INVALIDCALL:
            return "D3DERR_INVALIDCALL";
        default:
            return "UNKNOWN";
    }
}

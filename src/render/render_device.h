#pragma once

#include <afx.h>
#include <d3d9.h>
#include <windows.h>

// The Direct3D objects every drawing operation needs: the Direct3D object, the device that draws
// into one window, and the ground texture. Each non-null pointer holds one reference.
class RenderDevice {
public:
    RenderDevice();
    RenderDevice(const RenderDevice&) = delete;
    RenderDevice& operator=(const RenderDevice&) = delete;
    virtual ~RenderDevice();

    // Creates the device for window and sets its fixed states and the ground texture. True means
    // the device exists (the texture may still be missing).
    bool InitDevice(HWND window);

    // Clears the target and the depth buffer and begins the scene. On true the caller draws and
    // finishes with EndFrame; on false it draws nothing.
    bool BeginFrame();

    // Ends the scene and presents it into the window.
    void EndFrame();

    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
    IDirect3DTexture9* groundTexture = nullptr;
    HWND window = nullptr;
};

// The symbolic name of a Direct3D result code, for messages.
CString DescribeResult(HRESULT hr);

// The colour every frame starts from: opaque blue.
inline constexpr D3DCOLOR ClearColour = 0xFF0000FF;

// The ground texture, resolved against the process's current directory.
inline constexpr const char* GroundTextureFile = ".\\terrain.image";

#pragma once

#include <d3d9.h>

class RenderDevice;

// The 16-bit index buffer holding the strip index list; built once, shared by every sector.
class GridIndexBuffer {
public:
    explicit GridIndexBuffer(RenderDevice* owner);
    GridIndexBuffer(const GridIndexBuffer&) = delete;
    GridIndexBuffer& operator=(const GridIndexBuffer&) = delete;
    virtual ~GridIndexBuffer();

    // Drops the held buffer, then creates one of byteLength bytes. True on D3D_OK.
    bool Create(UINT byteLength);

    // Creates the buffer and fills it with the strip index list.
    bool Build();

    void Release();

    IDirect3DIndexBuffer9* buffer = nullptr;
    RenderDevice* owner;
};

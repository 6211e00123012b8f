#pragma once

#include <d3d9.h>

class GridIndexBuffer;
class RenderDevice;

// A device vertex buffer of one vertex format, drawn through a GridIndexBuffer.
class VertexBuffer {
public:
    explicit VertexBuffer(RenderDevice* owner);
    VertexBuffer(const VertexBuffer&) = delete;
    VertexBuffer& operator=(const VertexBuffer&) = delete;
    virtual ~VertexBuffer();

    // Bytes per vertex of a flexible vertex format: 24 for the terrain format, 0 for any other.
    UINT StrideFor(DWORD format) const;

    // Drops the held buffer, then creates one of byteLength bytes. True on D3D_OK.
    bool Create(UINT byteLength);

    void Release();

    // Frame drawing, in this order: the format, the stream, then the strips.
    void BindFormat();
    void BindStream();
    void DrawStrip(GridIndexBuffer* grid, UINT firstIndex, UINT primitiveCount);

    IDirect3DVertexBuffer9* buffer = nullptr;
    RenderDevice* owner;
    UINT byteSize = 0;
    UINT vertexCount = 0;
    UINT stride = 1;
    DWORD fvf = 0;
};

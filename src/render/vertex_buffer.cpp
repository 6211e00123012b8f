#include "render/vertex_buffer.h"

#include "render/grid_index_buffer.h"
#include "render/render_device.h"
#include "terrain/terrain_vertex.h"

VertexBuffer::VertexBuffer(RenderDevice* owner) : owner(owner) {}

VertexBuffer::~VertexBuffer() {
    Release();
}

UINT VertexBuffer::StrideFor(DWORD format) const {
    return format == TerrainVertexFormat ? sizeof(TerrainVertex) : 0;
}

bool VertexBuffer::Create(UINT byteLength) {
    Release();
    return owner->device->CreateVertexBuffer(byteLength, 0, fvf, D3DPOOL_DEFAULT, &buffer,
                                             nullptr) == D3D_OK;
}

void VertexBuffer::Release() {
    if (buffer != nullptr) {
        buffer->Release();
        buffer = nullptr;
    }
}

void VertexBuffer::BindFormat() {
    if (owner->device != nullptr) {
        owner->device->SetFVF(fvf);
    }
}

// While no vertex buffer is held there is nothing to draw: the stream binding and the draws are
// skipped, so the frame shows the clear colour alone.
void VertexBuffer::BindStream() {
    if (owner->device != nullptr && buffer != nullptr) {
        owner->device->SetStreamSource(0, buffer, 0, stride);
    }
}

void VertexBuffer::DrawStrip(GridIndexBuffer* grid, UINT firstIndex, UINT primitiveCount) {
    if (owner->device == nullptr || buffer == nullptr || grid == nullptr ||
        grid->buffer == nullptr) {
        return;
    }
    owner->device->SetIndices(grid->buffer);
    owner->device->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, 0, vertexCount, firstIndex,
                                        primitiveCount);
}

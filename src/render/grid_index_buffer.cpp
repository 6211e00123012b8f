#include "render/grid_index_buffer.h"

#include <cstdint>

#include "render/render_device.h"
#include "render/strip_constants.h"
#include "terrain/grid_constants.h"

GridIndexBuffer::GridIndexBuffer(RenderDevice* owner) : owner(owner) {}

GridIndexBuffer::~GridIndexBuffer() {
    Release();
}

bool GridIndexBuffer::Create(UINT byteLength) {
    Release();
    return owner->device->CreateIndexBuffer(byteLength, 0, D3DFMT_INDEX16, D3DPOOL_DEFAULT, &buffer,
                                            nullptr) == D3D_OK;
}

bool GridIndexBuffer::Build() {
    if (!Create(IndexBufferBytes)) {
        return false;
    }
    void* storage = nullptr;
    if (buffer->Lock(0, IndexBufferBytes, &storage, 0) != D3D_OK) {
        return false;
    }
    constexpr UINT side = GridSide;
    auto* index = static_cast<std::uint16_t*>(storage);
    for (UINT strip = 0; strip < StripCount; ++strip) {
        for (UINT k = 0; k < side; ++k) {
            *index++ = static_cast<std::uint16_t>(side * (strip + 1) + k);
            *index++ = static_cast<std::uint16_t>(side * strip + k);
        }
    }
    buffer->Unlock();
    return true;
}

void GridIndexBuffer::Release() {
    if (buffer != nullptr) {
        buffer->Release();
        buffer = nullptr;
    }
}

#pragma once

#include <afx.h>
#include "render/vertex_buffer.h"

// The vertex buffer of the sector on view, rebuilt from a heightmap file by every load.
class TerrainVertexBuffer : public VertexBuffer {
public:
    explicit TerrainVertexBuffer(RenderDevice* owner);
    ~TerrainVertexBuffer() override;

    // Replaces the mesh with that of the heightmap file at path. The previous mesh is gone
    // whatever happens; the result says only whether the file was read. A read error raised by
    // the file layer passes on to the caller.
    bool LoadHeightmap(CString path);
};

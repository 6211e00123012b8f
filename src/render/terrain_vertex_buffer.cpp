#include "render/terrain_vertex_buffer.h"

#include "terrain/heightmap_file.h"
#include "terrain/terrain_mesh.h"
#include "terrain/terrain_vertex.h"

TerrainVertexBuffer::TerrainVertexBuffer(RenderDevice* owner) : VertexBuffer(owner) {
    fvf = TerrainVertexFormat;
}

TerrainVertexBuffer::~TerrainVertexBuffer() {
    Release();
}

bool TerrainVertexBuffer::LoadHeightmap(CString path) {
    Release();
    HeightmapSamples samples;
    if (!ReadHeightmap(path, samples)) {
        return false;
    }
    vertexCount = TerrainVertexCount;
    stride = StrideFor(fvf);
    byteSize = stride * vertexCount;
    if (!Create(byteSize)) {
        return true;
    }
    void* storage = nullptr;
    if (buffer->Lock(0, byteSize, &storage, 0) != D3D_OK) {
        return true;
    }
    BuildTerrainMesh(samples, static_cast<TerrainVertex*>(storage));
    buffer->Unlock();
    return true;
}

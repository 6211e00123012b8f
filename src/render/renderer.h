#pragma once

#include <memory>

#include <windows.h>
#include "render/grid_index_buffer.h"
#include "render/render_device.h"
#include "render/terrain_vertex_buffer.h"

// The renderer: three program-wide owning references, empty while there is no renderer. The two
// buffers refer to the device without owning it and are always released before it.
extern std::unique_ptr<RenderDevice> RendererDevice;
extern std::unique_ptr<GridIndexBuffer> RendererGrid;
extern std::unique_ptr<TerrainVertexBuffer> RendererTerrain;

// The fixed projection.
inline constexpr float FieldOfView = 0.78539819f;  // pi / 4
inline constexpr float AspectRatio = 1.0f;
inline constexpr float NearPlane = 1.0f;
inline constexpr float FarPlane = 5000.0f;

// Releases any existing renderer, then makes the device, the built index list and the empty
// terrain buffer for window. True when all three exist.
bool CreateRenderer(HWND window);

// Releases the whole renderer: terrain buffer, grid, device. Does nothing when there is none.
void DestroyRenderer();

// Draws the loaded terrain from the current camera and presents it; does nothing while there is
// no device to draw with.
void RenderFrame();

#pragma once
// The recording buffers and textures: real bytes behind Lock and LockRect.

#include "render/d3d9/mip_chain.h"
#include "render/d3d9/recording/recorder_state.h"

namespace velmora::d3d9::recording {

// New resources with one reference each, keeping `device` alive until they are freed.
IDirect3DVertexBuffer9* MakeRecordingVertexBuffer(RecorderState& state, RecordedObject& device,
                                                  UINT length, DWORD usage, DWORD fvf,
                                                  D3DPOOL pool);
IDirect3DIndexBuffer9* MakeRecordingIndexBuffer(RecorderState& state, RecordedObject& device,
                                                UINT length, DWORD usage, D3DFORMAT format,
                                                D3DPOOL pool);
IDirect3DTexture9* MakeRecordingTexture(RecorderState& state, RecordedObject& device, UINT width,
                                        UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                                        D3DPOOL pool);

}  // namespace velmora::d3d9::recording

#pragma once
// The recording IDirect3D9: CreateDevice hands out recording devices.

#include "render/d3d9/recording/recorder_state.h"

namespace velmora::d3d9::recording {

// A new recording IDirect3D9 with one reference, owned by `state`.
IDirect3D9* MakeRecordingDirect3D(RecorderState& state);

}  // namespace velmora::d3d9::recording

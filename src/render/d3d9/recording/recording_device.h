#pragma once
// The recording IDirect3DDevice9.

#include "render/d3d9/recording/recorder_state.h"

namespace velmora::d3d9::recording {

// A new recording device with one reference, keeping `direct3d` alive until it is freed.
IDirect3DDevice9* MakeRecordingDevice(RecorderState& state, RecordedObject& direct3d);

}  // namespace velmora::d3d9::recording

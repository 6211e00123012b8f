#pragma once
// The recording IDirect3DDevice9.

#include "render/d3d9/recording/recorder_internals.h"

namespace velmora::d3d9::recording {

// A new recording device with one reference, keeping `direct3d` alive until it is freed.
IDirect3DDevice9* MakeRecordingDevice(Recorder::Internals& internals, RecordedObject& direct3d);

}  // namespace velmora::d3d9::recording
